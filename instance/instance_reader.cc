#include "instance/instance_reader.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "common/warning.h"
#include "instance/distances.h"
#include "instance/near_pairs.h"
#include "instance/network_paths.h"
#include "instance/point_table.h"
#include "instance/shortest_paths.h"

std::vector<EdgeRecord> edgeRecords;

namespace {

// Memory the matrix may take, in bytes: what the kernel reports as available
// now, or the physical memory where that cannot be read. A matrix larger than
// this would only be granted lazily and then end the process, or starve the
// machine, while it is being filled; refusing it up front gives the
// allocation message instead.
uint64_t availableMemory() {
  if (std::FILE* info = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, info))
      found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    std::fclose(info);
    if (found)
      return static_cast<uint64_t>(kib) * 1024u;
  }
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0)
    return UINT64_MAX;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

// The first value, n. A file that starts with a table's header ("x,y",
// "name,lat,lon") is a table of points read without --points: the message
// says so.
int readVertexCount(DataReader& in) {
  std::string_view first;
  if (!in.tryReadToken(first))
    in.failEnded();
  int n = 0;
  if (parseInt(first, n))
    return n;
  bool letter = (first[0] >= 'A' && first[0] <= 'Z') ||
                (first[0] >= 'a' && first[0] <= 'z') || first[0] == '"';
  if (letter && first.find(',') != std::string_view::npos)
    fatalExit(
        "\n>>> Arquivo de dados %s com valor invalido na linha %d: parece uma "
        "tabela de pontos; leia-a com --points",
        in.label().c_str(), in.line());
  in.failInvalid();
}

void readHeader(DataReader& in, InputMode mode) {
  record.vertices = readVertexCount(in);
  if (mode == InputMode::B)
    record.arestas = in.readInt();
  record.facilidades = in.readInt();
  record.distServico = in.readFloat();
  if (record.vertices < 0 || record.arestas < 0 || record.facilidades < 0 ||
      record.distServico < 0.0f)
    fatalExit("\n>>> Arquivo de dados %s com valor negativo no cabecalho",
              in.label().c_str());
  applyRunParameters(in.label());
}

int readVertex(DataReader& in, int n) {
  int v = in.readInt();
  if (v < 1 || v > n)
    fatalExit(
        "\n>>> Arquivo de dados %s com vertice fora de 1 a %d na linha %d",
        in.label().c_str(), n, in.line());
  return v - 1;
}

// Warns about the vertices that no edge record names: in a network of more
// than one vertex they are unreachable, which usually means n is mistyped.
void warnUntouched(const DataReader& in, const std::vector<char>& touched) {
  constexpr int kShown = 5;
  int count = 0;
  std::string shown;
  for (std::size_t v = 0; v < touched.size(); ++v) {
    if (touched[v])
      continue;
    if (++count <= kShown) {
      shown += ' ';
      shown += std::to_string(v + 1);
    }
  }
  if (count > 0 && touched.size() > 1)
    warn("Arquivo de dados %s com %d vertice(s) sem aresta:%s%s",
         in.label().c_str(), count, shown.c_str(),
         count > kShown ? " ..." : "");
}

// Reads the m edge records, hands each to `store` in file order (the last
// record of a pair wins), and keeps them in edgeRecords.
template <typename Store>
void readEdges(DataReader& in, Store store) {
  int n = record.vertices;
  std::vector<char> touched(static_cast<std::size_t>(n), 0);
  for (int r = 0; r < record.arestas; ++r) {
    int a = readVertex(in, n);
    int b = readVertex(in, n);
    touched[a] = touched[b] = 1;
    float d = in.readFloat();
    // A negative length would let completion lower distances without end.
    if (d < 0.0f)
      fatalExit(
          "\n>>> Arquivo de dados %s com comprimento negativo na linha %d",
          in.label().c_str(), in.line());
    store(a, b, d);
    edgeRecords.push_back({a, b, d});
  }
  warnUntouched(in, touched);
}

// S in fixed notation, which a user compares with S at a glance: 100000,
// not 1e+05.
std::string fixedText(float value) {
  char text[64];
  *std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed)
       .ptr = '\0';
  return text;
}

