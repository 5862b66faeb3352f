#include "common/cover_file.h"

#include <string>

#include "common/files.h"

void writeCoverLists(const char* path, int n, int p, const int32_t* demand,
                     const int64_t* start, const int32_t* vertex) {
  OutFile out{std::string(path)};
  std::string text = std::to_string(n) + "  " + std::to_string(p) + "  " +
                     std::to_string(n > 0 ? start[n] : 0) + "\n";
  for (int j = 0; j < n; ++j)
    text += std::to_string(demand[j]) + "\n";
  for (int i = 0; i < n; ++i) {
    text += std::to_string(start[i + 1] - start[i]);
    for (int64_t k = start[i]; k < start[i + 1]; ++k)
      text += ' ', text += std::to_string(vertex[k]);
    text += "\n";
  }
  out.write(text);
  out.close();
}
