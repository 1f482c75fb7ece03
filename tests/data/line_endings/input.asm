nop
mov r1,r2hlt

