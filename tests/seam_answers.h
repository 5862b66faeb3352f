#pragma once

// Everything a run asks the distance seam (instance/distances.h), collected
// for one instance and one centro, so that a dense reading and a sparse one
// can be compared; shared by the seam's unit test and its fuzz target.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/run_options.h"
#include "common/token_reader.h"
#include "instance/distances.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"

struct SeamAnswers {
  std::vector<std::vector<float>> within;  // per vertex: d where <= S, else -1
  std::vector<float> self;
  std::vector<CentreLink> links;
  std::vector<int64_t> pairs;  // centrePairsWithin at each of kSeamReaches
  float smallest = 0;
  std::vector<float> beyond;  // pairDistance of fixed pairs, capped
};

inline const std::vector<double> kSeamReaches = {0,      1,       7,      20,
                                                 600000, 1500000, 2500000};

// Sets centro to `centres` and asks the seam everything about the record.
inline SeamAnswers askSeam(const std::vector<int32_t>& centres) {
  int n = record.vertices;
  record.facilidades = static_cast<int32_t>(centres.size());
  record.centro =
      static_cast<int32_t*>(allocateZeroed(centres.size(), sizeof(int32_t)));
  std::copy(centres.begin(), centres.end(), record.centro);
  SeamAnswers answers;
  for (int i = 0; i < n; ++i) {
    answers.self.push_back(selfDistance(i));
    std::vector<float> row;
    for (int j = 0; j < n; ++j) {
      float d = -1;
      if (!distanceWithinS(i, j, d))
        d = -1;
      row.push_back(d);
    }
    answers.within.push_back(row);
  }
  answers.links = linkToCentres();
  for (double reach : kSeamReaches)
    answers.pairs.push_back(centrePairsWithin(reach));
  answers.smallest = smallestDistance();
  // A pair beyond S on a sparse run is searched for up to UNREACHABLE only.
  for (int i = 0; i < n; i += 3)
    for (int j = n - 1; j > i; j -= 5)
      answers.beyond.push_back(std::min(pairDistance(i, j), UNREACHABLE));
  return answers;
}

// The answers for the edge list `text`, read on the completed matrix ([0])
// and with --sparse ([1]); the record keeps the sparse reading.
inline std::array<SeamAnswers, 2> askEdgeListBothWays(
    std::string_view text, const std::vector<int32_t>& centres) {
  std::array<SeamAnswers, 2> answers;
  for (int sparse = 0; sparse < 2; ++sparse) {
    releaseInstance();
    record = InstanceRecord{};
    runOptions.sparse = sparse == 1;
    DataReader in(text, "(edges)");
    readInstanceFrom(in, InputMode::B);
    answers[static_cast<std::size_t>(sparse)] = askSeam(centres);
  }
  runOptions.sparse = false;
  return answers;
}
