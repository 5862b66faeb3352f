#include "common/run_files.h"

#include <cstring>
#include <iterator>

namespace {

std::string folder;
std::string paths[std::size(kRunOutputs)];

}  // namespace

void setRunFolder(const std::string& name) {
  folder = name;
  for (std::size_t k = 0; k < std::size(kRunOutputs); ++k)
    paths[k] = folder.empty() ? kRunOutputs[k] : folder + "/" + kRunOutputs[k];
}

const std::string& runFolder() { return folder; }

const char* runPath(const char* name) {
  for (std::size_t k = 0; k < std::size(kRunOutputs); ++k) {
    if (std::strcmp(name, kRunOutputs[k]) == 0)
      return paths[k].empty() ? kRunOutputs[k] : paths[k].c_str();
  }
  return name;
}
