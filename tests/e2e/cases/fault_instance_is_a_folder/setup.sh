mkdir inst.txt
