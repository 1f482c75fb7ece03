; программа
start: mov r0,r1
  jmp #nowhere ; куда?
hlt
