// The built program end to end in a scratch folder, and its answer file read
// back by the tool's own reader.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "common/fatal.h"
#include "common/solution_file.h"
#include "common/token_reader.h"

namespace {

namespace fs = std::filesystem;

// "pmeddata.dat" for n vertices and p centres with the given costs.
std::string pmedData(int n, int p,
                     const std::function<double(int, int)>& cost) {
  std::string data = std::to_string(n) + "  " + std::to_string(p) + "\n";
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (j != i) {
        char line[32];
        std::snprintf(line, sizeof line, "%11.5f\n", cost(i, j));
        data += line;
      }
  return data;
}

class SolverProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pmedian_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  void put(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name) << text;
  }
  std::string get(const std::string& name) {
    std::ifstream in(folder_ / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool has(const std::string& name) { return fs::exists(folder_ / name); }

  // Runs the program with `arguments`; its exit status, with its standard
  // output in `console_` and its standard error in `errors_`.
  int run(const std::string& arguments = "") {
    std::string command = "cd '" + folder_.string() +
                          "' && '" SOLVER_PROGRAM "' " + arguments +
                          " > console.txt 2> errors.txt";
    int status = std::system(command.c_str());
    console_ = get("console.txt");
    errors_ = get("errors.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path folder_;
  std::string console_;
  std::string errors_;
};

TEST_F(SolverProgramTest, FailuresLeaveNoAnswer) {
  struct Case {
    const char* data;  // nullptr: no file at all
    const char* message;
  };
  const Case cases[] = {
      {nullptr, "\n>>> Arquivo de dados pmeddata.dat nao pode ser aberto"},
      {"2 3\n", "\n>>> Arquivo de dados pmeddata.dat com cabecalho invalido"},
      {"2 1\n1.0\n-1.0\n",
       "\n>>> Arquivo de dados pmeddata.dat com custo negativo na linha 3"},
      {"2 1\n1.0\n",
       "\n>>> Arquivo de dados pmeddata.dat termina antes do fim dos dados"},
      {"2 1\n1.0\n1,5\n",
       "\n>>> Arquivo de dados pmeddata.dat com valor invalido na linha 3"},
  };
  for (const Case& c : cases) {
    fs::remove(folder_ / "pmeddata.dat");
    if (c.data)
      put("pmeddata.dat", c.data);
    // A stale answer must be gone even though the run fails.
    put("solucao.txt", "1 9999999 1 0\n");
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(console_, c.message);
    EXPECT_EQ(errors_, "");
    EXPECT_FALSE(has("solucao.txt"));
  }
  put("pmeddata.dat", "2 1\n1.0\n1.0\n");
  put("solucao.txt", "1 9999999 1 0\n");
  EXPECT_EQ(run("-x"), 1);
  EXPECT_EQ(console_, "\n>>> Opcao invalida: -x");
  EXPECT_FALSE(has("solucao.txt"));
  EXPECT_EQ(run("-t"), 1);
  EXPECT_EQ(console_, "\n>>> Opcao -t sem valor");
  EXPECT_EQ(run("-t -3"), 1);
  EXPECT_EQ(console_, "\n>>> Valor invalido para a opcao -t: -3");
  EXPECT_EQ(run("-L nan"), 1);
  EXPECT_EQ(console_, "\n>>> Valor invalido para a opcao -L: nan");
  EXPECT_EQ(run("-q -L"), 1);
  EXPECT_EQ(console_, "\n>>> Opcao -L sem valor");
  // A list of p: a bad one, or one beyond the vertices, is refused before
  // solving, and no curve of an earlier run is left either.
  const Case lists[] = {
      {"-P 2,1", "\n>>> Valor invalido para a opcao -P: 2,1"},
      {"-P 1,,2", "\n>>> Valor invalido para a opcao -P: 1,,2"},
      {"-P", "\n>>> Opcao -P sem valor"},
      {"-P 1,3", "\n>>> 3 centros para apenas 2 vertices"},
  };
  for (const Case& c : lists) {
    put("curva.txt", "1\n1 0 0 0 1\n0\n9999999\n");
    EXPECT_EQ(run(c.data), 1) << c.data;
    EXPECT_EQ(console_, c.message);
    EXPECT_FALSE(has("curva.txt"));
    EXPECT_FALSE(has("solucao.txt"));
  }
}

// A covering problem on a ring of 60 vertices, each covering itself and its
// two neighbours, p = 4: a run whose cap has already passed when solving
// starts still writes p centres and a valid bound; a cap of 0 means none.
TEST_F(SolverProgramTest, WholeRunCapStillWritesAnAnswer) {
  const int n = 60;
  put("pmeddata.dat", pmedData(n, 4, [](int i, int j) {
        int apart = std::abs(i - j);
        return std::min(apart, n - apart) <= 1 ? 0.0 : 1.0;
      }));
  for (const char* options : {"-L 0.000001 -q", "-L 0 -q"}) {
    ASSERT_EQ(run(options), 0) << options;
    EXPECT_EQ(errors_, "");
    std::string answer = get("solucao.txt");
    double objective = -1, bound = -1;
    ASSERT_EQ(std::sscanf(answer.c_str(), "%lf %lf", &objective, &bound), 2)
        << answer;
    // Four centres cover at most 12 of the 60 unit demands.
    EXPECT_GE(objective, 48);
    EXPECT_LE(bound, 48);
    EXPECT_LE(bound, objective);
    DataReader in(answer, "solucao.txt");
    SolutionRead read;
    readSolution(in, 4, n, read);
    EXPECT_EQ(read.tag, 1);
    EXPECT_EQ(read.centres.size(), 4u);
  }
}

// Six vertices in a row, each covering its neighbours: with p = 2 only
// centres 1 and 4 cover every vertex.
TEST_F(SolverProgramTest, AnswerReadsBackThroughToolReader) {
  const int n = 6;
  put("pmeddata.dat", pmedData(n, 2, [](int i, int j) {
        return std::abs(i - j) <= 1 ? 0.0 : 5.0 + j;
      }));
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(errors_, "");
  // Demands 5 … 10, all covered.
  EXPECT_EQ(console_.rfind("\nCorvadel: cobertura 45.00 limite 45.00 gap "
                           "0.00% otimo tempo ",
                           0),
            0u)
      << console_;
  EXPECT_NE(console_.back(), '\n');
  EXPECT_FALSE(has("solucao.txt.tmp"));

  std::string answer = get("solucao.txt");
  DataReader in(answer, "solucao.txt");
  SolutionRead read;
  readSolution(in, 2, n, read);
  EXPECT_EQ(read.tag, 1);
  EXPECT_EQ(read.centres, (std::vector<int>{1, 4}));

  ASSERT_EQ(run("-q -s 7"), 0);
  EXPECT_EQ(console_, "");
  EXPECT_NE(get("solucao.txt").find("\n9999999\n7\n1 4\n"), std::string::npos)
      << get("solucao.txt");
}

// The tool accepts instances without vertices or without centres and still
// runs the solver: the answer then lists no centre.
TEST_F(SolverProgramTest, NoCentreToOpenIsATrivialAnswer) {
  for (const char* data : {"3  0\n    0.00000\n   30.00000\n    0.00000\n"
                           "   30.00000\n   25.00000\n   21.00000\n",
                           "0  0\n"}) {
    put("pmeddata.dat", data);
    ASSERT_EQ(run("-q"), 0) << data;
    EXPECT_EQ(errors_, "");
    std::string answer = get("solucao.txt");
    EXPECT_EQ(answer.rfind(data[0] == '3' ? "76." : "0.", 0), 0u) << answer;
    DataReader in(answer, "solucao.txt");
    SolutionRead read;
    readSolution(in, 0, data[0] - '0', read);
    EXPECT_EQ(read.tag, 1);
  }
}

// Leading values that would read as the end marker are left out, so the
// tool still finds the tag and the centres.
TEST_F(SolverProgramTest, WriterKeepsMarkerUnambiguous) {
  for (double objective : {12.5, 9999999.0, 9999998.8}) {
    fs::path path = folder_ / "solucao.txt";
    writeSolution(path.c_str(),
                  SolverAnswer{objective, 3, 0.5, 4, {40, 2, 17}});
    std::string answer = get("solucao.txt");
    DataReader in(answer, "solucao.txt");
    SolutionRead read;
    readSolution(in, 3, 50, read);
    EXPECT_EQ(read.tag, 4) << answer;
    EXPECT_EQ(read.centres, (std::vector<int>{2, 17, 40}));
  }
  EXPECT_EQ(get("solucao.txt").rfind("9999999\n4\n2 17 40\n", 0), 0u);
}

// The same row of six with centres fixed and sites allowed by -F and -C:
// the answer honours both and is the constrained optimum; a bad set ends
// the run with a message and no answer.
TEST_F(SolverProgramTest, FixedCentresAndCandidateSitesAreHonoured) {
  const int n = 6;
  put("pmeddata.dat", pmedData(n, 2, [](int i, int j) {
        return std::abs(i - j) <= 1 ? 0.0 : 5.0 + j;
      }));
  put("abertos.txt", "1\n0\n");
  put("candidatos.txt", "3\n0\n2\n5\n");
  struct Case {
    const char* options;
    const char* centres;
    const char* coverage;
  };
  const Case cases[] = {
      {"-F abertos.txt", "0 4", "38.00"},
      {"-C candidatos.txt", "2 5", "40.00"},
      {"-F abertos.txt -C candidatos.txt", "0 5", "30.00"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(c.options), 0) << c.options;
    EXPECT_EQ(errors_, "");
    EXPECT_EQ(console_.rfind(std::string("\nCorvadel: cobertura ") +
                                 c.coverage + " limite " + c.coverage,
                             0),
              0u)
        << console_;
    EXPECT_NE(get("solucao.txt").find(std::string("\n") + c.centres + "\n"),
              std::string::npos)
        << c.options << ": " << get("solucao.txt");
  }
  put("tres.txt", "3\n0\n1\n2\n");
  put("um.txt", "1\n3\n");
  const Case failures[] = {
      {"-F nada.txt", "\n>>> Arquivo de dados nada.txt nao pode ser aberto",
       nullptr},
      {"-F tres.txt", "\n>>> 3 centros abertos para apenas 2 centros", nullptr},
      {"-F tres.txt -P 2,5", "\n>>> 3 centros abertos para apenas 2 centros",
       nullptr},
      {"-C um.txt", "\n>>> Apenas 1 locais permitidos para 2 centros", nullptr},
      {"-F um.txt -C um.txt", "\n>>> Apenas 1 locais permitidos para 2 centros",
       nullptr},
      {"-C", "\n>>> Opcao -C sem valor", nullptr},
  };
  for (const Case& c : failures) {
    put("solucao.txt", "1 9999999 1 0\n");
    EXPECT_EQ(run(c.options), 1) << c.options;
    EXPECT_EQ(console_, c.centres);
    EXPECT_EQ(errors_, "");
    EXPECT_FALSE(has("solucao.txt"));
  }
}

}  // namespace
