#include "instance/instance_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_options.h"
#include "instance/demand.h"
#include "instance/point_table.h"
#include "test_util.h"

namespace {

class InstanceReaderTest : public RecordTest {
 protected:
  void TearDown() override {
    runOptions = RunOptions{};
    RecordTest::TearDown();
  }
  void read(const std::string& text, InputMode mode) {
    DataReader in(std::string_view(text), "(inst.txt)");
    readInstanceFrom(in, mode);
  }
  std::string failure(const std::string& text, InputMode mode) {
    return fatalMessage([&] { read(text, mode); });
  }
  float at(int i, int j) const { return record.cost[i][j]; }
};

}  // namespace

TEST_F(InstanceReaderTest, MatrixIsMirroredAndNotCompleted) {
  read("3 1 10\n5 20\n12\n", InputMode::G);
  EXPECT_EQ(record.vertices, 3);
  EXPECT_EQ(record.facilidades, 1);
  EXPECT_EQ(record.distServico, 10.0f);
  EXPECT_EQ(at(0, 1), 5.0f);
  EXPECT_EQ(at(1, 0), 5.0f);
  EXPECT_EQ(at(0, 2), 20.0f);  // the path through vertex 1 (17) is not taken
  EXPECT_EQ(at(2, 1), 12.0f);
  EXPECT_EQ(at(2, 2), 0.0f);
}

TEST_F(InstanceReaderTest, SingleVertexMatrixReadsNoDistance) {
  read("1 1 3.5", InputMode::A);
  EXPECT_EQ(at(0, 0), 0.0f);
  resetRecord();
  read("0 0 3.5", InputMode::G);
  EXPECT_EQ(record.vertices, 0);
}

TEST_F(InstanceReaderTest, EdgeListCompletesShortestPaths) {
  read("4 3 2 10\n1 2 5\n2 3 7\n1 3 20\n", InputMode::B);
  EXPECT_EQ(record.arestas, 3);
  EXPECT_EQ(at(0, 2), 12.0f);
  EXPECT_EQ(at(2, 0), 12.0f);
  EXPECT_EQ(at(3, 0), UNREACHABLE);  // isolated vertex
  EXPECT_EQ(at(3, 3), 0.0f);
}

TEST_F(InstanceReaderTest, LastRecordWinsAndSelfLoopSetsDiagonal) {
  read("3 3 1 10\n1 2 4\n1 2 9\n3 3 2.5\n", InputMode::B);
  EXPECT_EQ(at(0, 1), 9.0f);
  EXPECT_EQ(at(1, 0), 9.0f);
  EXPECT_EQ(at(2, 2), 2.5f);
}

TEST_F(InstanceReaderTest, BadContentNamesFileAndLine) {
  struct Case {
    const char* text;
    InputMode mode;
    const char* message;
  } cases[] = {
      {"3 1 10\n5 x\n12", InputMode::G, "com valor invalido na linha 2"},
      {"3 1 10\n5 nan 12", InputMode::G, "com valor invalido na linha 2"},
      {"3 1 10\n5 1e39 12", InputMode::A, "com valor invalido na linha 2"},
      {"3 1 ten\n", InputMode::G, "com valor invalido na linha 1"},
      {"3 1 inf\n", InputMode::G, "com valor invalido na linha 1"},
      {"3 1 10\n5 20", InputMode::G, "termina antes do fim dos dados"},
      {"3 2 1 10\n1 2 5\n", InputMode::B, "termina antes do fim dos dados"},
      {"3 1 1 10\n1 4 5\n", InputMode::B,
       "com vertice fora de 1 a 3 na linha 2"},
      {"3 1 1 10\n0 2 5\n", InputMode::B,
       "com vertice fora de 1 a 3 na linha 2"},
      {"3 1 1 10\n1 2 -5\n", InputMode::B,
       "com comprimento negativo na linha 2"},
      {"-3 1 10\n", InputMode::G, "com valor negativo no cabecalho"},
      {"3 -1 1 10\n", InputMode::B, "com valor negativo no cabecalho"},
      {"3 0 -1 10\n", InputMode::B, "com valor negativo no cabecalho"},
      {"3 4 10\n", InputMode::G, "com p maior que n"},
      {"3 1 -10\n5 20\n12\n", InputMode::G, "com valor negativo no cabecalho"},
      {"3 0 1 -0.5\n", InputMode::B, "com valor negativo no cabecalho"},
      {"3 1 1000000\n5 20\n12\n", InputMode::A,
       "com distancia de servico a partir de 1000000"},
      {"3 0 1 2e6\n", InputMode::B,
       "com distancia de servico a partir de 1000000"},
  };
  for (const Case& c : cases) {
    resetRecord();
    EXPECT_EQ(failure(c.text, c.mode),
              std::string("\n>>> Arquivo de dados (inst.txt) ") + c.message)
        << c.text;
  }
}

