a:b: nop
hlt
