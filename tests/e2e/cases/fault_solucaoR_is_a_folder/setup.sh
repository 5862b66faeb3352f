mkdir -p solucaoR.txt/x
