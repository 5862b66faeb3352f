mkdir -p pmeddata.dat/x
