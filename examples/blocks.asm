;memory=COMM

; Two processors at work: the CPU block fills a table that the PPU blocks read.

GLOBAL
; names every block knows
TABLE = 0200H
COUNT = 4

;BLOCK 0
;CPU
;CPUaddr=0100

start:  mov #TABLE, r1
        mov #COUNT, r2
fill:   mov r2, (r1)
        add #2, r1
        sub #1, r2
        bne fill
        hlt

;BLOCK 1
;PPU=0021
;CPUaddr=0100
;PPUaddr=0040

        mov TABLE, r0    ; the first entry
        out r0, p.1
        hlt

;BLOCK 2
;PPU=0003
;CPUaddr=0000
;PPUaddr=0080

msg:    ds Q41
        push #LEN(msg)
        pop r3
        hlt
