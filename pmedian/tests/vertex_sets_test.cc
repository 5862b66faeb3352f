// The layout of the fixed centres and the candidate sites, as the solver
// program reads it and the tool writes it.

#include "common/vertex_sets.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/pmed_file.h"

namespace {

// Reads `text` as "abertos.txt" of a graph of `n` vertices; the message of
// the failure, or "" when the read worked.
std::string readFails(const std::string& text, int n,
                      std::vector<int>& vertices) {
  DataReader in(text, "abertos.txt");
  try {
    vertices = readVertexSet(in, n);
  } catch (const FatalError& error) {
    return error.message;
  }
  return "";
}

TEST(VertexSetsTest, WrittenSetReadsBack) {
  char folder[] = "/tmp/vertex_sets_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string path = std::string(folder) + "/" + kCandidateSitesFile;
  for (const std::vector<int>& set :
       {std::vector<int>{}, std::vector<int>{0, 7, 12}}) {
    writeVertexSet(path.c_str(), set);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), set.empty() ? "0\n" : "3\n0\n7\n12\n");
    EXPECT_EQ(loadVertexSet(path.c_str(), 13), set);
  }
  std::remove(path.c_str());
  rmdir(folder);
}

TEST(VertexSetsTest, RejectsBadSets) {
  struct Case {
    const char* text;
    const char* message;  // after "\n>>> Arquivo de dados abertos.txt "
  };
  const Case cases[] = {
      {"", "termina antes do fim dos dados"},
      {"2\n1\n", "termina antes do fim dos dados"},
      {"-1\n", "com contagem invalida na linha 1"},
      {"11\n", "com contagem invalida na linha 1"},
      {"x\n", "com valor invalido na linha 1"},
      {"2\n1\n2.0\n", "com valor invalido na linha 3"},
      {"2\n1\n10\n", "com vertice 10 fora de 0 a 9 na linha 3"},
      {"1\n-1\n", "com vertice -1 fora de 0 a 9 na linha 2"},
      {"3\n4\n2\n4\n", "com vertice 4 repetido na linha 4"},
      {"1\n3\n5\n", "com mais vertices que a contagem 1 na linha 3"},
  };
  for (const Case& c : cases) {
    std::vector<int> vertices;
    EXPECT_EQ(readFails(c.text, 10, vertices),
              std::string("\n>>> Arquivo de dados abertos.txt ") + c.message)
        << c.text;
  }
  std::vector<int> vertices;
  // Any order and any blanks read; the order is kept.
  EXPECT_EQ(readFails("\xEF\xBB\xBF 3 9\r\n0   4", 10, vertices), "");
  EXPECT_EQ(vertices, (std::vector<int>{9, 0, 4}));
  EXPECT_EQ(readFails("0", 0, vertices), "");
  EXPECT_TRUE(vertices.empty());
}

// Cut at every length, a set either reads (a shorter last index) or fails
// with one of the reader's messages.
TEST(VertexSetsTest, TruncatedFileReadsOrFailsCleanly) {
  const std::string text = "3\n10\n27\n133\n";
  for (std::size_t length = 0; length <= text.size(); ++length) {
    std::vector<int> vertices;
    std::string message = readFails(text.substr(0, length), 200, vertices);
    if (message.empty()) {
      ASSERT_EQ(vertices.size(), 3u) << length;
      EXPECT_EQ(vertices[0], 10);
      EXPECT_EQ(vertices[1], 27);
    } else {
      EXPECT_NE(message.find("termina antes do fim dos dados"),
                std::string::npos)
          << length << ": " << message;
    }
  }
}

TEST(VertexSetsTest, SetsMustLeaveASolution) {
  auto check = [](const VertexSets& sets, int p) -> std::string {
    try {
      checkVertexSets(sets, p);
    } catch (const FatalError& error) {
      return error.message;
    }
    return "";
  };
  EXPECT_EQ(check({{1, 2, 3}, {}, false}, 2),
            "\n>>> 3 centros abertos para apenas 2 centros");
  EXPECT_EQ(check({{1, 2}, {}, false}, 2), "");
  // Fixed centres count once, listed as candidates or not.
  EXPECT_EQ(check({{1}, {1, 5}, true}, 3),
            "\n>>> Apenas 2 locais permitidos para 3 centros");
  EXPECT_EQ(check({{1}, {2, 5}, true}, 3), "");
  EXPECT_EQ(check({{}, {}, true}, 1),
            "\n>>> Apenas 0 locais permitidos para 1 centros");
}

TEST(VertexSetsTest, SitesBecomeRules) {
  PmedProblem problem;
  problem.n = 5;
  setSiteRules({{3}, {}, false}, problem);
  EXPECT_EQ(problem.site, (std::vector<int>{0, 0, 0, 1, 0}));
  setSiteRules({{3}, {1, 3}, true}, problem);
  EXPECT_EQ(problem.site, (std::vector<int>{-1, 0, -1, 1, -1}));
  setSiteRules({}, problem);
  EXPECT_TRUE(problem.site.empty());
}

}  // namespace
