#include "common/cover_file.h"

#include <climits>
#include <string>

#include "common/fatal.h"
#include "common/files.h"

namespace {

// Output goes through a large buffer, handed to the file a chunk at a time.
constexpr std::size_t kFlushAt = 1 << 20;

void appendNumber(std::string& text, int64_t value) {
  char digits[24];
  int length = std::snprintf(digits, sizeof digits, "%lld",
                             static_cast<long long>(value));
  text.append(digits, static_cast<std::size_t>(length));
}

}  // namespace

void writeCoverLists(const char* path, int n, int p, const int32_t* demand,
                     const int64_t* start, const int32_t* vertex) {
  OutFile out(path, "\n>>> Arquivo de dados pmedcob.dat nao pode ser criado");
  out.print("%d  %d  %lld\n", n, p,
            static_cast<long long>(n > 0 ? start[n] - start[0] : 0));
  std::string buffer;
  buffer.reserve(kFlushAt + 64);
  auto flush = [&](bool always) {
    if (always || buffer.size() >= kFlushAt) {
      out.write(buffer);
      buffer.clear();
    }
  };
  for (int j = 0; j < n; ++j) {
    appendNumber(buffer, demand[j]);
    buffer += '\n';
    flush(false);
  }
  for (int i = 0; i < n; ++i) {
    appendNumber(buffer, start[i + 1] - start[i]);
    for (int64_t k = start[i]; k < start[i + 1]; ++k) {
      buffer += ' ';
      appendNumber(buffer, vertex[k]);
      flush(false);
    }
    buffer += '\n';
  }
  flush(true);
  out.close();
}

void readCoverLists(DataReader& in, CoverLists& out) {
  const char* name = in.label().c_str();
  int n = in.readInt();
  int p = in.readInt();
  int entries = in.readInt();
  // The solver indexes the lists, each candidate's own entry included, by
  // int; a list holds at most the n - 1 other vertices.
  if (n < 0 || p < 0 || p > n || entries < 0 || entries > INT_MAX - n ||
      static_cast<int64_t>(entries) > static_cast<int64_t>(n) * (n - 1))
    fatalExit("\n>>> Arquivo de dados %s com cabecalho invalido", name);
  out.n = n;
  out.p = p;
  out.demand.clear();
  out.start.assign(1, 0);
  out.vertex.clear();
  for (int j = 0; j < n; ++j) {
    int value = in.readInt();
    if (value < 0)
      fatalExit("\n>>> Arquivo de dados %s com demanda negativa na linha %d",
                name, in.line());
    out.demand.push_back(value);
  }
  for (int i = 0; i < n; ++i) {
    int count = in.readInt();
    int64_t total = static_cast<int64_t>(out.vertex.size()) + count;
    if (count < 0 || count > n - 1 || total > entries)
      fatalExit(
          "\n>>> Arquivo de dados %s com contagem %d invalida na linha %d",
          name, count, in.line());
    int last = -1;
    for (int k = 0; k < count; ++k) {
      int v = in.readInt();
      if (v < 0 || v >= n || v == i || v <= last)
        fatalExit(
            "\n>>> Arquivo de dados %s com vertice %d invalido na lista de "
            "%d, linha %d",
            name, v, i, in.line());
      out.vertex.push_back(v);
      last = v;
    }
    out.start.push_back(static_cast<int64_t>(out.vertex.size()));
  }
  if (static_cast<int64_t>(out.vertex.size()) != entries)
    fatalExit(
        "\n>>> Arquivo de dados %s com %lld vertices nas listas, e o "
        "cabecalho anuncia %d",
        name, static_cast<long long>(out.vertex.size()), entries);
  if (in.moreTokens())
    fatalExit("\n>>> Arquivo de dados %s com valores a mais na linha %d", name,
              in.line());
}

void loadCoverLists(const char* path, CoverLists& out) {
  std::FILE* file = openForReading(path);
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", path);
  DataReader in(file, path);
  readCoverLists(in, out);
  closeReading(file);
}
