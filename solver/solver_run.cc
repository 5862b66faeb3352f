#include "solver/solver_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/fatal.h"
#include "common/run_files.h"
#include "common/run_guard.h"

std::vector<std::string> solverArguments;

namespace {

// The solver program found by locateSolver.
std::string solverProgram;

// The running solver, for the interrupt handler; 0 when none runs.
volatile sig_atomic_t solverPid = 0;

// How long an interrupted solver has to end on its own before it is killed.
// The solver program ends within milliseconds of a signal; the rest of the
// second an interrupted run may take is left for the tool itself.
constexpr int kGraceSteps = 40;
constexpr long kGraceStepNanoseconds = 10'000'000;

void removeSolverOutput() {
  unlink(runPath(kSolutionTemporary));
  unlink(runPath(kSolutionFile));
  unlink(runPath(kCurveTemporary));
  unlink(runPath(kCurveFile));
}

// The interrupt cleanup while the solver runs; only async-signal-safe calls.
// The solver ignores SIGINT (the first Ctrl-C is the tool's to pass on), so
// a second one reaches it as SIGTERM.
void stopSolver(int signal) {
  pid_t child = solverPid;
  if (child <= 0)
    return;
  kill(child, signal == SIGINT ? SIGTERM : signal);
  struct timespec step {
    0, kGraceStepNanoseconds
  };
  bool ended = false;
  for (int i = 0; i < kGraceSteps && !ended; ++i) {
    ended = waitpid(child, nullptr, WNOHANG) != 0;
    if (!ended)
      nanosleep(&step, nullptr);
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  // Only once it has ended: it can write nothing after this.
  removeSolverOutput();
}

// The stop routine while solving: the first Ctrl-C asks the running solver,
// if any, to stop at its best answer; none is started after it.
void askSolverToStop() {
  if (pid_t child = solverPid; child > 0)
    kill(child, kSolverStopSignal);
}

// In the child: ends with the parent, even when the parent is killed
// outright, and starts the solver with `argv` (whose first entry is left for
// the shell) in the run's folder `folder` (nullptr: the working directory).
// Writes errno to `report` when the folder cannot be entered or exec fails.
[[noreturn]] void execSolver(pid_t parent, char** argv, const char* folder,
                             int report) {
  // Ctrl-C reaches the whole foreground process group; the tool takes it
  // and passes on a stop, which waits blocked until the solver's watcher
  // takes it.
  resetSignalsInChild(SIGINT, kSolverStopSignal);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have died before the line above took effect.
  if (getppid() != parent)
    _exit(127);
  // The program was found by an absolute path, which the change keeps.
  if (folder == nullptr || chdir(folder) == 0)
    execv(solverProgram.c_str(), argv + 1);
  // A script without a "#!" line runs under the shell, as the shell itself
  // and execvp would run it.
  if (errno == ENOEXEC) {
    argv[1] = const_cast<char*>(solverProgram.c_str());
    execv("/bin/sh", argv);
  }
  int error = errno;
  ssize_t written = write(report, &error, sizeof error);
  (void)written;
  _exit(127);
}

// Starts the solver; false when it could not be started.
bool startSolver() {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0)
    return false;
  // Built before the fork: the child only calls what is safe there.
  std::vector<char*> argv{const_cast<char*>("sh"),
                          const_cast<char*>(kSolverCommand)};
  for (std::string& argument : solverArguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t parent = getpid();
  const char* folder = runFolder().empty() ? nullptr : runFolder().c_str();
  // No signal between the start and the record of the child, which the
  // interrupt cleanup needs in order to stop it.
  holdInterrupts(true);
  pid_t child = fork();
  if (child == 0)
    execSolver(parent, argv.data(), folder, report[1]);
  if (child > 0)
    solverPid = child;
  holdInterrupts(false);
  close(report[1]);
  if (child < 0) {
    close(report[0]);
    return false;
  }
  // Closed by a successful exec; an errno arrives when it failed.
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got <= 0)
    return true;
  waitpid(child, nullptr, 0);
  solverPid = 0;
  return false;
}

// Waits for the solver to end and returns its wait status.
int awaitSolver() {
  pid_t child = solverPid;
  // Waits without reaping, so that the process id cannot be reused while the
  // interrupt cleanup may still signal it.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) !=
             0 &&
         errno == EINTR) {
  }
  holdInterrupts(true);
  solverPid = 0;
  holdInterrupts(false);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

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
  // Without PATH, the usual default.
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

std::string findSolver(const std::string& searchPath) {
  std::size_t start = 0;
  while (start <= searchPath.size()) {
    std::size_t colon = searchPath.find(':', start);
    if (colon == std::string::npos)
      colon = searchPath.size();
    std::string candidate =
        searchPath.substr(start, colon - start) + "/" + kSolverCommand;
    struct stat info;
    if (colon > start && stat(candidate.c_str(), &info) == 0 &&
        S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = colon + 1;
  }
  return "";
}

void locateSolver() {
  solverProgram =
      findSolver(solverSearchPath(std::getenv("PATH"), programDirectory()));
  if (solverProgram.empty())
    fatalExit("\n>>> Programa %s nao encontrado", kSolverCommand);
}

void acceptStopRequests(bool accept) {
  setStopRoutine(accept ? askSolverToStop : nullptr);
}

void runSolver() {
  if (solverProgram.empty())
    locateSolver();
  // A solver that fails must not leave an earlier run's solution to be read
  // as this one's.
  std::remove(runPath(kSolutionFile));
  // Stopped before the solver had begun: there is no answer to report.
  if (stopRequested())
    std::exit(128 + SIGINT);
  // The solver's console output comes before the report.
  std::fflush(stdout);
  setInterruptCleanup(stopSolver);
  if (!startSolver())
    fatalExit("\n>>> Programa %s nao pode ser executado", kSolverCommand);
  // A stop asked for just before the start found no solver to ask.
  if (stopRequested())
    askSolverToStop();
  int status = awaitSolver();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
    return;
  // Asked to stop, the solver writes its best answer whole, then says so by
  // its status.
  struct stat answer;
  if (stopRequested() && WIFEXITED(status) &&
      WEXITSTATUS(status) == kSolverStoppedStatus &&
      stat(runPath(kSolutionFile), &answer) == 0)
    return;
  // Whatever a failed solver left is not its answer.
  removeSolverOutput();
  // Stopped before it had an answer: the run ends as an interrupted one.
  if (stopRequested())
    std::exit(128 + SIGINT);
  if (WIFSIGNALED(status))
    fatalExit("\n>>> Programa %s terminou pelo sinal %d", kSolverCommand,
              WTERMSIG(status));
  fatalExit("\n>>> Programa %s terminou com o codigo %d", kSolverCommand,
            WEXITSTATUS(status));
}
