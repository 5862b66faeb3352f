#include "common/cover_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "pmedian/cover_model.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/tests/problem_fixture.h"

namespace {

// Reads `text` as "pmedcob.dat"; the message of the failure, or "" when the
// read worked.
std::string readFails(const std::string& text, CoverLists& lists) {
  DataReader in(text, "pmedcob.dat");
  try {
    readCoverLists(in, lists);
  } catch (const FatalError& error) {
    return error.message;
  }
  return "";
}

// The cover lists of a dense covering problem: i covers j where serving j
// from i costs nothing; each vertex's demand is the one cost its column
// holds.
CoverLists listsOf(const PmedProblem& problem) {
  int n = problem.n;
  CoverLists lists;
  lists.n = n;
  lists.p = problem.p;
  lists.demand.assign(n, 0);
  lists.start.assign(1, 0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      float c = problem.cost[static_cast<std::size_t>(i) * n + j];
      if (c > 0)
        lists.demand[j] = static_cast<int32_t>(c);
      else if (j != i)
        lists.vertex.push_back(j);
    }
    lists.start.push_back(static_cast<int64_t>(lists.vertex.size()));
  }
  return lists;
}

// The example of the file's own description reads back as written.
TEST(CoverFileTest, WrittenListsReadBack) {
  std::vector<int32_t> demand = {25, 21, 30};
  std::vector<int64_t> start = {0, 1, 2, 2};
  std::vector<int32_t> vertex = {1, 0};
  std::string path = ::testing::TempDir() + "pmedcob.dat";
  writeCoverLists(path.c_str(), 3, 1, demand.data(), start.data(),
                  vertex.data());
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::string text(64, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  EXPECT_EQ(text, "3  1  2\n25\n21\n30\n1 1\n1 0\n0\n");
  CoverLists lists;
  ASSERT_EQ(readFails(text, lists), "");
  EXPECT_EQ(lists.demand, demand);
  EXPECT_EQ(lists.start, start);
  EXPECT_EQ(lists.vertex, vertex);
  std::remove(path.c_str());
}

TEST(CoverFileTest, RefusesWhatTheLayoutForbids) {
  const std::string name = "\n>>> Arquivo de dados pmedcob.dat com ";
  struct Case {
    const char* text;
    std::string message;
  } cases[] = {
      {"3 4 0\n", name + "cabecalho invalido"},
      {"2 1 3\n", name + "cabecalho invalido"},  // more than n(n-1) entries
      {"2 1 -1\n", name + "cabecalho invalido"},
      {"2 1 0\n5\n-1\n0\n0\n", name + "demanda negativa na linha 3"},
      {"2 1 1\n5\n1\n2 1 0\n0\n", name + "contagem 2 invalida na linha 4"},
      {"2 1 1\n5\n1\n1 0\n0\n", name + "vertice 0 invalido na lista de 0, "
                                       "linha 4"},
      {"3 1 2\n5\n1\n1\n2 2 1\n0\n0\n", name + "vertice 1 invalido na lista "
                                               "de 0, linha 5"},
      {"2 1 1\n5\n1\n1 7\n0\n", name + "vertice 7 invalido na lista de 0, "
                                       "linha 4"},
      {"2 1 2\n5\n1\n1 1\n0\n",
       name + "1 vertices nas listas, e o cabecalho anuncia 2"},
      {"2 1 1\n5\n1\n1 1\n0\n9\n", name + "valores a mais na linha 6"},
      {"2 1 1\n5\n1\n1 1\n",
       "\n>>> Arquivo de dados pmedcob.dat termina antes do fim dos dados"},
  };
  for (const Case& c : cases) {
    CoverLists lists;
    EXPECT_EQ(readFails(c.text, lists), c.message) << c.text;
  }
}

// The lists make the very model the dense file makes of the same problem,
// site rules, vertices every candidate covers and zero demands included, so
// both files lead the solver down the same path.
TEST(CoverFileTest, ListsBuildTheModelOfTheDenseFile) {
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    PmedProblem dense =
        randomProblem(40, 4, true, 0.15 + 0.2 * (seed % 3), seed);
    if (seed % 2 == 0) {
      dense.site.assign(40, 0);
      dense.site[3] = 1;
      dense.site[7] = -1;
    }
    // Vertex 5 loses its demand: its column holds nothing.
    for (int i = 0; i < 40; ++i)
      dense.cost[static_cast<std::size_t>(i) * 40 + 5] = 0;
    CoverModel expected, model;
    ASSERT_TRUE(buildCoverModel(dense, expected));
    // The lists still carry vertex 5's demand, which the dense file cannot:
    // covered by every candidate, it must weigh nothing all the same.
    CoverLists lists = listsOf(dense);
    lists.demand[5] = 7;
    buildCoverModel(lists, dense.site, model);
    EXPECT_EQ(model.weight, expected.weight) << seed;
    EXPECT_EQ(model.coverStart, expected.coverStart) << seed;
    EXPECT_EQ(model.coverList, expected.coverList) << seed;
    EXPECT_EQ(model.byStart, expected.byStart) << seed;
    EXPECT_EQ(model.byList, expected.byList) << seed;
    EXPECT_EQ(model.site, expected.site) << seed;

    SolveOptions options;
    options.runSeconds = 0;
    options.exactSeconds = 0;
    options.budget = 2000000;
    lists = listsOf(dense);
    SolveOutcome fromLists = solveCoverLists(lists, dense.site, options);
    SolveOutcome fromMatrix = solvePmed(dense, options);
    EXPECT_EQ(fromLists.centres, fromMatrix.centres) << seed;
    EXPECT_EQ(fromLists.objective, fromMatrix.objective) << seed;
    EXPECT_EQ(fromLists.bound, fromMatrix.bound) << seed;
  }
}

}  // namespace
