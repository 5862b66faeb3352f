#include "common/fatal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#ifdef MCLP_FATAL_THROWS

void fatalExit(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  throw FatalError{text};
}

#else

void fatalExit(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  // exit() flushes and closes every open stream, standard output included.
  std::exit(1);
}

#endif