TEST_F(InstanceReaderTest, ServiceDistanceJustBelowUnreachableIsKept) {
  read("2 1 999999.9\n5\n", InputMode::G);
  EXPECT_LT(record.distServico, UNREACHABLE);
  resetRecord();
  read("2 1 1 -0\n1 2 5\n", InputMode::B);
  EXPECT_EQ(record.distServico, 0.0f);
}

// Values beyond what the header announces, and vertices no edge names, are
// read past with one warning each on standard error.
TEST_F(InstanceReaderTest, WarnsOnceAboutLeftoversAndUntouchedVertices) {
  struct Case {
    const char* text;
    InputMode mode;
    const char* warnings;
  } cases[] = {
      {"3 1 10\n5 20\n12\n", InputMode::G, ""},
      {"3 1 10\n5 20\n12 7\n8\n", InputMode::G,
       "aviso: Arquivo de dados (inst.txt) com valores alem dos que o "
       "cabecalho anuncia, a partir da linha 3; ignorados\n"},
      {"2 1 1 10\n1 2 5\n2 1 7\n1 2 3\n", InputMode::B,
       "aviso: Arquivo de dados (inst.txt) com valores alem dos que o "
       "cabecalho anuncia, a partir da linha 3; ignorados\n"},
      {"6 2 1 10\n1 2 5\n4 4 0\n", InputMode::B,
       "aviso: Arquivo de dados (inst.txt) com 3 vertice(s) sem aresta: 3 5 "
       "6\n"},
      {"9 1 1 10\n2 3 5\n", InputMode::B,
       "aviso: Arquivo de dados (inst.txt) com 7 vertice(s) sem aresta: 1 4 5 "
       "6 7 ...\n"},
      {"1 0 1 10\n", InputMode::B, ""},
  };
  for (const Case& c : cases) {
    resetRecord();
    testing::internal::CaptureStderr();
    read(c.text, c.mode);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings) << c.text;
  }
}

// An input that is one of the files the run writes would be destroyed by the
// run; it is refused by identity, whatever name or link leads to it.
TEST_F(InstanceReaderTest, RunOutputAsInputIsRefused) {
  ScratchFolder folder;
  const std::string matrix = "2 1 10\n5\n";
  writeFile("pmeddata.dat", matrix);
  EXPECT_EQ(fatalMessage([] { readInstance("pmeddata.dat", InputMode::G); }),
            "\n>>> Arquivo de dados (pmeddata.dat) e o mesmo que "
            "pmeddata.dat, gravado pela execucao");
  writeFile("solucaoR.txt", matrix);
  ASSERT_EQ(link("solucaoR.txt", "inst.txt"), 0);
  EXPECT_EQ(fatalMessage([] { readInstance("inst.txt", InputMode::G); }),
            "\n>>> Arquivo de dados (inst.txt) e o mesmo que solucaoR.txt, "
            "gravado pela execucao");
  writeFile("copy.txt", matrix);
  resetRecord();
  readInstance("copy.txt", InputMode::G);
  EXPECT_EQ(record.cost[0][1], 5.0f);
}

