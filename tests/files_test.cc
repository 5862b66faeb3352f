#include "common/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "test_util.h"

namespace fs = std::filesystem;

// A result file appears only once complete: until close() the bytes go to
// "<name>.tmp", and an earlier file of the name stays as it was.
TEST(OutFileTest, ReplacedOnlyWhenComplete) {
  ScratchFolder folder;
  writeFile("r.json", "old");
  {
    OutFile out(std::string("r.json"));
    out.write("new");
    EXPECT_EQ(readText("r.json"), "old");
    EXPECT_TRUE(fs::exists("r.json.tmp"));
    out.close();
  }
  EXPECT_EQ(readText("r.json"), "new");
  EXPECT_FALSE(fs::exists("r.json.tmp"));
}

TEST(OutFileTest, FailureLeavesNoTemporaryAndNoFile) {
  ScratchFolder folder;
  ASSERT_EQ(symlink("/dev/full", "r.csv.tmp"), 0);
  EXPECT_EQ(fatalMessage([] {
              OutFile out(std::string("r.csv"));
              out.write("1,2\n");
              out.close();
            }),
            "\n>>> Arquivo de dados r.csv nao pode ser gravado");
  EXPECT_FALSE(fs::exists("r.csv"));
  EXPECT_FALSE(fs::is_symlink("r.csv.tmp"));
  EXPECT_EQ(fatalMessage([] { OutFile out(std::string("no/r.csv")); }),
            "\n>>> Arquivo de dados no/r.csv nao pode ser criado");
  // A folder in the way of the rename.
  fs::create_directory("r.svg");
  fs::create_directory("r.svg/x");
  EXPECT_EQ(fatalMessage([] {
              OutFile out(std::string("r.svg"));
              out.close();
            }),
            "\n>>> Arquivo de dados r.svg nao pode ser gravado");
  EXPECT_FALSE(fs::exists("r.svg.tmp"));
}
