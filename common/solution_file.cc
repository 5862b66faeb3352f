#include "common/solution_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/end_mark.h"
#include "common/fatal.h"
#include "common/files.h"

namespace {

// The reader stops at the first real that reads as the end marker in single
// precision; a leading value in that range would end the list early.
bool readsAsEndMark(double value) {
  return isEndMark(static_cast<float>(value));
}

}  // namespace

void writeSolution(const char* path, const SolverAnswer& answer) {
  std::string temporary = std::string(path) + ".tmp";
  std::string message = std::string("\n>>> Arquivo de dados ") + temporary +
                        " nao pode ser criado";
  {
    OutFile out(temporary.c_str(), message.c_str());
    // The leading reals are informative; when one would be taken for the
    // marker they are all left out rather than shifted or altered.
    if (!readsAsEndMark(answer.objective) && !readsAsEndMark(answer.bound) &&
        !readsAsEndMark(answer.seconds))
      out.print("%.5f %.5f %.2f\n", answer.objective, answer.bound,
                answer.seconds);
    out.print("%d\n%d\n", END_MARK, answer.seed);
    std::vector<int> centres = answer.centres;
    std::sort(centres.begin(), centres.end());
    for (std::size_t k = 0; k < centres.size(); ++k)
      out.print(k == 0 ? "%d" : " %d", centres[k]);
    out.print("\n");
    out.close();
  }
  if (std::rename(temporary.c_str(), path) != 0)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser gravado", path);
}

void removeSolution(const char* path) {
  std::remove(path);
  std::remove((std::string(path) + ".tmp").c_str());
}

void readSolution(DataReader& in, int p, int n, SolutionRead& out) {
  out = SolutionRead{};
  for (;;) {
    double exact;
    if (isEndMark(in.readAnyFloat(exact)))
      break;
    // Only the first few are ever used; the rest are skipped.
    if (out.leading.size() < 4)
      out.leading.push_back(exact);
  }
  out.tag = in.readInt();
  for (int i = 0; i < p; ++i) {
    int c = in.readInt();
    if (c < 0 || c >= n)
      fatalExit(
          "\n>>> Arquivo de dados %s com centro fora de 0 a %d na linha %d",
          in.label().c_str(), n - 1, in.line());
    out.centres.push_back(c);
  }
}
