#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/fatal.h"
#include "instance/instance_record.h"

// Frees whatever a previous case left in the process-wide record.
inline void resetRecord() {
  releaseInstance();
  record = InstanceRecord{};
}

// Runs `body` and returns the message it failed with; fails the test when it
// succeeds.
template <typename Body>
std::string fatalMessage(Body body) {
  try {
    body();
  } catch (const FatalError& error) {
    return error.message;
  }
  ADD_FAILURE() << "expected a failure";
  return "";
}

// A test fixture that starts and ends with an empty record.
class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override { resetRecord(); }
  void TearDown() override { resetRecord(); }
};

// A fresh temporary folder that is the working directory while the object
// lives; the previous one is restored and the folder removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "mclp-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Writes `text` to the file `name`.
inline void writeFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

// The bytes of the file `name`; empty when it cannot be read.
inline std::string readText(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
