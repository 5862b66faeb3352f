ln solucaoR.txt inst.txt
