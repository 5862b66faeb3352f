mkdir -p pmedmtrx.dat/x
