mov #5,r0
out #-1,p.2
hlt
