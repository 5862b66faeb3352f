#!/bin/sh
# A p-median solver of another make: knows nothing of the sets, and answers
# with centres 2 and 0.
printf '9999999 7 2 0\n' >solucao.txt
