#pragma once

#include <cstddef>

// Room for any double printed with "%*.*f" at the widths used here: up to
// 309 integer digits, the point and the decimals.
constexpr std::size_t kFixedMax = 340;

// Writes `value` as "%<width>.<precision>f" would, into `out` (kFixedMax
// bytes), and returns the length. Same bytes as the formatted-print function,
// correctly rounded, but without parsing a format for every value.
std::size_t formatFixed(double value, int width, int precision, char* out);