// Cut an instance at every length: the reader either reads every token or
// fails with a message naming the file; it never runs on with unset cells.
TEST_F(InstanceReaderTest, TruncatedAtEveryLength) {
  auto tokenCount = [](const std::string& text) {
    TokenReader in{std::string_view(text)};
    std::string_view token;
    int count = 0;
    while (in.next(token))
      ++count;
    return count;
  };
  const std::string matrix = "4 2 10.5\n9 7 30\n9 15\n11\n";
  const std::string edges = "4 3 2 10\n1 2 5\n2 3 7.25\n3 4 1\n";
  for (auto [text, mode] :
       {std::pair{matrix, InputMode::G}, std::pair{edges, InputMode::B}}) {
    for (std::size_t length = 0; length < text.size(); ++length) {
      resetRecord();
      std::string cut = text.substr(0, length);
      try {
        read(cut, mode);
        EXPECT_EQ(tokenCount(cut), tokenCount(text)) << length;
      } catch (const FatalError& error) {
        EXPECT_EQ(error.message.rfind("\n>>> Arquivo de dados (inst.txt) ", 0),
                  0u)
            << length;
      }
    }
  }
}

TEST_F(InstanceReaderTest, UnallocatableSizeEndsWithAllocationMessage) {
  EXPECT_EQ(failure("2000000000 1 10\n", InputMode::G),
            "\n>>> Memoria insuficiente para cost[2000000000]");
  resetRecord();
  EXPECT_EQ(failure("2147483647 0 1 10\n", InputMode::B),
            "\n>>> Memoria insuficiente para cost[2147483647]");
}

// A matrix file that holds the diagonal too, or the whole n x n matrix, read
// as the triangle would shift every distance: refused. Any other surplus is
// ignored with a warning, as before.
TEST_F(InstanceReaderTest, TriangleWithDiagonalAndFullMatrixAreRefused) {
  auto values = [](int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
      text += " 1";
    return text;
  };
  for (int n = 1; n <= 4; ++n) {
    int triangle = n * (n - 1) / 2;
    std::string header = std::to_string(n) + " 1 10\n";
    auto message = [&](int count, const std::string& layout) {
      return "\n>>> Arquivo de dados (inst.txt) com " + std::to_string(count) +
             " valores depois do cabecalho: " + layout +
             "; o formato pede o triangulo superior sem a diagonal, n(n-1)/2 "
             "= " +
             std::to_string(triangle) + " valores";
    };
    resetRecord();
    // For n = 1 the two layouts are the same single value.
    EXPECT_EQ(
        failure(header + values(triangle + n), InputMode::G),
        message(triangle + n, n == 1 ? "a matriz completa, n x n"
                                     : "o triangulo superior com a diagonal, "
                                       "n(n+1)/2"))
        << n;
    resetRecord();
    EXPECT_EQ(failure(header + values(n * n), InputMode::A),
              message(n * n, "a matriz completa, n x n"))
        << n;
    std::vector<int> surpluses = {1, n + 1, n * (n + 1) / 2 + 1};
    if (n > 2)
      surpluses.push_back(n - 1);
    for (int extra : surpluses) {
      if (extra == n || extra == n * (n + 1) / 2)
        continue;
      resetRecord();
      testing::internal::CaptureStderr();
      read(header + values(triangle + extra), InputMode::G);
      EXPECT_EQ(testing::internal::GetCapturedStderr(),
                "aviso: Arquivo de dados (inst.txt) com valores alem dos que "
                "o cabecalho anuncia, a partir da linha 2; ignorados\n")
          << n << " " << extra;
    }
  }
}

