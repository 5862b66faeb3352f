#include "instance/centre_sets.h"

#include <algorithm>
#include <cstdio>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "common/token_reader.h"
#include "common/warning.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "instance/table_rows.h"

CentreSets centreSets;

namespace {

// Where a file's vertices are: by row number in a header's "id" column, by
// the places' own ids in a header's column of that name, or, without a
// header (the first field of the first row is a number), every field.
struct IdColumn {
  int index = -1;         // -1: no header
  bool placeIds = false;  // the column holds the places' own ids
};

IdColumn idColumn(const std::vector<std::string>& first,
                  const std::string& label, int line, const PlaceIds* ids) {
  int value = 0;
  if (parseInt(first[0], value))
    return {};
  for (std::size_t i = 0; i < first.size(); ++i)
    if (lowered(first[i]) == "id")
      return {static_cast<int>(i), false};
  if (ids)
    for (std::size_t i = 0; i < first.size(); ++i)
      if (lowered(first[i]) == ids->column)
        return {static_cast<int>(i), true};
  if (ids)
    fatalExit(
        "\n>>> Arquivo de dados %s sem coluna id nem %s no cabecalho (linha "
        "%d)",
        label.c_str(), ids->column.c_str(), line);
  fatalExit("\n>>> Arquivo de dados %s sem coluna id no cabecalho (linha %d)",
            label.c_str(), line);
}

// The vertex of the place whose own id is `field`.
int vertexOfId(const std::string& field, const std::string& label, int line,
               const PlaceIds& ids) {
  auto at = ids.vertex.find(field);
  if (at == ids.vertex.end())
    fatalExit(
        "\n>>> Arquivo de dados %s com %s \"%s\" na linha %d, que a tabela "
        "%s nao tem",
        label.c_str(), ids.column.c_str(), shownField(field).c_str(), line,
        ids.table.c_str());
  return at->second;
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

std::vector<int32_t> readVertexFile(const std::string& name,
                                    const PlaceIds& ids) {
  std::string label = "<" + name + ">";
  return parseVertexList(readWholeInput(name.c_str(), label), label,
                         record.vertices, ids.column.empty() ? nullptr : &ids);
}

// True when `field` is a row number of n rows.
bool rowNumber(const std::string& field, int n) {
  int value = 0;
  return parseInt(field, value) && value >= 1 && value <= n;
}

}  // namespace

std::vector<int32_t> parseVertexList(std::string_view text,
                                     const std::string& label, int n,
                                     const PlaceIds* ids) {
  TableRows rows(text, label);
  std::vector<std::string> fields;
  std::vector<int32_t> vertices;
  // Without a header the fields are kept with their lines until it is known
  // whether they are all row numbers.
  std::vector<std::pair<std::string, int>> listed;
  bool known = false;
  IdColumn column;
  while (rows.next(fields)) {
    if (!known) {
      known = true;
      column = idColumn(fields, label, rows.line(), ids);
      if (column.index >= 0)
        continue;
    }
    auto at = static_cast<std::size_t>(column.index);
    if (column.index < 0) {
      // Without a header every field is a vertex; empty ones separate.
      for (const std::string& field : fields)
        if (!field.empty())
          listed.emplace_back(field, rows.line());
    } else if (at < fields.size()) {
      vertices.push_back(column.placeIds
                             ? vertexOfId(fields[at], label, rows.line(), *ids)
                             : vertexOf(fields[at], label, rows.line(), n));
    } else {
      fatalExit(
          "\n>>> Arquivo de dados %s com %zu campo(s) na linha %d; esperada a "
          "coluna id",
          label.c_str(), fields.size(), rows.line());
    }
  }
  bool byIds =
      ids && std::any_of(listed.begin(), listed.end(), [n](const auto& field) {
        return !rowNumber(field.first, n);
      });
  for (const auto& [field, line] : listed)
    vertices.push_back(byIds ? vertexOfId(field, label, line, *ids)
                             : vertexOf(field, label, line, n));
  return once(std::move(vertices), label);
}

bool isExistingCentre(int32_t v) {
  return std::binary_search(centreSets.existing.begin(),
                            centreSets.existing.end(), v);
}

PlaceIds placeIdsOfTable() {
  PlaceIds ids;
  if (record.source != DistanceSource::kPoints || pointTable.ids.empty() ||
      pointTable.idColumn.empty())
    return ids;
  ids.column = lowered(pointTable.idColumn);
  ids.table = "(" + runOptions.instanceFile + ")";
  for (std::size_t v = 0; v < pointTable.ids.size(); ++v)
    if (!pointTable.ids[v].empty())
      ids.vertex.emplace(pointTable.ids[v], static_cast<int32_t>(v));
  return ids;
}

void loadCentreSets() {
  int p = record.facilidades;
  PlaceIds ids = placeIdsOfTable();
  if (!runOptions.openFile.empty()) {
    centreSets.existingGiven = true;
    centreSets.existing = readVertexFile(runOptions.openFile, ids);
    int count = static_cast<int>(centreSets.existing.size());
    // A coverage curve keeps them open at its smallest p too.
    int least =
        runOptions.facilityList.empty() ? p : runOptions.facilityList.front();
    if (count > least)
      fatalExit(
          "\n>>> Arquivo de dados <%s> com %d centros existentes, mais que "
          "p = %d",
          runOptions.openFile.c_str(), count, least);
  }
  if (!runOptions.candidatesFile.empty()) {
    centreSets.candidatesGiven = true;
    centreSets.candidates = readVertexFile(runOptions.candidatesFile, ids);
    int fresh = 0;
    for (int32_t v : centreSets.candidates)
      fresh += isExistingCentre(v) ? 0 : 1;
    int existing = static_cast<int>(centreSets.existing.size());
    // A target is searched for among the existing centres and the
    // candidates only: at most all of them open.
    if (runOptions.targetGiven)
      record.facilidades = p = existing + fresh;
    if (fresh < p - existing)
      fatalExit(
          "\n>>> Arquivo de dados <%s> com %d local(is) candidato(s) fora dos "
          "centros existentes, para %d centro(s) novo(s) (p = %d, %d "
          "existente(s))",
          runOptions.candidatesFile.c_str(), fresh, p - existing, p, existing);
  }
}
