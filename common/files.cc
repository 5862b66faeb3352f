#include "common/files.h"

#include <sys/stat.h>

#include <cstdarg>

#include "common/fatal.h"
#include "common/run_files.h"
#include "common/run_options.h"

std::FILE* openForReading(const char* path) {
  std::FILE* file = std::fopen(path, "r");
  if (!file)
    return nullptr;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::string readWholeInput(const char* path, const std::string& label) {
  std::FILE* file = openForReading(path);
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", label.c_str());
  refuseRunOutput(file, label);
  std::string text;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    text.append(chunk, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", label.c_str());
  return text;
}

void closeReading(std::FILE* file) {
  if (file)
    std::fclose(file);
}

const char* volatile fileBeingWritten = nullptr;

void refuseRunOutput(std::FILE* file, const std::string& label) {
  struct stat input;
  if (fstat(fileno(file), &input) != 0)
    return;
  for (const char* output : kRunOutputs) {
    // The solver's sets are written only when the user names them.
    if ((output == kFixedCentresFile && runOptions.openFile.empty()) ||
        (output == kCandidateSitesFile && runOptions.candidatesFile.empty()))
      continue;
    struct stat info;
    if (stat(runPath(output), &info) == 0 && info.st_dev == input.st_dev &&
        info.st_ino == input.st_ino)
      fatalExit(
          "\n>>> Arquivo de dados %s e o mesmo que %s, gravado pela "
          "execucao",
          label.c_str(), output);
  }
}

OutFile::OutFile(const char* path, const char* createMessage) : path_(path) {
  file_ = std::fopen(path, "w");
  if (!file_)
    fatalExit("%s", createMessage);
  fileBeingWritten = path_.c_str();
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

OutFile::OutFile(const std::string& path)
    : path_(path), temporary_(path + ".tmp") {
  file_ = std::fopen(temporary_.c_str(), "w");
  if (!file_)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser criado", path.c_str());
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

OutFile::~OutFile() {
  if (fileBeingWritten == path_.c_str())
    fileBeingWritten = nullptr;
  // Only reached without close() when the process is being unwound by a
  // throwing failure routine; the file is then incomplete anyway.
  if (file_) {
    std::fclose(file_);
    if (!temporary_.empty())
      std::remove(temporary_.c_str());
  }
}

void OutFile::failed() const {
  if (!temporary_.empty())
    std::remove(temporary_.c_str());
  fatalExit("\n>>> Arquivo de dados %s nao pode ser gravado", path_.c_str());
}

void OutFile::write(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    failed();
}

void OutFile::print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = std::vfprintf(file_, format, args);
  va_end(args);
  if (written < 0)
    failed();
}

void OutFile::close() {
  std::FILE* file = file_;
  file_ = nullptr;
  fileBeingWritten = nullptr;
  bool flushed = std::fflush(file) == 0;
  bool closed = std::fclose(file) == 0;
  if (!flushed || !closed)
    failed();
  if (!temporary_.empty() &&
      std::rename(temporary_.c_str(), path_.c_str()) != 0)
    failed();
}
