#include "common/pmed_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/fatal.h"

namespace {

// Reads `text` as "pmeddata.dat"; the message of the failure, or "" when the
// read worked.
std::string readFails(const std::string& text, PmedProblem& problem) {
  DataReader in(text, "pmeddata.dat");
  try {
    readPmedData(in, problem);
  } catch (const FatalError& error) {
    return error.message;
  }
  return "";
}

// n = 3, p = 2: costs of 1, 2 from 0, then 0, 2 from 1, then 0, 1 from 2.
const std::string kSmall =
    "3  2\n    1.00000\n    2.50000\n    3.00000\n    0.00000\n"
    "    4.00000\n    5.00000\n";

TEST(PmedDataTest, FillsMatrixWithZeroDiagonal) {
  PmedProblem problem;
  ASSERT_EQ(readFails(kSmall, problem), "");
  EXPECT_EQ(problem.n, 3);
  EXPECT_EQ(problem.p, 2);
  std::vector<float> expected = {0, 1, 2.5f, 3, 0, 0, 4, 5, 0};
  EXPECT_EQ(problem.cost, expected);
}

TEST(PmedDataTest, RejectsBadHeaders) {
  PmedProblem problem;
  const std::string bad =
      "\n>>> Arquivo de dados pmeddata.dat com cabecalho invalido";
  EXPECT_EQ(readFails("0 1\n", problem), bad);
  EXPECT_EQ(readFails("3 -1\n", problem), bad);
  EXPECT_EQ(readFails("3 4\n", problem), bad);
  EXPECT_EQ(readFails("-2 1\n", problem), bad);
  EXPECT_EQ(
      readFails("3 2.0\n", problem),
      "\n>>> Arquivo de dados pmeddata.dat com valor invalido na linha 1");
}

TEST(PmedDataTest, RejectsMatrixBeyondMemory) {
  PmedProblem problem;
  // 46341 squared overflows an int, whatever the memory.
  EXPECT_EQ(
      readFails("46341 1\n", problem).rfind("\n>>> Memoria insuficiente", 0),
      0u);
}

TEST(PmedDataTest, NamesLineOfNegativeOrInvalidCost) {
  PmedProblem problem;
  std::string negative = kSmall;
  negative.replace(negative.find("    4.00000"), 11, "   -4.00000");
  EXPECT_EQ(
      readFails(negative, problem),
      "\n>>> Arquivo de dados pmeddata.dat com custo negativo na linha 6");
  std::string invalid = kSmall;
  invalid.replace(invalid.find("    2.50000"), 11, "    2.5x000");
  EXPECT_EQ(
      readFails(invalid, problem),
      "\n>>> Arquivo de dados pmeddata.dat com valor invalido na linha 3");
  EXPECT_EQ(
      readFails("2 1\n nan\n 1.0\n", problem),
      "\n>>> Arquivo de dados pmeddata.dat com valor invalido na linha 2");
}

// Every prefix of a valid file either reads in full (only the last value
// may be cut short, "5.0" still being a number) or fails with one of the
// reader's messages; nothing crashes or reads past the text.
TEST(PmedDataTest, TruncatedFileReadsOrFailsCleanly) {
  const std::string ended =
      "\n>>> Arquivo de dados pmeddata.dat termina antes do fim dos dados";
  std::vector<float> expected = {0, 1, 2.5f, 3, 0, 0, 4, 5, 0};
  for (std::size_t length = 0; length <= kSmall.size(); ++length) {
    PmedProblem problem;
    std::string message = readFails(kSmall.substr(0, length), problem);
    if (message.empty()) {
      ASSERT_EQ(problem.cost.size(), 9u) << length;
      EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 7,
                             problem.cost.begin()))
          << length;
    } else {
      EXPECT_TRUE(message == ended ||
                  message.find("com valor invalido na linha") !=
                      std::string::npos)
          << length << ": " << message;
    }
  }
}

}  // namespace
