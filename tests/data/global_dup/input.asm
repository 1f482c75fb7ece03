a: nop
b: nop
a: hlt
