#include "solver/solver_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

std::vector<std::string> solverArguments;

std::string solverCommandLine() {
  std::string command = kSolverCommand;
  for (const std::string& argument : solverArguments) {
    // Inside single quotes nothing is special but the quote itself, which
    // is closed, escaped and reopened.
    command += " '";
    for (char c : argument)
      command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += '\'';
  }
  return command;
}

std::string programDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0)
    return "";
  std::string exe(path, static_cast<std::size_t>(length));
  std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? ""
                                    : exe.substr(0, slash == 0 ? 1 : slash);
}

std::string solverSearchPath(const char* path, const std::string& programDir) {
  // Without PATH the interpreter would use its own default; keep that.
  std::string entries = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::string result;
  std::size_t start = 0;
  for (;;) {
    std::size_t colon = entries.find(':', start);
    std::string entry = entries.substr(
        start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!entry.empty() && entry[0] == '/') {
      if (!result.empty())
        result += ':';
      result += entry;
    }
    if (colon == std::string::npos)
      break;
    start = colon + 1;
  }
  if (!programDir.empty()) {
    if (!result.empty())
      result += ':';
    result += programDir;
  }
  return result;
}

void runSolver() {
  // A solver that fails must not leave an earlier run's solution to be read
  // as this one's.
  std::remove("solucao.txt");
  std::string path = solverSearchPath(std::getenv("PATH"), programDirectory());
  setenv("PATH", path.c_str(), 1);
  // The solver's console output comes before the report.
  std::fflush(stdout);
  int status = std::system(solverCommandLine().c_str());
  (void)status;
}