// p and S from the command line replace the header's before either is
// checked, and a refusal names the option that gave the value.
TEST_F(InstanceReaderTest, CommandLineOverridesPAndS) {
  runOptions.facilitiesGiven = true;
  runOptions.facilities = 3;
  runOptions.serviceGiven = true;
  runOptions.serviceDistance = 12.5f;
  read("3 7 2e6\n5 20\n12\n", InputMode::G);
  EXPECT_EQ(record.facilidades, 3);
  EXPECT_EQ(record.distServico, 12.5f);
  resetRecord();
  read("3 2 9 2e6\n1 2 5\n2 3 5\n", InputMode::B);
  EXPECT_EQ(record.facilidades, 3);
  EXPECT_EQ(record.arestas, 2);
  EXPECT_EQ(record.distServico, 12.5f);

  resetRecord();
  runOptions.facilities = 4;
  EXPECT_EQ(failure("3 1 10\n5 20\n12\n", InputMode::G),
            "\n>>> Opcao --facilities com p maior que n = 3");
  resetRecord();
  runOptions.facilities = 3;
  runOptions.serviceDistance = 1000000.0f;
  EXPECT_EQ(failure("3 1 10\n5 20\n12\n", InputMode::A),
            "\n>>> Opcao --service-distance com distancia de servico a "
            "partir de 1000000");
  // Without the option, the header's value is the one refused.
  resetRecord();
  runOptions.serviceGiven = false;
  EXPECT_EQ(failure("3 1 1e6\n5 20\n12\n", InputMode::G),
            "\n>>> Arquivo de dados (inst.txt) com distancia de servico a "
            "partir de 1000000");
  resetRecord();
  runOptions.facilitiesGiven = false;
  runOptions.serviceGiven = true;
  runOptions.serviceDistance = 10;
  EXPECT_EQ(failure("3 4 10\n5 20\n12\n", InputMode::G),
            "\n>>> Arquivo de dados (inst.txt) com p maior que n");
}

// S in another unit than the distances covers nothing: one warning naming
// the smallest distance; none when a pair lies exactly at S.
TEST_F(InstanceReaderTest, WarnsWhenNoPairLiesWithinS) {
  struct Case {
    const char* text;
    InputMode mode;
    const char* warnings;
  } cases[] = {
      {"3 1 4.5\n5 20\n12\n", InputMode::G,
       "aviso: Arquivo de dados (inst.txt) sem par de vertices distintos a "
       "ate S = 4.5 um do outro; a menor distancia entre dois vertices e 5\n"},
      {"3 1 5\n5 20\n12\n", InputMode::G, ""},
      {"3 2 1 7.2\n1 2 7.25\n2 3 9\n", InputMode::B,
       "aviso: Arquivo de dados (inst.txt) sem par de vertices distintos a "
       "ate S = 7.2 um do outro; a menor distancia entre dois vertices e "
       "7.25\n"},
      {"3 2 1 7.25\n1 2 7.25\n2 3 9\n", InputMode::B, ""},
      {"1 1 0\n", InputMode::A, ""},
      {"0 0 0\n", InputMode::G, ""},
      {"1 0 1 0\n", InputMode::B, ""},
  };
  for (const Case& c : cases) {
    resetRecord();
    testing::internal::CaptureStderr();
    read(c.text, c.mode);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings) << c.text;
  }

  // A table of points warns under its own name.
  ScratchFolder folder;
  writeFile("t.csv", "x,y\n0,0\n3,4\n");
  runOptions.points = true;
  for (float s : {4.99f, 5.0f}) {
    resetRecord();
    runOptions.serviceGiven = true;
    runOptions.serviceDistance = s;
    testing::internal::CaptureStderr();
    readInstance("t.csv", InputMode::G);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              s < 5 ? "aviso: Arquivo de dados (t.csv) sem par de vertices "
                      "distintos a ate S = 4.99 um do outro; a menor "
                      "distancia entre dois vertices e 5\n"
                    : "");
  }
  // Distances beyond 1000000 are real between places: the smallest is named
  // as it is.
  writeFile("far.csv", "x,y\n0,0\n0,1500000\n4000000,0\n");
  resetRecord();
  runOptions.serviceDistance = 10;
  testing::internal::CaptureStderr();
  readInstance("far.csv", InputMode::G);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "aviso: Arquivo de dados (far.csv) sem par de vertices distintos "
            "a ate S = 10 um do outro; a menor distancia entre dois vertices "
            "e 1500000\n");
}

