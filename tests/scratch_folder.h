#pragma once

// A fresh temporary folder made the working directory for one test, for the
// stages that read and write files with fixed names; removed afterwards.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/mclp_test_XXXXXX";
    path_ = mkdtemp(pattern);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::filesystem::path previous_;
};

inline void writeText(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

inline std::string readText(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
