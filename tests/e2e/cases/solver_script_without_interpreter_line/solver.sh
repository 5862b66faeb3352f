printf "2431.0 0.5 9999999\n7\n2 0\n" >solucao.txt
