X: ds Hi ; greeting
N = 5
L1: mov r1, #'a'
buf: rw 2