// A table of points that probably holds a mistake warns, naming the cause,
// on the dense and the sparse path alike; the tables as meant stay silent.
TEST_F(InstanceReaderTest, TableMistakesAreWarnedAbout) {
  // 200 places 1000 apart on a line, and one more at the first place: the
  // repeated place must not hide that S = 10 reaches no neighbour.
  std::string line = "name,x,y,weight\n";
  for (int i = 0; i < 200; ++i) {
    line += std::to_string(i);
    line += "th,";
    line += std::to_string(1000 * i);
    line += ",0,1\n";
  }
  std::string repeated = line + "again,0,0,1\n";
  const std::string fewWithinS =
      "aviso: Arquivo de dados (t.csv) com so 0 de 201 vertices a ate S = 10 "
      "de outro vertice a distancia positiva; a mediana da distancia de cada "
      "vertice ao vizinho mais proximo a distancia positiva e 1000\n";
  struct Case {
    std::string text;
    float s;
    std::string demandColumn;
    std::string warnings;
  } cases[] = {
      {"name,X,Y,POP_2020\nA,0,0,5\nB,3,4,6\n", 5, "", ""},
      {repeated, 1000, "", ""},
      {repeated, 10, "", fewWithinS},
      // Two of 201 within S is at most 1 %; three is more.
      {repeated + "near,5,0,1\n", 10, "", ""},
      {line + "near,5,0,1\n", 10, "",
       "aviso: Arquivo de dados (t.csv) com so 2 de 201 vertices a ate S = 10 "
       "de outro vertice a distancia positiva; a mediana da distancia de cada "
       "vertice ao vizinho mais proximo a distancia positiva e 1000\n"},
      {"x,y\n0,0\n3,4\n", 5, "",
       "aviso: Arquivo de dados (t.csv) sem coluna de demanda no cabecalho "
       "(demand, population, weight, pop, inhabitants, count, pop_*, *_pop; "
       "ou --demand-column NOME): demandas aleatorias, semente 5\n"},
      {"x,y,hab\n0,0,7\n3,4,8\n", 5, "HAB", ""},
      {"0 0\n3 4\n", 5, "",
       "aviso: Arquivo de dados (t.csv) sem coluna de demanda (a terceira): "
       "demandas aleatorias, semente 5\n"},
      {"name,Y,X,population\nPorto,41.14961,-8.61099,10\n"
       "Lisboa,38.71667,-9.13333,20\n",
       500000, "",
       "aviso: Arquivo de dados (t.csv) com coordenadas planas (x, y) que "
       "cabem todas em longitude e latitude, escritas como graus: se forem "
       "graus, use --geographic (x como longitude, y como latitude)\n"},
      {"geonameid,name,x,y,weight\n1,A,0,0,1\n2,B,5,0,1\n1,C,9,0,1\n"
       "4,B,5,0,1\n5,,7,0,1\n6,,7,0,1\n",
       2, "",
       "aviso: Arquivo de dados (t.csv) com 2 linha(s) repetida(s) (mesmo id, "
       "ou mesmas coordenadas e mesmo nome), a primeira na linha 4, igual a "
       "linha 2; todas contam como vertices\n"},
  };
  ScratchFolder folder;
  for (const Case& c : cases) {
    for (bool sparse : {false, true}) {
      resetRecord();
      runOptions = RunOptions{};
      runOptions.points = runOptions.facilitiesGiven = runOptions.serviceGiven =
          runOptions.seedGiven = true;
      runOptions.facilities = 1;
      runOptions.serviceDistance = c.s;
      runOptions.seed = 5;
      runOptions.sparse = sparse;
      runOptions.demandColumn = c.demandColumn;
      runOptions.instanceFile = "t.csv";
      writeFile("t.csv", c.text);
      demandSource = DemandSource{};
      testing::internal::CaptureStderr();
      readInstance("t.csv", InputMode::G);
      loadDemand(InputMode::G);
      EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings)
          << c.text.substr(0, 60) << (sparse ? " (sparse)" : "");
    }
  }
  pointTable = PointTable{};
}
