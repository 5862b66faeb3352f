#pragma once

// The value of --facilities: one p, as always, or a list of p for a
// coverage curve: "10,20,50", a range "A:B" (every p from A to B) or
// "A:B:STEP" (A, A + STEP, ... up to B).

#include <cstdint>
#include <string_view>
#include <vector>

// Fills `list` with the values of a list or range, each >= 1, in increasing
// order and each once (a list may be given in any order); false for
// anything else, and for a single number, which is not a list.
bool parseFacilityList(std::string_view text, std::vector<int32_t>& list);
