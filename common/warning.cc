#include "common/warning.h"

#include <cstdarg>
#include <cstdio>

void warn(const char* format, ...) {
  // One write per warning, so that it is not interleaved with another
  // program's output on a shared terminal.
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::fprintf(stderr, "aviso: %s\n", text);
}
