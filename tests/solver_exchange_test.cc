#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "instance/instance_reader.h"
#include "random_run.h"
#include "report/coverage.h"
#include "report/summary.h"
#include "solver/solution_reader.h"
#include "solver/solver_run.h"
#include "test_util.h"

TEST(SolverRunTest, SearchPathNeverIncludesTheWorkingDirectory) {
  EXPECT_EQ(solverSearchPath("/usr/bin:/bin", "/opt/mclp"),
            "/usr/bin:/bin:/opt/mclp");
  EXPECT_EQ(solverSearchPath(":.:/a::bin:./x:/b:", "/opt/mclp"),
            "/a:/b:/opt/mclp");
  EXPECT_EQ(solverSearchPath("", ""), "");
  EXPECT_EQ(solverSearchPath(nullptr, "/t"), "/usr/local/bin:/usr/bin:/bin:/t");
}

// Only an executable regular file counts, the first along the path wins, and
// an empty entry never stands for the working directory.
TEST(SolverRunTest, FindsTheFirstExecutableSolverOnThePath) {
  ScratchFolder folder;
  std::string base = folder.path().string();
  for (const char* dir : {"plain", "folder", "runs", "later"})
    std::filesystem::create_directory(dir);
  writeFile("plain/Corvadel.exe", "#!/bin/sh\n");
  std::filesystem::create_directory("folder/Corvadel.exe");
  writeFile("runs/Corvadel.exe", "#!/bin/sh\n");
  writeFile("later/Corvadel.exe", "#!/bin/sh\n");
  writeFile("Corvadel.exe", "#!/bin/sh\n");
  for (const char* name :
       {"runs/Corvadel.exe", "later/Corvadel.exe", "Corvadel.exe"})
    std::filesystem::permissions(name, std::filesystem::perms::owner_all);
  EXPECT_EQ(findSolver(base + "/plain:" + base + "/folder:" + base +
                       "/runs:" + base + "/later"),
            base + "/runs/Corvadel.exe");
  EXPECT_EQ(findSolver(base + "/plain:" + base + "/folder"), "");
  EXPECT_EQ(findSolver(""), "");
  EXPECT_EQ(findSolver(":"), "");
}

// The solver runs in the working directory with solverArguments as they
// are, no shell quoting involved; its failure is the run's failure.
TEST(SolverRunTest, RunsTheSolverWithItsArgumentsAndChecksItsEnd) {
  ScratchFolder folder;
  std::string bin = (folder.path() / "bin").string();
  std::filesystem::create_directory(bin);
  std::string solver = bin + "/Corvadel.exe";
  std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", bin.c_str(), 1);
  auto standIn = [&](const std::string& body) {
    writeFile(solver, "#!/bin/sh\n" + body);
    std::filesystem::permissions(solver, std::filesystem::perms::owner_all);
  };
  standIn("printf '%s|' \"$@\" >args.txt\n");
  solverArguments = {"-L", "2.5", "a b'c", ""};
  locateSolver();
  runSolver();
  std::ifstream args("args.txt");
  std::string passed((std::istreambuf_iterator<char>(args)),
                     std::istreambuf_iterator<char>());
  EXPECT_EQ(passed, "-L|2.5|a b'c||");
  solverArguments.clear();
  standIn("printf 1 >solucao.txt.tmp\nexit 3\n");
  EXPECT_EQ(fatalMessage([] { runSolver(); }),
            "\n>>> Programa Corvadel.exe terminou com o codigo 3");
  standIn("kill -TERM $$\n");
  EXPECT_EQ(fatalMessage([] { runSolver(); }),
            "\n>>> Programa Corvadel.exe terminou pelo sinal 15");
  EXPECT_FALSE(std::filesystem::exists("solucao.txt.tmp"));
  setenv("PATH", savedPath.c_str(), 1);
}

namespace {

// The worked example: n = 4, S = 10, demands 25 21 30 40.
class SolutionTest : public RecordTest {
 protected:
  void SetUp() override {
    RecordTest::SetUp();
    loadWorkedExample();
  }
  int readSolution(const std::string& text) {
    std::free(record.centro);
    record.centro = nullptr;
    DataReader in(std::string_view(text), "solucao.txt");
    return readSolutionFrom(in);
  }
  void evaluate(const std::string& text) {
    DataReader in(std::string_view(text), "solucaoR.txt");
    evaluateCoverageFrom(in);
  }
};

}  // namespace

