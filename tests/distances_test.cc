#include "instance/distances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_options.h"
#include "instance/instance_reader.h"
#include "instance/point_table.h"
#include "test_util.h"

namespace {

// Everything a run asks the seam, for one instance and one centro.
struct SeamAnswers {
  std::vector<std::vector<float>> within;  // per vertex: d where <= S, else -1
  std::vector<float> self;
  std::vector<CentreLink> links;
  std::vector<int64_t> pairs;  // centrePairsWithin at each reach
  float smallest = 0;
  std::vector<float> beyond;  // pairDistance of fixed pairs
};

const std::vector<double> kReaches = {0, 1, 7, 20, 600000, 1500000, 2500000};

SeamAnswers ask(const std::vector<int32_t>& centres) {
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
  for (double reach : kReaches)
    answers.pairs.push_back(centrePairsWithin(reach));
  answers.smallest = smallestDistance();
  for (int i = 0; i < n; i += 3)
    for (int j = n - 1; j > i; j -= 5)
      answers.beyond.push_back(std::min(pairDistance(i, j), UNREACHABLE));
  return answers;
}

void expectSame(const SeamAnswers& dense, const SeamAnswers& sparse,
                const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(dense.self, sparse.self);
  EXPECT_EQ(dense.within, sparse.within);
  ASSERT_EQ(dense.links.size(), sparse.links.size());
  for (std::size_t j = 0; j < dense.links.size(); ++j) {
    EXPECT_EQ(dense.links[j].centre, sparse.links[j].centre) << "vertex " << j;
    EXPECT_EQ(dense.links[j].distance, sparse.links[j].distance)
        << "vertex " << j;
    EXPECT_EQ(dense.links[j].listed, sparse.links[j].listed) << "vertex " << j;
  }
  EXPECT_EQ(dense.pairs, sparse.pairs);
  EXPECT_EQ(dense.smallest, sparse.smallest);
  EXPECT_EQ(dense.beyond, sparse.beyond);
}

// Centres drawn with repeats, so that positions of one vertex pair up.
std::vector<int32_t> drawCentres(int n, std::mt19937& random) {
  std::vector<int32_t> centres;
  if (n == 0)
    return centres;
  std::uniform_int_distribution<int> vertex(0, n - 1);
  int p = 1 + static_cast<int>(random() % std::min(n, 6));
  for (int k = 0; k < p; ++k)
    centres.push_back(k > 0 && k % 4 == 0 ? centres[0] : vertex(random));
  return centres;
}

class SeamTest : public RecordTest {
 protected:
  void TearDown() override {
    runOptions = RunOptions{};
    RecordTest::TearDown();
  }

  // Reads `text` as the instance twice, densely and sparsely, and compares
  // every answer for the same centres.
  void compareEdgeList(const std::string& text,
                       const std::vector<int32_t>& centres,
                       const std::string& what) {
    SeamAnswers answers[2];
    for (int sparse = 0; sparse < 2; ++sparse) {
      resetRecord();
      runOptions.sparse = sparse == 1;
      DataReader in(text, "(edges)");
      readInstanceFrom(in, InputMode::B);
      answers[sparse] = ask(centres);
    }
    expectSame(answers[0], answers[1], what);
  }

  void compareTable(const std::string& text, float s,
                    const std::vector<int32_t>& centres,
                    const std::string& what) {
    ScratchFolder folder;
    writeFile("t.csv", text);
    SeamAnswers answers[2];
    for (int sparse = 0; sparse < 2; ++sparse) {
      resetRecord();
      runOptions.sparse = sparse == 1;
      runOptions.points = true;
      runOptions.facilitiesGiven = runOptions.serviceGiven = true;
      runOptions.facilities = 0;
      runOptions.serviceDistance = s;
      readPointTable("t.csv");
      answers[sparse] = ask(centres);
    }
    expectSame(answers[0], answers[1], what);
  }
};

// Whole lengths, so that the completion's sums are exact; repeated pairs
// (the last record winning, longer or not), loops of every size, lengths
// of 0, vertices without an edge and parts that no path joins.
TEST_F(SeamTest, NetworkSearchesAnswerAsTheCompletedMatrix) {
  std::mt19937 random(11);
  for (int round = 0; round < 60; ++round) {
    int n = round < 3 ? round : 2 + static_cast<int>(random() % 40);
    int m = n == 0 ? 0 : static_cast<int>(random() % (2 * n + 1));
    float s = static_cast<float>(random() % 25);
    std::ostringstream text;
    text << n << ' ' << m << " 0 " << s << '\n';
    for (int e = 0; e < m; ++e) {
      int a = 1 + static_cast<int>(random() % n);
      int b = e % 7 == 0 ? a : 1 + static_cast<int>(random() % n);
      int kind = static_cast<int>(random() % 10);
      long length = kind == 0   ? 0
                    : kind == 1 ? 3000000 + static_cast<long>(random() % 9)
                    : kind == 2 ? 700000
                                : 1 + static_cast<long>(random() % 12);
      text << a << ' ' << b << ' ' << length << '\n';
    }
    compareEdgeList(text.str(), drawCentres(n, random),
                    "round " + std::to_string(round) + "\n" + text.str());
  }
}

// Places in clusters, some across the antimeridian and around the poles,
// with repeated places; and whole planar coordinates whose distances
// equal S exactly (3-4-5 triangles).
TEST_F(SeamTest, TableSearchesAnswerAsTheMatrix) {
  std::mt19937 random(5);
  struct Cluster {
    double lon, lat;
  };
  const Cluster clusters[] = {{179.995, 10},  {-179.995, 10},  {0, 89.999},
                              {120, 89.9995}, {-60, -89.9993}, {8, 47}};
  for (int round = 0; round < 12; ++round) {
    std::ostringstream text;
    text.precision(10);
    text << "lon,lat,population\n";
    std::uniform_real_distribution<double> spread(-0.01, 0.01);
    int n = 0;
    for (const Cluster& c : clusters) {
      for (int k = 0; k < 6; ++k, ++n) {
        double lat = std::clamp(c.lat + spread(random), -90.0, 90.0);
        double lon = c.lon + spread(random);
        if (lon > 180)
          lon -= 360;
        if (lon < -180)
          lon += 360;
        text << lon << ',' << lat << ',' << k << '\n';
        if (k == 5) {  // the same place twice
          text << lon << ',' << lat << ",7\n";
          ++n;
        }
      }
    }
    float s = static_cast<float>(200 + 300 * round);
    compareTable(text.str(), s, drawCentres(n, random),
                 "geographic round " + std::to_string(round));
  }
  std::string planar = "x,y\n0,0\n3,4\n6,8\n6,0\n0,4\n3,4\n100,100\n103,104\n";
  for (float s : {0.0f, 4.0f, 5.0f, 10.0f})
    for (int round = 0; round < 4; ++round)
      compareTable(planar, s, drawCentres(8, random),
                   "planar S " + std::to_string(s));
}

}  // namespace
