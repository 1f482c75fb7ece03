;memory=DIST
; one block typed elsewhere: its memory and settings lines still count
;PPU=0002
;PPUaddr=0040
hlt
