; A hand-written program: its last GLOBAL line stands right before the first marker.
GLOBAL
LIMIT = 3
;BLOCK 0
        mov #LIMIT, r1
        hlt
