ln -s /dev/full solucaoR.txt
