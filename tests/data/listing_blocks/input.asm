;BLOCK 0
start: mov #5,r0 ; five

msg: ds hello world
  rw 5
  jmp start

;BLOCK 1
; nothing but a comment
hlt
;BLOCK 2
  nop
  bad op
