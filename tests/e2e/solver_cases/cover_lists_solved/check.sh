# Read from the cover lists, with centre 1 kept open: centre 5 joins it and
# 70 of the demand is left uncovered, proven.
set -eu
[ "$(sed -n 4p solucao.txt)" = "1 5" ]
[ "$(cut -d' ' -f1-2 <(sed -n 1p solucao.txt))" = "70.00000 70.00000" ]
