// Runs a fuzz target over saved inputs without the fuzzing engine, so that
// the seed corpus and the regression inputs run under CTest in any build.
// Arguments are files or folders (every regular file inside, not recursing);
// a crash, a sanitizer report or a trap in the target fails the run.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::printf("cannot read %s\n", path.c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                          std::istreambuf_iterator<char>());
  // A copy of exactly the file's size, so that a read past its end shows
  // under the address sanitizer as it would under the fuzzer.
  std::vector<uint8_t> input(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(input.data(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (!entry.is_regular_file())
          continue;
        ok = runFile(entry.path()) && ok;
        ++count;
      }
    } else {
      ok = runFile(arg) && ok;
      ++count;
    }
  }
  std::printf("%d inputs replayed\n", count);
  return ok ? 0 : 1;
}
