;memory=DIST

;Each PPU has a memory of its own.

;BLOCK 0
;PPU=0001
;CPUaddr=0000
;PPUaddr=0010

loop:   in p.3, r0
        out r0, p.4
        br loop
        hlt
