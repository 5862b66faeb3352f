#pragma once

// Random matrix instances run through the solver exchange as a run does:
// reassignment to the centres of a made-up answer, then the coverage
// evaluation, in the current folder. Distances are small integers, so ties
// and zero distances between vertices are common; demands may be zero or
// negative; centres may repeat.

#include <algorithm>
#include <random>
#include <string>

#include "common/run_options.h"
#include "common/token_reader.h"
#include "instance/demand.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/coverage.h"
#include "solver/solution_reader.h"
#include "test_util.h"

// The worked example in the record: n = 4, p = 2, S = 10, demands 25 21 30
// 40; centres 2 and 0 serve vertices 0 … 2 and leave 3 uncovered.
inline void loadWorkedExample() {
  DataReader in(std::string_view("4 2 10  9 7 30  9 15  11"), "(inst.txt)");
  readInstanceFrom(in, InputMode::G);
  record.pop = static_cast<int32_t*>(allocateZeroed(4, sizeof(int32_t)));
  const int32_t pop[] = {25, 21, 30, 40};
  std::copy(pop, pop + 4, record.pop);
  record.popTotal = 116;
}

inline void runRandomInstance(std::mt19937& rng) {
  resetRecord();
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
  };
  int n = pick(1, 40);
  int p = pick(0, std::min(n, 6));
  std::string text = std::to_string(n) + " " + std::to_string(p) + " " +
                     std::to_string(pick(0, 12)) + ".5\n";
  for (int i = 0; i + 1 < n; ++i)
    for (int j = i + 1; j < n; ++j)
      text += std::to_string(pick(0, 20)) + " ";
  DataReader in(std::string_view(text), "(inst.txt)");
  readInstanceFrom(in, InputMode::G);
  record.pop = static_cast<int32_t*>(allocateZeroed(n, sizeof(int32_t)));
  for (int j = 0; j < n; ++j) {
    record.pop[j] = pick(-5, 50);
    record.popTotal += record.pop[j];
  }
  std::string answer = "12.5 10 0.25\n9999999\n4\n";
  for (int k = 0; k < p; ++k)
    answer += std::to_string(pick(0, n - 1)) + " ";
  writeFile("solucao.txt", answer);
  reassignToCentres();
  evaluateCoverage();
}

// A run on the table of points `table`, as --points makes it: read from
// "t.csv" with p and S from the command line, demands from its column (else
// drawn from seed 1), then the answer `answer` written as "solucao.txt".
// Leaves runOptions as the run set them.
inline void runPointTable(const std::string& table, int p, float s,
                          const std::string& answer) {
  resetRecord();
  writeFile("t.csv", table);
  runOptions = RunOptions{};
  runOptions.mode = 'G';
  runOptions.points = true;
  runOptions.instanceFile = "t.csv";
  runOptions.facilitiesGiven = true;
  runOptions.facilities = p;
  runOptions.serviceGiven = true;
  runOptions.serviceDistance = s;
  runOptions.seedGiven = true;
  runOptions.seed = 1;
  readInstance("t.csv", InputMode::G);
  demandSource = DemandSource{};
  loadDemand(InputMode::G);
  writeFile("solucao.txt", answer);
  reassignToCentres();
  evaluateCoverage();
}
