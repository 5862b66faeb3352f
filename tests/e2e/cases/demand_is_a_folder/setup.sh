mkdir demanda.txt