// Warns when S is below the distance from almost every vertex to its
// nearest other vertex at a positive distance: at most one vertex in a
// hundred has such a neighbour within S. Almost every centre would then
// cover only itself and the vertices at its own place, which usually means
// that S is in another unit than the distances (kilometres against
// metres); the median of those distances shows which. Vertices at distance
// 0 from each other (a table's repeated places) do not silence it. Tables
// of points only: a matrix or a network of a few vertices, some at one
// place, is as likely meant.
void warnFewWithinS(const std::string& label) {
  int64_t n = record.vertices;
  if (record.source != DistanceSource::kPoints || record.distServico <= 0.0f ||
      verticesNearAtPositiveDistance(n / 100) * 100 > n)
    return;
  std::vector<float> nearest = nearestPositiveDistances();
  int64_t near = 0;
  std::vector<float> finite;
  for (float d : nearest) {
    if (d == std::numeric_limits<float>::infinity())
      continue;
    finite.push_back(d);
    near += d <= record.distServico;
  }
  if (finite.empty())
    return;
  // The lower middle value, a distance of the table itself.
  auto middle =
      finite.begin() + static_cast<std::ptrdiff_t>((finite.size() - 1) / 2);
  std::nth_element(finite.begin(), middle, finite.end());
  warn(
      "Arquivo de dados %s com so %lld de %lld vertices a ate S = %s de outro "
      "vertice a distancia positiva; a mediana da distancia de cada vertice "
      "ao vizinho mais proximo a distancia positiva e %s",
      label.c_str(), static_cast<long long>(near), static_cast<long long>(n),
      fixedText(record.distServico).c_str(), fixedText(*middle).c_str());
}

// Warns when no two distinct vertices lie within S of each other: every
// centre would cover only itself, which usually means that S is in another
// unit than the distances. The smallest distance shows which. Otherwise,
// when almost no vertex has a neighbour within S, the warning above.
void warnNothingWithinS(const std::string& label) {
  if (record.vertices < 2)
    return;
  if (!(record.sparse && nearPairCount(record.near) > 0)) {
    float smallest = smallestDistance();
    if (smallest > record.distServico) {
      warn(
          "Arquivo de dados %s sem par de vertices distintos a ate S = %s um "
          "do outro; a menor distancia entre dois vertices e %s",
          label.c_str(), fixedText(record.distServico).c_str(),
          fixedText(smallest).c_str());
      return;
    }
  }
  warnFewWithinS(label);
}

void readUpperTriangle(DataReader& in) {
  int n = record.vertices;
  float** cost = record.cost;
  for (int i = 0; i + 1 < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      cost[i][j] = in.readFloat();
      cost[j][i] = cost[i][j];
    }
  }
}

// Warns once when the file goes on after the last value its layout reads:
// an edge list with more records than its header's m, or a matrix with more
// values than its triangle; the rest is ignored.
void warnTokensFrom(const DataReader& in, int line) {
  warn(
      "Arquivo de dados %s com valores alem dos que o cabecalho anuncia, a "
      "partir da linha %d; ignorados",
      in.label().c_str(), line);
}

void warnTokensLeft(DataReader& in) {
  if (in.moreTokens())
    warnTokensFrom(in, in.line());
}

// After the upper triangle: a file that goes on for exactly n more values
// holds the triangle with its diagonal, and one that goes on for n(n+1)/2
// more holds the full n x n matrix. Read as the triangle either gives a
// plainly wrong matrix, so both are refused; any other surplus is ignored
// with a warning.
void checkMatrixLayout(DataReader& in) {
  int64_t n = record.vertices;
  int64_t triangle = n * (n - 1) / 2;
  int64_t full = n * (n + 1) / 2;
  if (!in.moreTokens())
    return;
  int first = in.line();
  int64_t extra = 1;
  while (extra <= full && in.moreTokens())
    ++extra;
  if (n > 0 && (extra == n || extra == full))
    fatalExit(
        "\n>>> Arquivo de dados %s com %lld valores depois do cabecalho: %s; "
        "o formato pede o triangulo superior sem a diagonal, n(n-1)/2 = %lld "
        "valores",
        in.label().c_str(), static_cast<long long>(triangle + extra),
        extra == full ? "a matriz completa, n x n"
                      : "o triangulo superior com a diagonal, n(n+1)/2",
        static_cast<long long>(triangle));
  warnTokensFrom(in, first);
}

// Both programs hold the n x n matrix, the tool its distances and the
// solver its costs: warns before the first of them is allocated when the
// two cannot fit in the memory free now. A table or an edge list can be
// run on the pairs within S instead, which the warning names.
void warnMatrixMemory(int n, uint64_t bytes, uint64_t memory) {
  if (bytes <= memory / 2)
    return;
  constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
  bool sparseWorks = runOptions.points || runOptions.mode == 'B';
  warn(
      "a matriz de n = %d vertices ocupa %.1f GB em cada um dos dois "
      "programas, mais do que a memoria livre comporta%s",
      n, static_cast<double>(bytes) / kGiB,
      sparseWorks ? "; com --sparse guardam-se so os pares a ate S" : "");
}

