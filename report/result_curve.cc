#include "report/result_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/files.h"
#include "common/run_options.h"
#include "instance/instance_record.h"
#include "report/result_svg.h"
#include "solver/curve_reader.h"

namespace {

double percentOf(double demand) {
  return record.popTotal > 0 ? 100.0 * demand / record.popTotal : 0.0;
}

}  // namespace

void printCurve() {
  if (curveAnswers.empty())
    return;
  // For a target, the p tried in the search.
  std::printf(runOptions.targetGiven ? "\nValores de p tentados:"
                                     : "\nCurva de cobertura:");
  std::printf("\n     p    Atendida   Perc.      Limite    Gap  Prova   Tempo");
  for (const CurveAnswer& a : curveAnswers)
    std::printf("\n%6d %11lld %7.2f %11.0f %5.2f%%  %-6s %7.2f", a.p,
                static_cast<long long>(a.covered),
                percentOf(static_cast<double>(a.covered)), a.upper, curveGap(a),
                a.proven ? "otimo" : "aberto", a.seconds);
  std::printf("\n");
}

std::string curveCsv() {
  std::string text = "p,covered,percent,bound,gap,proven,seconds\n";
  char line[160];
  for (const CurveAnswer& a : curveAnswers) {
    std::snprintf(line, sizeof line, "%d,%lld,%.2f,%.0f,%.2f,%d,%.2f\n", a.p,
                  static_cast<long long>(a.covered),
                  percentOf(static_cast<double>(a.covered)), a.upper,
                  curveGap(a), a.proven ? 1 : 0, a.seconds);
    text += line;
  }
  return text;
}

namespace {

constexpr double kWidth = 800, kHeight = 520;
constexpr double kLeft = 70, kRight = 30, kTop = 60, kBottom = 60;

void append(std::string& out, const char* format, double a, double b = 0,
            double c = 0, double d = 0) {
  char text[200];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  out += text;
}

// A step of 1, 2 or 5 times a power of ten that splits `span` into at most
// `most` parts.
double tickStep(double span, int most) {
  double step = std::pow(10.0, std::floor(std::log10(std::max(span, 1e-9))));
  for (double factor : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0})
    if (span / (step * factor) <= most)
      return step * factor;
  return step * 10;
}

}  // namespace

std::string curveSvg() {
  const std::vector<CurveAnswer>& curve = curveAnswers;
  double firstP = curve.empty() ? 0 : curve.front().p;
  double lastP = curve.empty() ? 1 : curve.back().p;
  if (lastP <= firstP)
    lastP = firstP + 1;
  double low = 100;
  for (const CurveAnswer& a : curve)
    low = std::min(low, percentOf(static_cast<double>(a.covered)));
  double yStep = tickStep(100 - low, 8);
  low = std::max(0.0, std::floor(low / yStep) * yStep);
  if (low >= 100)
    low = 100 - yStep;
  double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
  auto x = [&](double p) {
    return kLeft + (p - firstP) / (lastP - firstP) * plotW;
  };
  auto y = [&](double percent) {
    return kTop + (100 - percent) / (100 - low) * plotH;
  };
  std::string out;
  append(out,
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" "
         "height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n",
         kWidth, kHeight, kWidth, kHeight);
  out +=
      "<style>text{font:14px sans-serif;fill:#000}"
      ".a{stroke:#000;stroke-width:1;fill:none}"
      ".g{stroke:#e0e0e0;stroke-width:1}"
      ".b{fill:#1f77b4;fill-opacity:0.18;stroke:none}"
      ".c{fill:none;stroke:#1f77b4;stroke-width:2}"
      ".o{fill:#d62728;stroke:#d62728;stroke-width:2}"
      ".n{fill:#fff;stroke:#d62728;stroke-width:2}</style>\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  // The grid and the axes' labels.
  for (double v = low; v <= 100 + 1e-9; v += yStep) {
    append(out,
           "<line class=\"g\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" "
           "y2=\"%.1f\"/>\n",
           kLeft, y(v), kLeft + plotW, y(v));
    append(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>\n",
           kLeft - 8, y(v) + 5, v);
  }
  double pStep = std::max(1.0, tickStep(lastP - firstP, 10));
  for (double p = std::ceil(firstP / pStep) * pStep; p <= lastP + 1e-9;
       p += pStep)
    append(out,
           "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>\n",
           x(p), kTop + plotH + 20, p);
  append(out, "<path class=\"a\" d=\"M%.1f %.1fV%.1fH%.1f\"/>\n", kLeft, kTop,
         kTop + plotH, kLeft + plotW);
  append(out,
         "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">p (centres)"
         "</text>\n",
         kLeft + plotW / 2, kHeight - 15);
  // The band between the coverage and its bound, then the curve and dots.
  if (!curve.empty()) {
    std::string band = "<path class=\"b\" d=\"";
    for (std::size_t k = 0; k < curve.size(); ++k)
      append(band, k == 0 ? "M%.1f %.1f" : "L%.1f %.1f", x(curve[k].p),
             y(percentOf(curve[k].upper)));
    for (std::size_t k = curve.size(); k-- > 0;)
      append(band, "L%.1f %.1f", x(curve[k].p),
             y(percentOf(static_cast<double>(curve[k].covered))));
    out += band + "Z\"/>\n<path class=\"c\" d=\"";
    for (std::size_t k = 0; k < curve.size(); ++k)
      append(out, k == 0 ? "M%.1f %.1f" : "L%.1f %.1f", x(curve[k].p),
             y(percentOf(static_cast<double>(curve[k].covered))));
    out += "\"/>\n";
    for (const CurveAnswer& a : curve)
      append(out,
             a.proven
                 ? "<circle class=\"o\" cx=\"%.1f\" cy=\"%.1f\" r=\"4\"/>\n"
                 : "<circle class=\"n\" cx=\"%.1f\" cy=\"%.1f\" r=\"4\"/>\n",
             x(a.p), y(percentOf(static_cast<double>(a.covered))));
  }
  out += "<text x=\"20\" y=\"30\">coverage (%) against p, S = ";
  out += serviceDistanceText();
  out += "; band: up to the solver's bound; filled: proven optimal";
  out += "</text>\n</svg>\n";
  return out;
}

void writeCurveFiles() {
  if (curveAnswers.empty())
    return;
  if (!runOptions.curveFile.empty()) {
    OutFile out(runOptions.curveFile);
    out.write(curveCsv());
    out.close();
  }
  if (!runOptions.curveSvgFile.empty()) {
    OutFile out(runOptions.curveSvgFile);
    out.write(curveSvg());
    out.close();
  }
}
