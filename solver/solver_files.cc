#include "solver/solver_files.h"

#include <string>
#include <vector>

#include "common/cover_file.h"
#include "common/files.h"
#include "common/fixed_format.h"
#include "common/pmed_file.h"
#include "common/run_files.h"
#include "common/vertex_sets.h"
#include "instance/centre_sets.h"
#include "instance/instance_record.h"
#include "solver/solver_run.h"

namespace {

// Output goes through a large buffer, handed to the file a chunk at a time.
constexpr std::size_t kFlushAt = 1 << 20;

void writeCostFile() {
  writePmedData(runPath(kCostFile), record.vertices, record.facilidades,
                record.cost, record.pop, record.distServico);
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
  writeVertexSet(runPath(name), std::vector<int>(set.begin(), set.end()));
  solverArguments.push_back(option);
  solverArguments.push_back(name);
}

}  // namespace

void writeSolverFiles() {
  if (record.sparse) {
    // The cover lists in place of both matrices, named on the solver's
    // command line before the sets.
    writeCoverLists(runPath(kCoverFile), record.vertices, record.facilidades,
                    record.pop, record.near.start.data(),
                    record.near.vertex.data());
    solverArguments.push_back(kCoverFileOption);
    solverArguments.push_back(kCoverFile);
  } else {
    writeCostFile();
    writeDistanceFile();
  }
  // Without the sets the solver is started exactly as before: no files, no
  // arguments for them.
  if (centreSets.existingGiven)
    writeVertexSetFile(kFixedCentresFile, centreSets.existing,
                       kFixedCentresOption);
  if (centreSets.candidatesGiven)
    writeVertexSetFile(kCandidateSitesFile, centreSets.candidates,
                       kCandidateSitesOption);
}
