nop
  1st: nop
hlt
