#include "instance/coordinates.h"

#include <gtest/gtest.h>

#include <string>

#include "common/run_options.h"
#include "test_util.h"

namespace {

// Reads `text` for n vertices in the layout it is recognised as.
void read(const std::string& text, int n) {
  DataReader in(std::string_view(text), "{xy.txt}");
  readCoordinatesFrom(in, n, isTsplib(text));
}

}  // namespace

TEST(CoordinatesTest, PlainPairsInVertexOrder) {
  read(
      "\xEF\xBB\xBF"
      "1380 939\r\n-2.5 1e3\r\n",
      2);
  ASSERT_EQ(coordinates.size(), 2u);
  EXPECT_EQ(coordinates[0].x, 1380);
  EXPECT_EQ(coordinates[0].y, 939);
  EXPECT_EQ(coordinates[1].x, -2.5);
  EXPECT_EQ(coordinates[1].y, 1000);
}

TEST(CoordinatesTest, TsplibHeaderSpellingsAndEof) {
  for (const char* dimension :
       {"DIMENSION: 3", "DIMENSION : 3", "DIMENSION:3", "DIMENSION :3"}) {
    read(std::string("NAME : t\nCOMMENT : three DIMENSION : 9 points\n") +
             dimension + "\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n" +
             "1 0 0\n2 5.5 1\n3 1e2 -4\nEOF\n",
         3);
    ASSERT_EQ(coordinates.size(), 3u) << dimension;
    EXPECT_EQ(coordinates[2].x, 100) << dimension;
    EXPECT_EQ(coordinates[2].y, -4) << dimension;
  }
}

TEST(CoordinatesTest, BadFilesEndWithAMessage) {
  const std::string tsplib = "DIMENSION : 2\nNODE_COORD_SECTION\n";
  struct Case {
    std::string text;
    const char* message;
  } cases[] = {
      {"1 2\n3", "termina antes do fim dos dados"},
      {"", "termina antes do fim dos dados"},
      {"1 2\n3 nan\n", "com valor invalido na linha 2"},
      {"1 2\n3 4,\n", "com valor invalido na linha 2"},
      {"1 2\n3 4\n5 6\n", "com mais de 2 vertices na linha 3"},
      {"1 2\n3 4\nEOF\n", "com mais de 2 vertices na linha 3"},
      {"DIMENSION : 3\nNODE_COORD_SECTION\n",
       "com DIMENSION 3 diferente de n = 2"},
      {"DIMENSION : x\nNODE_COORD_SECTION\n", "com valor invalido na linha 1"},
      {tsplib + "2 0 0\n1 1 1\n", "com vertice fora de ordem na linha 3"},
      {tsplib + "1 0 0\n", "termina antes do fim dos dados"},
      {tsplib + "1 0 0\n2 1 1\n3 2 2\n", "com mais de 2 vertices na linha 5"},
      {"NAME : t\nNODE_COORD_SECTION", "termina antes do fim dos dados"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fatalMessage([&] { read(c.text, 2); }),
              std::string("\n>>> Arquivo de dados {xy.txt} ") + c.message)
        << c.text;
}

TEST(CoordinatesTest, FileIsNamedInBraces) {
  ScratchFolder folder;
  record = InstanceRecord{};
  record.vertices = 1;
  runOptions = RunOptions{};
  loadCoordinates();
  runOptions.coordsFile = "none.txt";
  EXPECT_EQ(fatalMessage([] { loadCoordinates(); }),
            "\n>>> Arquivo de dados {none.txt} nao pode ser aberto");
  writeFile("xy.txt", "7 8\n");
  runOptions.coordsFile = "xy.txt";
  loadCoordinates();
  EXPECT_EQ(coordinates[0].y, 8);
  runOptions = RunOptions{};
}
