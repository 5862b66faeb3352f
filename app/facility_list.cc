#include "app/facility_list.h"

#include <algorithm>

#include "common/token_reader.h"

namespace {

// A list of at most this many values: more centres than any table holds
// points would be refused later anyway, and the range is spelled out here.
constexpr int64_t kMostValues = 1 << 20;

bool positive(std::string_view text, int& value) {
  return parseInt(text, value) && value >= 1;
}

}  // namespace

bool parseFacilityList(std::string_view text, std::vector<int32_t>& list) {
  list.clear();
  std::size_t colon = text.find(':');
  if (colon != std::string_view::npos) {
    std::string_view rest = text.substr(colon + 1);
    std::size_t second = rest.find(':');
    int first = 0, last = 0, step = 1;
    if (!positive(text.substr(0, colon), first) ||
        !positive(rest.substr(0, second), last) ||
        (second != std::string_view::npos &&
         !positive(rest.substr(second + 1), step)) ||
        last < first ||
        (static_cast<int64_t>(last) - first) / step >= kMostValues)
      return false;
    for (int64_t p = first; p <= last; p += step)
      list.push_back(static_cast<int32_t>(p));
    return true;
  }
  if (text.find(',') == std::string_view::npos)
    return false;
  for (;;) {
    std::size_t comma = text.find(',');
    int value = 0;
    if (!positive(text.substr(0, comma), value) ||
        static_cast<int64_t>(list.size()) >= kMostValues)
      return false;
    list.push_back(value);
    if (comma == std::string_view::npos)
      break;
    text.remove_prefix(comma + 1);
  }
  // Solved in increasing order, each p once, whatever order it was given in.
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return true;
}
