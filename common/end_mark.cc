#include "common/end_mark.h"

#include <cmath>

bool isEndMark(float value) {
  return std::isfinite(value) &&
         std::trunc(value) == static_cast<float>(END_MARK);
}
