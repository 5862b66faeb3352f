#pragma once

// Prints the summary on standard output, e.g.
//
//   Vertices          :     4
//   Facilidades       :     2
//   Distancia Servico :    10.00
//   Populacao Total   :   116
//   Populacao Atend.  :    76
//   Perc. Atendimento :    65.52
//   Custo Total       :     9.00
//   Sobreposicoes     :     1
//
// each line preceded by a line end and the whole followed by one.
void printReport();

// popAtend as a percentage of popTotal; 0 when there is no demand at all.
double coveragePercent();

// Pairs of positions i < j in centro whose centres lie at most 2 × S apart.
int countOverlaps();
