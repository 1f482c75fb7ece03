'::=K 0
;PPU=0001
;CPUaddr=0000
;PPUaddr=0010

loop:   in p.3, r0
   JGE  out r0, p.4
  
