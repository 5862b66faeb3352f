mkdir pmeddata.dat
