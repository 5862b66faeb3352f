# The six cover lists solved for p = 0, 1, 2 and 6 in one run: every answer
# proven, no centre leaving the whole demand of 210 uncovered and six
# covering all; the seconds aside. "solucao.txt" holds the last.
set -eu
got=$(awk 'NR % 2 == 0 && NR < 10 { $4 = "T" } { print }' curva.txt)
expected='4
0 210.00000 210.00000 T 1

1 100.00000 100.00000 T 1
5
2 40.00000 40.00000 T 1
0 5
6 0.00000 0.00000 T 1
0 1 2 3 4 5
9999999'
[ "$got" = "$expected" ]
[ "$(cut -d' ' -f1-2 <(sed -n 1p solucao.txt))" = "0.00000 0.00000" ]
[ "$(sed -n 2,4p solucao.txt)" = "$(printf '9999999\n1\n0 1 2 3 4 5')" ]
