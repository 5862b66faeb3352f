#pragma once

#include <string>

// Ends the process after a failure: prints the formatted message on standard
// output and exits with status 1. Every message begins with a line end and
// ">>> " and ends without a line end. Standard error is never used.
[[noreturn]] void fatalExit(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// Thrown by fatalExit instead of exiting in builds that link the throwing
// variant (unit tests and fuzz targets), so that a reader can be driven on
// bad input without ending the process. Holds the formatted message.
struct FatalError {
  std::string message;
};