// Warns when the pairs within S are more than half of all pairs: the
// lists then take as much memory as the matrix they replace.
void warnDensePairs() {
  int64_t n = record.vertices;
  int64_t pairs = nearPairCount(record.near);
  if (n < 2 || pairs <= n * n / 2)
    return;
  warn(
      "com --sparse, %lld pares de vertices a ate S = %g, mais que metade de "
      "n x n = %lld: as listas ocupam tanto quanto a matriz",
      static_cast<long long>(pairs), static_cast<double>(record.distServico),
      static_cast<long long>(n * n));
}

}  // namespace

void applyRunParameters(const std::string& label) {
  if (runOptions.facilitiesGiven)
    record.facilidades = runOptions.facilities;
  // The fewest centres for a target are searched for among every site; the
  // solver's input is written for them all.
  if (runOptions.targetGiven)
    record.facilidades = record.vertices;
  if (runOptions.serviceGiven)
    record.distServico = runOptions.serviceDistance;
  // The solver's input counts a pair at UNREACHABLE as covered when S reaches
  // it, while the reassignment never assigns such a pair: the two would
  // disagree on a network with unconnected vertices.
  if (record.distServico >= UNREACHABLE) {
    if (runOptions.serviceGiven)
      fatalExit(
          "\n>>> Opcao --service-distance com distancia de servico a partir "
          "de 1000000");
    fatalExit(
        "\n>>> Arquivo de dados %s com distancia de servico a partir de "
        "1000000",
        label.c_str());
  }
  if (record.facilidades > record.vertices) {
    if (runOptions.facilitiesGiven)
      fatalExit("\n>>> Opcao --facilities com p maior que n = %d",
                record.vertices);
    fatalExit("\n>>> Arquivo de dados %s com p maior que n", label.c_str());
  }
}

void allocateCostRows(int n) {
  uint64_t bytes =
      static_cast<uint64_t>(n) * static_cast<uint64_t>(n) * sizeof(float) +
      static_cast<uint64_t>(n) * sizeof(float*);
  uint64_t memory = availableMemory();
  warnMatrixMemory(n, bytes, memory);
  if (bytes > memory)
    fatalExit("\n>>> Memoria insuficiente para cost[%d]", n);
  record.cost = static_cast<float**>(allocateZeroed(n, sizeof(float*)));
  if (!record.cost)
    fatalExit("\n>>> Memoria insuficiente para cost[%d]", n);
  for (int i = 0; i < n; ++i) {
    record.cost[i] = static_cast<float*>(allocateZeroed(n, sizeof(float)));
    if (!record.cost[i])
      fatalExit("\n>>> Memoria insuficiente para cost[%d][%d]", i, n);
  }
}

void allocateCost(int n) {
  allocateCostRows(n);
  // Row by row, the order the memory is laid out in.
  for (int i = 0; i < n; ++i) {
    std::fill(record.cost[i], record.cost[i] + n, UNREACHABLE);
    record.cost[i][i] = 0.0f;
  }
}

void readInstanceFrom(DataReader& in, InputMode mode) {
  edgeRecords.clear();
  readHeader(in, mode);
  if (mode == InputMode::B) {
    record.source = DistanceSource::kNetwork;
    if (runOptions.sparse) {
      readEdges(in, [](int, int, float) {});
      warnTokensLeft(in);
      fillNearPairsOfNetwork(record.vertices, edgeRecords);
      warnDensePairs();
    } else {
      allocateCost(record.vertices);
      float** cost = record.cost;
      // The last record for a pair wins; a = b overwrites the diagonal.
      readEdges(in, [cost](int a, int b, float d) {
        cost[a][b] = d;
        cost[b][a] = d;
      });
      // Before the completion, which may take a while on a large network.
      warnTokensLeft(in);
      closeShortestPaths(record.vertices);
    }
  } else {
    // Every cell off the diagonal comes from the file and the diagonal is 0
    // from the zero fill, so the matrix is not filled with UNREACHABLE
    // first: that would touch all of it before a short file is found out.
    allocateCostRows(record.vertices);
    readUpperTriangle(in);
    checkMatrixLayout(in);
  }
  warnNothingWithinS(in.label());
}

void readInstance(const char* fileName, InputMode mode) {
  if (runOptions.points) {
    readPointTable(fileName);
    if (record.sparse)
      warnDensePairs();
    warnNothingWithinS(std::string("(") + fileName + ")");
    return;
  }
  std::FILE* file = openForReading(fileName);
  if (!file)
    fatalExit("\n>>> Arquivo de dados (%s) nao pode ser aberto", fileName);
  std::string label = std::string("(") + fileName + ")";
  refuseRunOutput(file, label);
  DataReader in(file, label);
  readInstanceFrom(in, mode);
  closeReading(file);
}
