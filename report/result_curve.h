#pragma once

// The coverage curve of --facilities LIST: one line per p, on the console,
// in a CSV and in a picture.
//
// The console (before the usual report of the last p):
//
//   Curva de cobertura:
//        p    Atendida   Perc.      Limite    Gap  Prova   Tempo
//       10     6570313   75.94     6570313  0.00%  otimo    0.15
//       20     7201230   83.23     7230112  0.40%  aberto  28.00
//
// "Atendida" is the demand served, "Limite" the best bound known on it,
// "Gap" (Limite - Atendida) / Limite, "Prova" "otimo" when proven, "aberto"
// when not, "Tempo" the solver's seconds on that p.
//
// The CSV (--curve FILE): "p,covered,percent,bound,gap,proven,seconds",
// one row per p, gap in percent, proven 1 or 0.
//
// The picture (--curve-svg FILE): coverage (%) against p, the band between
// the coverage and its bound shaded, each p a dot, filled when proven and
// hollow when not, with a legend on top.

#include <string>

void printCurve();
std::string curveCsv();
std::string curveSvg();

// Writes what --curve and --curve-svg name; nothing for a single p.
void writeCurveFiles();
