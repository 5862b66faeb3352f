ln -s solucao.txt demanda.txt
