n = 5
l: mov n,r0
 jmp l
