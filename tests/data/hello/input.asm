; Sends a greeting to port 1, one word at a time, and stops.
COUNT = 6               ; words in the greeting
        MOV #MSG,R1
        MOV #COUNT,R2
NEXT:   OUT (R1),P.1
        ADD #2,R1
        SUB #1,R2
        BNE NEXT
        HLT
MSG:    DS Hello, Q41!
