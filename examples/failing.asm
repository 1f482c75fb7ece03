;memory=COMM

;BLOCK 0
;CPU
;CPUaddr=0000

        nop
        hlt

;BLOCK 1
;CPU
;CPUaddr=0000

        mov r0, #5   ; a constant cannot be the destination
        hlt
