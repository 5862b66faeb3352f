#!/bin/sh
# A stand-in that answers three values of p at once: the first two open (a
# bound above the answer), the last proven; it records how it was called.
echo "$@" > solver_args.txt
cat > curva.txt <<'END'
3
1 40.00000 30.00000 0.50 0
2
2 40.00000 0.00000 1.25 0
0 1
3 0.00000 0.00000 0.02 1
0 2 3
9999999
END
printf '0.00000 0.00000 1.77\n9999999\n7\n0 2 3\n' > solucao.txt
