#include "common/fixed_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

std::size_t formatFixed(double value, int width, int precision, char* out) {
  if (!std::isfinite(value))
    return static_cast<std::size_t>(
        std::snprintf(out, kFixedMax, "%*.*f", width, precision, value));
  char digits[kFixedMax];
  auto result = std::to_chars(digits, digits + sizeof digits, value,
                              std::chars_format::fixed, precision);
  std::size_t length = static_cast<std::size_t>(result.ptr - digits);
  std::size_t pad =
      length < static_cast<std::size_t>(width) ? width - length : 0;
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, digits, length);
  return pad + length;
}
