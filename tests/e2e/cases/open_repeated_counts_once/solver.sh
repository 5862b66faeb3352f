#!/bin/sh
for a in "$@"; do echo "$a"; done >solver_args.txt
printf '9999999 7 0 2\n' >solucao.txt
