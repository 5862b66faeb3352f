ln -s /dev/full pmeddata.dat
