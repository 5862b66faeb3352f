#pragma once

// The end marker of the solver's answer ("solucao.txt": it ends the leading
// reals) and of the assignment lines of "solucaoR.txt", shared by the tool
// and the solver program.
constexpr int END_MARK = 9999999;

// True when `value`, a real read in single precision, is the end marker:
// truncated toward zero it equals END_MARK. Reals near 9999999 are 1.0
// apart in single precision: 9999998.7 and 9999999.3 read as 9999999 and
// are the marker, 9999999.7 reads as 1e7 and is not.
bool isEndMark(float value);
