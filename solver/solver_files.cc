#include "solver/solver_files.h"

#include <string>
#include <vector>

#include "common/files.h"
#include "common/run_files.h"
#include "instance/centre_sets.h"
#include "instance/instance_record.h"
#include "solver/fixed_format.h"
#include "solver/solver_run.h"

namespace {

// Output goes through a large buffer, handed to the file a chunk at a time.
constexpr std::size_t kFlushAt = 1 << 20;

std::string valueLine(double value) {
  char text[kFixedMax + 1];
  std::size_t length = formatFixed(value, 11, 5, text);
  text[length++] = '\n';
  return std::string(text, length);
}

void writeCostFile() {
  OutFile out(runPath(kCostFile),
              "\n>>> Arquivo de dados pmeddata.dat nao pode ser criado");
  int n = record.vertices;
  float s = record.distServico;
  out.print("%d  %d\n", n, record.facilidades);
  // Every line is either 0 or the demand of the column's vertex, so the n
  // possible texts are formatted once and copied n - 1 times each.
  const std::string covered = valueLine(0.0);
  std::vector<std::string> uncovered(n);
  for (int j = 0; j < n; ++j)
    uncovered[j] = valueLine(record.pop[j]);
  std::string buffer;
  buffer.reserve(kFlushAt + 2 * kFixedMax);
  for (int i = 0; i < n; ++i) {
    const float* row = record.cost[i];
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

void writeDistanceFile() {
  OutFile out(runPath(kDistanceFile),
              "\n>>> Arquivo de dados pmedmtrx.dat nao pode ser criado");
  int n = record.vertices;
  out.print("%d %d %7.2f\n", n, record.facilidades,
            static_cast<double>(record.distServico));
  std::string buffer;
  buffer.reserve(kFlushAt + 2 * kFixedMax);
  char text[kFixedMax + 1];
  for (int i = 0; i + 1 < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      std::size_t length = formatFixed(record.cost[i][j], 11, 5, text);
      text[length++] = '\n';
      buffer.append(text, length);
      if (buffer.size() >= kFlushAt) {
        out.write(buffer);
        buffer.clear();
      }
    }
  }
  out.write(buffer);
  out.close();
}

// Writes a set of vertices for the solver and names it on its command line
// after `option`.
void writeVertexSetFile(const char* name, const std::vector<int32_t>& set,
                        const char* option) {
  OutFile out(std::string(runPath(name)));
  out.print("%zu\n", set.size());
  for (int32_t v : set)
    out.print("%d\n", v);
  out.close();
  solverArguments.push_back(option);
  solverArguments.push_back(name);
}

}  // namespace

void writeSolverFiles() {
  writeCostFile();
  writeDistanceFile();
  // Without the sets the solver is started exactly as before: no files, no
  // arguments for them.
  if (centreSets.existingGiven)
    writeVertexSetFile(kOpenFile, centreSets.existing, "-F");
  if (centreSets.candidatesGiven)
    writeVertexSetFile(kCandidatesFile, centreSets.candidates, "-C");
}
