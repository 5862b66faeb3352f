#include "common/run_guard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "test_util.h"

namespace {

// Tries to take the lock of the working directory the way another run would.
bool folderIsFree() {
  int folder = open(".", O_RDONLY | O_DIRECTORY);
  bool free = flock(folder, LOCK_EX | LOCK_NB) == 0;
  close(folder);
  return free;
}

}  // namespace

// The lock belongs to the folder: a second run there is refused, one in
// another folder (even inside the first) is not.
TEST(RunGuardTest, OneRunPerFolder) {
  ScratchFolder folder;
  ASSERT_TRUE(folderIsFree());
  lockWorkingDirectory();
  EXPECT_FALSE(folderIsFree());
  EXPECT_EQ(fatalMessage([] { lockWorkingDirectory(); }),
            "\n>>> Pasta de trabalho em uso por outra execucao");
  std::filesystem::create_directory("inner");
  std::filesystem::current_path("inner");
  EXPECT_TRUE(folderIsFree());
  std::filesystem::current_path(folder.path());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "inner"));
}
