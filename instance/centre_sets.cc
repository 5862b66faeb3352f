#include "instance/centre_sets.h"

#include <algorithm>
#include <cstdio>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "common/token_reader.h"
#include "common/warning.h"
#include "instance/instance_record.h"
#include "instance/table_rows.h"

CentreSets centreSets;

namespace {

// The column of a header that holds the ids; -1 when there is no header
// (the first field of the first row is a number).
int idColumn(const std::vector<std::string>& first, const std::string& label,
             int line) {
  int value = 0;
  if (parseInt(first[0], value))
    return -1;
  for (std::size_t i = 0; i < first.size(); ++i)
    if (lowered(first[i]) == "id")
      return static_cast<int>(i);
  fatalExit("\n>>> Arquivo de dados %s sem coluna id no cabecalho (linha %d)",
            label.c_str(), line);
}

int vertexOf(const std::string& field, const std::string& label, int line,
             int n) {
  int value = 0;
  if (!parseInt(field, value))
    fatalExit(
        "\n>>> Arquivo de dados %s com valor invalido na linha %d: esperado o "
        "numero de um vertice, lido \"%s\"",
        label.c_str(), line, shownField(field).c_str());
  if (value < 1 || value > n)
    fatalExit(
        "\n>>> Arquivo de dados %s com vertice fora de 1 a %d na linha %d",
        label.c_str(), n, line);
  return value - 1;
}

// Sorts the vertices and keeps each once, warning about the repeats.
std::vector<int32_t> once(std::vector<int32_t> vertices,
                          const std::string& label) {
  std::sort(vertices.begin(), vertices.end());
  std::vector<int32_t> repeated;
  for (std::size_t k = 1; k < vertices.size(); ++k)
    if (vertices[k] == vertices[k - 1] &&
        (repeated.empty() || repeated.back() != vertices[k]))
      repeated.push_back(vertices[k]);
  vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
  if (!repeated.empty()) {
    constexpr std::size_t kShown = 5;
    std::string shown;
    for (std::size_t k = 0; k < std::min(kShown, repeated.size()); ++k) {
      shown += ' ';
      shown += std::to_string(repeated[k] + 1);
    }
    warn(
        "Arquivo de dados %s repete %zu vertice(s):%s%s; cada um conta uma "
        "vez",
        label.c_str(), repeated.size(), shown.c_str(),
        repeated.size() > kShown ? " ..." : "");
  }
  return vertices;
}

std::vector<int32_t> readVertexFile(const std::string& name) {
  std::string label = "<" + name + ">";
  return parseVertexList(readWholeInput(name.c_str(), label), label,
                         record.vertices);
}

}  // namespace

std::vector<int32_t> parseVertexList(std::string_view text,
                                     const std::string& label, int n) {
  TableRows rows(text, label);
  std::vector<std::string> fields;
  std::vector<int32_t> vertices;
  int column = -2;  // not yet known
  while (rows.next(fields)) {
    if (column == -2) {
      column = idColumn(fields, label, rows.line());
      if (column >= 0)
        continue;
    }
    if (column < 0) {
      // Without a header every field is a vertex; empty ones separate.
      for (const std::string& field : fields)
        if (!field.empty())
          vertices.push_back(vertexOf(field, label, rows.line(), n));
    } else if (static_cast<std::size_t>(column) < fields.size()) {
      vertices.push_back(vertexOf(fields[column], label, rows.line(), n));
    } else {
      fatalExit(
          "\n>>> Arquivo de dados %s com %zu campo(s) na linha %d; esperada a "
          "coluna id",
          label.c_str(), fields.size(), rows.line());
    }
  }
  return once(std::move(vertices), label);
}

bool isExistingCentre(int32_t v) {
  return std::binary_search(centreSets.existing.begin(),
                            centreSets.existing.end(), v);
}

void loadCentreSets() {
  int p = record.facilidades;
  if (!runOptions.openFile.empty()) {
    centreSets.existingGiven = true;
    centreSets.existing = readVertexFile(runOptions.openFile);
    int count = static_cast<int>(centreSets.existing.size());
    if (count > p)
      fatalExit(
          "\n>>> Arquivo de dados <%s> com %d centros existentes, mais que "
          "p = %d",
          runOptions.openFile.c_str(), count, p);
  }
  if (!runOptions.candidatesFile.empty()) {
    centreSets.candidatesGiven = true;
    centreSets.candidates = readVertexFile(runOptions.candidatesFile);
    int fresh = 0;
    for (int32_t v : centreSets.candidates)
      fresh += isExistingCentre(v) ? 0 : 1;
    int existing = static_cast<int>(centreSets.existing.size());
    if (fresh < p - existing)
      fatalExit(
          "\n>>> Arquivo de dados <%s> com %d local(is) candidato(s) fora dos "
          "centros existentes, para %d centro(s) novo(s) (p = %d, %d "
          "existente(s))",
          runOptions.candidatesFile.c_str(), fresh, p - existing, p, existing);
  }
}
