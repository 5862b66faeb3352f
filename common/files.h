#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Opens a file for reading in text mode; nullptr when it cannot be opened or
// is a folder (which the C library would open and then fail to read).
std::FILE* openForReading(const char* path);

// The whole of a small input file (a table, a list, coordinates), named
// `label` in messages: one that cannot be opened or read, or that is one of
// the run's own outputs, ends the process.
std::string readWholeInput(const char* path, const std::string& label);

// Closes a file opened for reading; nullptr is ignored.
void closeReading(std::FILE* file);

// Ends the process when the open input file, named `label` in messages, is
// (by device and inode, so also through a link) one of the files the run
// writes into its folder (kRunOutputs): the run would destroy its own input.
void refuseRunOutput(std::FILE* file, const std::string& label);

// The name of the file an OutFile is writing, until it is closed; nullptr
// when none is. The interrupt handler removes it, so that an interrupted run
// leaves no half-written file.
extern const char* volatile fileBeingWritten;

// A file created for writing whose every write and the close are checked: a
// failure (a full disk) ends the process with a message naming the file.
class OutFile {
 public:
  // Creates or truncates `path`; if that fails, ends with `createMessage`.
  OutFile(const char* path, const char* createMessage);
  // Writes "<path>.tmp" instead, renamed to `path` by close() once complete
  // and removed on a failure, so `path` is never left half-written. Ends
  // with "Arquivo de dados <path> nao pode ser criado" if it cannot be made.
  explicit OutFile(const std::string& path);
  ~OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  void write(std::string_view bytes);
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes, closes and renames into place; a failure ends the process.
  void close();

 private:
  [[noreturn]] void failed() const;

  std::FILE* file_;
  std::string path_;
  std::string temporary_;  // the name written, when it is not path_
};