TEST_F(SolutionTest, MarkerTagAndCentres) {
  EXPECT_EQ(readSolution("9999999 7 2 0"), 7);
  EXPECT_EQ(record.centro[0], 2);
  EXPECT_EQ(record.centro[1], 0);
  EXPECT_EQ(readSolution("-1 1e30 inf nan 9999998.7 -5 3 1 99"), -5);
  EXPECT_EQ(record.centro[0], 3);
  EXPECT_EQ(readSolution("9999999.7 1 9999999.3 8 0 0"), 8);
  EXPECT_EQ(
      fatalMessage([&] { readSolution("9999999 7 2 -1"); }),
      "\n>>> Arquivo de dados solucao.txt com centro fora de 0 a 3 na linha 1");
  EXPECT_EQ(
      fatalMessage([&] { readSolution("9999999.7 7 2 1"); }),
      "\n>>> Arquivo de dados solucao.txt termina antes do fim dos dados");
  EXPECT_EQ(fatalMessage([&] { readSolution("9999999 7.5 2 1"); }),
            "\n>>> Arquivo de dados solucao.txt com valor invalido na linha 1");
}

TEST_F(SolutionTest, ExactlyThreeLeadingRealsAreTheSolverFigures) {
  readSolution("1234567.12345 1234567.1 0.07\n9999999 7 2 0");
  ASSERT_TRUE(solverFigures.hasFigures);
  // Read in double precision: single precision would lose the decimals.
  EXPECT_EQ(solverFigures.objective, 1234567.12345);
  EXPECT_EQ(solverFigures.bound, 1234567.1);
  EXPECT_EQ(solverFigures.seconds, 0.07);
  EXPECT_EQ(solverFigures.tag, 7);
  readSolution("1 2 9999999 7 2 0");
  EXPECT_FALSE(solverFigures.hasFigures);
  readSolution("1 2 3 4 9999999 7 2 0");
  EXPECT_FALSE(solverFigures.hasFigures);
}

TEST_F(SolutionTest, CoverageCountsEachVertexOnce) {
  readSolution("9999999 7 2 0");
  evaluate("    2    0\n      2      1       9.00\n9999999\n7\n");
  EXPECT_EQ(record.popAtend, 76);
  EXPECT_EQ(record.custoTotal, 9.0f);
  EXPECT_EQ(countOverlaps(), 1);
  // A centre with its own line and listed twice is still served once.
  readSolution("9999999 7 2 2");
  evaluate(
      "    2    2\n      2      2       0.00\n      2      1       9.00\n"
      "9999999\n7\n");
  EXPECT_EQ(record.popAtend, 51);
  EXPECT_EQ(countOverlaps(), 1);
}

TEST_F(SolutionTest, CostSumIsSinglePrecisionFromTheMatrix) {
  record.cost[0][1] = record.cost[1][0] = 1.005f;
  record.cost[0][3] = record.cost[3][0] = 0.1f;
  readSolution("9999999 7 0 2");
  // The printed 1.00 and 0.10 are not what is added.
  evaluate(
      "    0    2\n      0      1       1.00\n      0      3       0.10\n"
      "9999999\n7\n");
  EXPECT_EQ(record.custoTotal, 1.005f + 0.1f);
  EXPECT_EQ(record.popAtend, 116);
}

TEST_F(SolutionTest, DamagedReassignmentFileEndsWithAMessage) {
  readSolution("9999999 7 2 0");
  // Centre fields that run together are skipped with the whole first line.
  evaluate("    2123456\n9999999\n7\n");
  EXPECT_EQ(record.popAtend, 55);
  EXPECT_EQ(
      fatalMessage([&] { evaluate("    2    0\n      2      1"); }),
      "\n>>> Arquivo de dados solucaoR.txt termina antes do fim dos dados");
  EXPECT_EQ(fatalMessage([&] { evaluate("    2    0\n      2      4 1.0\n"); }),
            "\n>>> Arquivo de dados solucaoR.txt com vertice fora de 0 a 3 na "
            "linha 2");
  EXPECT_EQ(fatalMessage([&] { evaluate("    2    0\n     -1      1 1.0\n"); }),
            "\n>>> Arquivo de dados solucaoR.txt com vertice fora de 0 a 3 na "
            "linha 2");
}
