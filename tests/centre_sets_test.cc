#include "instance/centre_sets.h"

#include <gtest/gtest.h>

#include "common/run_options.h"
#include "solver/solution_reader.h"
#include "test_util.h"

namespace {

std::vector<int32_t> parse(const std::string& text, int n) {
  return parseVertexList(text, "<open.txt>", n);
}

// The record of n vertices and p centres, and the run options naming the
// set files; restores the options afterwards.
class CentreSetsTest : public RecordTest {
 protected:
  void TearDown() override {
    runOptions = RunOptions{};
    centreSets = CentreSets{};
    RecordTest::TearDown();
  }
  void sized(int n, int p) {
    record.vertices = n;
    record.facilidades = p;
  }
  ScratchFolder folder;
};

}  // namespace

// Lists by blanks, commas or lines, or an id column under a header; each
// vertex once, ascending, 0-based; a repeat is warned about once.
TEST_F(CentreSetsTest, ListsAndTablesGiveEachVertexOnce) {
  EXPECT_EQ(parse("3 1\n\n2\n", 5), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(parse("\xEF\xBB\xBF"
                  "5,1,\r\n4\r\n",
                  5),
            (std::vector<int32_t>{0, 3, 4}));
  EXPECT_EQ(
      parse("name,ID,population\n\"Porto, norte\",4,237591\nLisboa,2,5\n", 5),
      (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(parse("", 5), std::vector<int32_t>{});
  testing::internal::CaptureStderr();
  EXPECT_EQ(parse("2 2 4\n4\n9\n9\n2\n", 9), (std::vector<int32_t>{1, 3, 8}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "aviso: Arquivo de dados <open.txt> repete 3 vertice(s): 2 4 9; "
            "cada um conta uma vez\n");
}

TEST_F(CentreSetsTest, BadListsNameTheFileAndLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"1\n6\n", "com vertice fora de 1 a 5 na linha 2"},
      {"0\n", "com vertice fora de 1 a 5 na linha 1"},
      {"1 2.5\n",
       "com valor invalido na linha 1: esperado o numero de um "
       "vertice, lido \"2.5\""},
      {"name,pop\nx,1\n", "sem coluna id no cabecalho (linha 1)"},
      {"name,id\nx\n", "com 1 campo(s) na linha 2; esperada a coluna id"},
      {"id\n\"3\n", "com aspas sem fechamento a partir da linha 2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fatalMessage([&] { parse(c.text, 5); }),
              std::string("\n>>> Arquivo de dados <open.txt> ") + c.message)
        << c.text;
}

// With the places' own ids: a table with their column, or a plain list of
// them, names places by id; a plain list of row numbers and a header's "id"
// column still name rows.
TEST_F(CentreSetsTest, PlacesAreNamedByTheirOwnIds) {
  PlaceIds ids{"geonameid", "(pt.csv)", {{"2267057", 0}, {"7", 3}, {"90", 4}}};
  auto byIds = [&](const std::string& text) {
    return parseVertexList(text, "<open.txt>", 5, &ids);
  };
  struct Case {
    const char* text;
    std::vector<int32_t> vertices;
  } cases[] = {
      {"GeonameId,name\n90,Porto\n2267057,Lisboa\n", {0, 4}},
      {"2267057\n7\n", {0, 3}},  // 2267057 is no row number: all are ids
      {"1 5\n", {0, 4}},         // every value a row number: rows
      {"id,geonameid\n2,2267057\n", {1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(byIds(c.text), c.vertices) << c.text;
  EXPECT_EQ(fatalMessage([&] { byIds("geonameid\n7\n8\n"); }),
            "\n>>> Arquivo de dados <open.txt> com geonameid \"8\" na linha 3, "
            "que a tabela (pt.csv) nao tem");
  EXPECT_EQ(fatalMessage([&] { byIds("name\nx\n"); }),
            "\n>>> Arquivo de dados <open.txt> sem coluna id nem geonameid no "
            "cabecalho (linha 1)");
}

// p counts the existing centres; the candidates must leave room for the new
// ones, counting only those that are not existing already.
TEST_F(CentreSetsTest, SetsMustLeaveAnAnswer) {
  writeFile("open.txt", "1 2 3\n");
  writeFile("cand.txt", "3 4\n");
  runOptions.openFile = "open.txt";
  sized(6, 2);
  EXPECT_EQ(fatalMessage([] { loadCentreSets(); }),
            "\n>>> Arquivo de dados <open.txt> com 3 centros existentes, mais "
            "que p = 2");
  centreSets = CentreSets{};
  sized(6, 5);
  runOptions.candidatesFile = "cand.txt";
  EXPECT_EQ(fatalMessage([] { loadCentreSets(); }),
            "\n>>> Arquivo de dados <cand.txt> com 1 local(is) candidato(s) "
            "fora dos centros existentes, para 2 centro(s) novo(s) (p = 5, 3 "
            "existente(s))");
  centreSets = CentreSets{};
  sized(6, 4);
  loadCentreSets();
  EXPECT_EQ(centreSets.existing, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(centreSets.candidates, (std::vector<int32_t>{2, 3}));
  EXPECT_TRUE(isExistingCentre(2));
  EXPECT_FALSE(isExistingCentre(3));
}

// A solver that does not know the sets may close an existing centre or open
// a site outside the candidates: its answer is refused, naming the vertex
// from 1; an answer that honours both passes, whatever its order.
TEST_F(CentreSetsTest, AnswersThatBreakTheSetsAreRefused) {
  sized(6, 3);
  centreSets.existingGiven = true;
  centreSets.existing = {1};
  centreSets.candidatesGiven = true;
  centreSets.candidates = {1, 3, 4};
  record.centro = static_cast<int32_t*>(allocateZeroed(3, sizeof(int32_t)));
  auto answer = [](int32_t a, int32_t b, int32_t c) {
    record.centro[0] = a;
    record.centro[1] = b;
    record.centro[2] = c;
  };
  answer(4, 1, 3);
  checkCentreSets();
  answer(3, 4, 0);
  EXPECT_EQ(fatalMessage([] { checkCentreSets(); }),
            "\n>>> Programa Corvadel.exe fechou o centro existente 2");
  answer(1, 4, 5);
  EXPECT_EQ(fatalMessage([] { checkCentreSets(); }),
            "\n>>> Programa Corvadel.exe abriu o vertice 6, que nao e "
            "candidato");
  // Without candidates any site may open.
  centreSets.candidatesGiven = false;
  checkCentreSets();
}
