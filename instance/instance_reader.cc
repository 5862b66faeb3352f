#include "instance/instance_reader.h"

#include <unistd.h>

#include <cstdint>
#include <string>

#include "common/fatal.h"
#include "common/files.h"
#include "instance/shortest_paths.h"

namespace {

// Physical memory in bytes. A matrix larger than this would only be granted
// lazily by the kernel and then end the process, or the machine, while it is
// being filled; refusing it up front gives the allocation message instead.
uint64_t physicalMemory() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0)
    return UINT64_MAX;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

void readHeader(DataReader& in, InputMode mode) {
  record.vertices = in.readInt();
  if (mode == InputMode::B)
    record.arestas = in.readInt();
  record.facilidades = in.readInt();
  record.distServico = in.readFloat();
  if (record.vertices < 0 || record.arestas < 0 || record.facilidades < 0)
    fatalExit("\n>>> Arquivo de dados %s com valor negativo no cabecalho",
              in.label().c_str());
  if (record.facilidades > record.vertices)
    fatalExit("\n>>> Arquivo de dados %s com p maior que n",
              in.label().c_str());
}

int readVertex(DataReader& in, int n) {
  int v = in.readInt();
  if (v < 1 || v > n)
    fatalExit(
        "\n>>> Arquivo de dados %s com vertice fora de 1 a %d na linha %d",
        in.label().c_str(), n, in.line());
  return v - 1;
}

void readEdges(DataReader& in) {
  int n = record.vertices;
  float** cost = record.cost;
  for (int r = 0; r < record.arestas; ++r) {
    int a = readVertex(in, n);
    int b = readVertex(in, n);
    float d = in.readFloat();
    // A negative length would let completion lower distances without end.
    if (d < 0.0f)
      fatalExit(
          "\n>>> Arquivo de dados %s com comprimento negativo na linha %d",
          in.label().c_str(), in.line());
    // The last record for a pair wins; a = b overwrites the diagonal.
    cost[a][b] = d;
    cost[b][a] = d;
  }
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

}  // namespace

void allocateCost(int n) {
  uint64_t bytes =
      static_cast<uint64_t>(n) * static_cast<uint64_t>(n) * sizeof(float) +
      static_cast<uint64_t>(n) * sizeof(float*);
  if (bytes > physicalMemory())
    fatalExit("\n>>> Memoria insuficiente para cost[%d]", n);
  record.cost = static_cast<float**>(allocateZeroed(n, sizeof(float*)));
  if (!record.cost)
    fatalExit("\n>>> Memoria insuficiente para cost[%d]", n);
  for (int i = 0; i < n; ++i) {
    record.cost[i] = static_cast<float*>(allocateZeroed(n, sizeof(float)));
    if (!record.cost[i])
      fatalExit("\n>>> Memoria insuficiente para cost[%d][%d]", i, n);
  }
  for (int i = 0; i < n; ++i) {
    record.cost[i][i] = 0.0f;
    for (int j = i + 1; j < n; ++j)
      record.cost[i][j] = record.cost[j][i] = UNREACHABLE;
  }
}

void readInstanceFrom(DataReader& in, InputMode mode) {
  readHeader(in, mode);
  allocateCost(record.vertices);
  if (mode == InputMode::B) {
    readEdges(in);
    closeShortestPaths(record.vertices);
  } else {
    readUpperTriangle(in);
  }
}

void readInstance(const char* fileName, InputMode mode) {
  std::FILE* file = openForReading(fileName);
  if (!file)
    fatalExit("\n>>> Arquivo de dados (%s) nao pode ser aberto", fileName);
  DataReader in(file, std::string("(") + fileName + ")");
  readInstanceFrom(in, mode);
  closeReading(file);
}
