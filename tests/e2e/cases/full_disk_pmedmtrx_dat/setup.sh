ln -s /dev/full pmedmtrx.dat
