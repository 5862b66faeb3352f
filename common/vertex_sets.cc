#include "common/vertex_sets.h"

#include <algorithm>

#include "common/fatal.h"
#include "common/files.h"

std::vector<int> readVertexSet(DataReader& in, int n) {
  const char* name = in.label().c_str();
  int count = in.readInt();
  if (count < 0 || count > n)
    fatalExit("\n>>> Arquivo de dados %s com contagem invalida na linha %d",
              name, in.line());
  std::vector<int> vertices;
  vertices.reserve(static_cast<std::size_t>(count));
  std::vector<char> seen(static_cast<std::size_t>(n), 0);
  for (int k = 0; k < count; ++k) {
    int v = in.readInt();
    if (v < 0 || v >= n)
      fatalExit(
          "\n>>> Arquivo de dados %s com vertice %d fora de 0 a %d na "
          "linha %d",
          name, v, n - 1, in.line());
    if (seen[static_cast<std::size_t>(v)])
      fatalExit(
          "\n>>> Arquivo de dados %s com vertice %d repetido na linha "
          "%d",
          name, v, in.line());
    seen[static_cast<std::size_t>(v)] = 1;
    vertices.push_back(v);
  }
  if (in.moreTokens())
    fatalExit(
        "\n>>> Arquivo de dados %s com mais vertices que a contagem %d "
        "na linha %d",
        name, count, in.line());
  return vertices;
}

std::vector<int> loadVertexSet(const char* path, int n) {
  std::FILE* file = openForReading(path);
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", path);
  DataReader in(file, path);
  std::vector<int> vertices = readVertexSet(in, n);
  closeReading(file);
  return vertices;
}

void writeVertexSet(const char* path, const std::vector<int>& vertices) {
  OutFile out{std::string(path)};
  out.print("%zu\n", vertices.size());
  for (int v : vertices)
    out.print("%d\n", v);
  out.close();
}

void checkVertexSets(const VertexSets& sets, int p) {
  int fixed = static_cast<int>(sets.fixed.size());
  if (fixed > p)
    fatalExit("\n>>> %d centros abertos para apenas %d centros", fixed, p);
  if (!sets.hasCandidates)
    return;
  // Fixed centres count once, listed as candidates or not.
  std::vector<int> both = sets.candidates;
  both.insert(both.end(), sets.fixed.begin(), sets.fixed.end());
  std::sort(both.begin(), both.end());
  int allowed =
      static_cast<int>(std::unique(both.begin(), both.end()) - both.begin());
  if (allowed < p)
    fatalExit("\n>>> Apenas %d locais permitidos para %d centros", allowed, p);
}
