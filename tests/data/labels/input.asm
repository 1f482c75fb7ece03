n = 5
start: mov #n,r0
loop: sub #1,r0
 bne loop
msg: ds ok
 hlt
