#include "common/curve_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/end_mark.h"
#include "common/fatal.h"
#include "common/files.h"

bool parseCurveList(const char* text, std::vector<int>& list) {
  list.clear();
  std::string_view rest(text);
  for (;;) {
    std::size_t comma = rest.find(',');
    int value = 0;
    if (!parseInt(rest.substr(0, comma), value) || value < 0 ||
        (!list.empty() && value <= list.back()))
      return false;
    list.push_back(value);
    if (comma == std::string_view::npos)
      return true;
    rest.remove_prefix(comma + 1);
  }
}

void writeCurve(const char* path, const std::vector<CurvePoint>& points) {
  std::string temporary = std::string(path) + ".tmp";
  std::string message = std::string("\n>>> Arquivo de dados ") + temporary +
                        " nao pode ser criado";
  {
    OutFile out(temporary.c_str(), message.c_str());
    out.print("%zu\n", points.size());
    for (const CurvePoint& point : points) {
      out.print("%d %.5f %.5f %.2f %d\n", point.p, point.objective, point.bound,
                point.seconds, point.proven ? 1 : 0);
      std::vector<int> centres = point.centres;
      std::sort(centres.begin(), centres.end());
      for (std::size_t k = 0; k < centres.size(); ++k)
        out.print(k == 0 ? "%d" : " %d", centres[k]);
      out.print("\n");
    }
    out.print("%d\n", END_MARK);
    out.close();
  }
  if (std::rename(temporary.c_str(), path) != 0)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser gravado", path);
}

void readCurve(DataReader& in, int n, const std::vector<int>& list,
               std::vector<CurvePoint>& out) {
  out.clear();
  auto refuse = [&](const char* what) {
    fatalExit("\n>>> Arquivo de dados %s com %s na linha %d",
              in.label().c_str(), what, in.line());
  };
  int count = in.readInt();
  if (count != static_cast<int>(list.size()))
    refuse("numero de valores de p diferente do pedido");
  for (int k = 0; k < count; ++k) {
    CurvePoint point;
    point.p = in.readInt();
    if (point.p != list[static_cast<std::size_t>(k)])
      refuse("valor de p diferente do pedido");
    in.readAnyFloat(point.objective);
    in.readAnyFloat(point.bound);
    double seconds = 0, proven = 0;
    in.readAnyFloat(seconds);
    in.readAnyFloat(proven);
    if (proven != 0 && proven != 1)
      refuse("marca de prova diferente de 0 e 1");
    point.seconds = seconds;
    point.proven = proven == 1;
    for (int i = 0; i < point.p; ++i) {
      int c = in.readInt();
      if (c < 0 || c >= n)
        fatalExit(
            "\n>>> Arquivo de dados %s com centro fora de 0 a %d na linha %d",
            in.label().c_str(), n - 1, in.line());
      point.centres.push_back(c);
    }
    out.push_back(std::move(point));
  }
  if (in.readInt() != END_MARK)
    refuse("fim diferente de 9999999");
}
