#pragma once

// Warns about input that is probably a mistake without stopping the run:
// prints "aviso: ", the formatted message and a line end on standard error,
// which leaves standard output and every file as they would be without it.
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
