#include "common/pmed_file.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "common/fixed_format.h"

namespace {

// The matrix grows as lines arrive, so that a header announcing a huge n
// over a short file fails on the missing values, not on a huge allocation.
constexpr std::size_t kInitialReserve = std::size_t{1} << 20;
// n * n must also stay an int, since line numbers and cell counts are ints.
constexpr std::uint64_t kIntSide = 46340;

// Output goes through a large buffer, handed to the file a chunk at a time.
constexpr std::size_t kFlushAt = 1 << 20;

std::string valueLine(double value) {
  char text[kFixedMax + 1];
  std::size_t length = formatFixed(value, 11, 5, text);
  text[length++] = '\n';
  return std::string(text, length);
}

}  // namespace

void writePmedData(const char* path, int n, int p, const float* const* distance,
                   const int32_t* demand, float s) {
  OutFile out(path, "\n>>> Arquivo de dados pmeddata.dat nao pode ser criado");
  out.print("%d  %d\n", n, p);
  // Every line is either 0 or the demand of the column's vertex, so the n
  // possible texts are formatted once and copied n - 1 times each.
  const std::string covered = valueLine(0.0);
  std::vector<std::string> uncovered(n);
  for (int j = 0; j < n; ++j)
    uncovered[j] = valueLine(demand[j]);
  std::string buffer;
  buffer.reserve(kFlushAt + 2 * kFixedMax);
  for (int i = 0; i < n; ++i) {
    const float* row = distance[i];
    for (int j = 0; j < n; ++j) {
      if (j == i)
        continue;
      // A distance equal to S is covered.
      buffer += row[j] <= s ? covered : uncovered[j];
      if (buffer.size() >= kFlushAt) {
        out.write(buffer);
        buffer.clear();
      }
    }
  }
  out.write(buffer);
  out.close();
}

int maxVertices() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  std::uint64_t bytes = pages > 0 && pageSize > 0
                            ? static_cast<std::uint64_t>(pages) *
                                  static_cast<std::uint64_t>(pageSize)
                            : std::uint64_t{1} << 32;
  // Half the memory for the matrix: the search and its lists need the rest.
  std::uint64_t cells = bytes / 2 / sizeof(float);
  auto side = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(cells)));
  while (side > 0 && side * side > cells)
    --side;
  return static_cast<int>(std::min(side, kIntSide));
}

void readPmedData(DataReader& in, PmedProblem& out) {
  const char* name = in.label().c_str();
  int n = in.readInt();
  int p = in.readInt();
  // No vertex or no centre is a valid, trivial problem: the tool accepts
  // such instances and still runs the solver.
  if (n < 0 || p < 0 || p > n)
    fatalExit("\n>>> Arquivo de dados %s com cabecalho invalido", name);
  if (n > maxVertices())
    fatalExit("\n>>> Memoria insuficiente para %d x %d custos", n, n);
  out.n = n;
  out.p = p;
  out.cost.clear();
  std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  out.cost.reserve(std::min(cells, kInitialReserve));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (j == i) {
        out.cost.push_back(0.0f);
        continue;
      }
      float value = in.readFloat();
      if (value < 0)
        fatalExit("\n>>> Arquivo de dados %s com custo negativo na linha %d",
                  name, in.line());
      out.cost.push_back(value);
    }
  }
}

void loadPmedData(const char* path, PmedProblem& out) {
  std::FILE* file = openForReading(path);
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", path);
  DataReader in(file, path);
  readPmedData(in, out);
  closeReading(file);
}

void setSiteRules(const VertexSets& sets, PmedProblem& problem) {
  problem.site.clear();
  if (sets.fixed.empty() && !sets.hasCandidates)
    return;
  problem.site.assign(problem.n, sets.hasCandidates ? -1 : 0);
  for (int v : sets.candidates)
    problem.site[v] = 0;
  for (int v : sets.fixed)
    problem.site[v] = 1;
}

void loadSiteRules(const char* fixedPath, const char* candidatesPath,
                   PmedProblem& problem) {
  loadSiteRules(fixedPath, candidatesPath, {problem.p}, problem);
}

void loadSiteRules(const char* fixedPath, const char* candidatesPath,
                   const std::vector<int>& counts, PmedProblem& problem) {
  VertexSets sets;
  if (fixedPath)
    sets.fixed = loadVertexSet(fixedPath, problem.n);
  if (candidatesPath) {
    sets.candidates = loadVertexSet(candidatesPath, problem.n);
    sets.hasCandidates = true;
  }
  for (int p : counts)
    checkVertexSets(sets, p);
  setSiteRules(sets, problem);
}
