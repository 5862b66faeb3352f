#include "common/run_guard.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "common/warning.h"

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// The signals this process catches: those of kInterrupts not ignored at
// start.
sigset_t caught;
void (*volatile interruptCleanup)(int) = nullptr;
void (*volatile stopRoutine)() = nullptr;
volatile sig_atomic_t stopTaken = 0;

void onInterrupt(int signal) {
  if (void (*stop)() = stopRoutine; signal == SIGINT && stop && !stopTaken) {
    stopTaken = 1;
    stop();
    return;
  }
  if (const char* path = fileBeingWritten)
    unlink(path);
  if (void (*cleanup)(int) = interruptCleanup)
    cleanup(signal);
  // _exit, not exit: nothing buffered (a report under way) is flushed, and
  // no destructor or atexit routine runs inside the handler.
  _exit(128 + signal);
}

}  // namespace

void catchInterrupts() {
  sigemptyset(&caught);
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  // A second signal waits until the first has ended the process.
  sigemptyset(&action.sa_mask);
  for (int signal : kInterrupts)
    sigaddset(&action.sa_mask, signal);
  for (int signal : kInterrupts) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
      continue;
    sigaction(signal, &action, nullptr);
    sigaddset(&caught, signal);
  }
}

void lockWorkingDirectory() {
  // The directory itself, not a lock file in it, so that nothing is created
  // and nothing can be left behind. Not inherited by the solver: the lock
  // goes with this process.
  const std::string& named = runFolder();
  // A folder named for the run's files is made when it is missing; its
  // parent must exist.
  if (!named.empty())
    mkdir(named.c_str(), 0777);
  int folder = open(named.empty() ? "." : named.c_str(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0 && !named.empty())
    fatalExit("\n>>> Pasta de trabalho (%s) nao pode ser aberta",
              named.c_str());
  if (folder >= 0 && flock(folder, LOCK_EX | LOCK_NB) == 0)
    return;  // held until the process ends
  if (folder >= 0 && errno == EWOULDBLOCK)
    fatalExit("\n>>> Pasta de trabalho em uso por outra execucao");
  // A folder that cannot be opened or locked (no read permission, a file
  // system without locks) still runs, unguarded.
  warn(
      "pasta de trabalho nao pode ser travada; outra execucao nesta pasta "
      "nao seria percebida");
  if (folder >= 0)
    close(folder);
}

void guardRun() {
  catchInterrupts();
  lockWorkingDirectory();
}

void setInterruptCleanup(void (*cleanup)(int signal)) {
  interruptCleanup = cleanup;
}

void setStopRoutine(void (*stop)()) { stopRoutine = stop; }

bool stopRequested() { return stopTaken != 0; }

void holdInterrupts(bool hold) {
  sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &caught, nullptr);
}

void resetSignalsInChild(int ignored, int blocked) {
  // Ignored first: the caught signals are still blocked here, so that one
  // sent meanwhile meets the new action.
  ::signal(ignored, SIG_IGN);
  for (int signal : kInterrupts) {
    if (signal != ignored && sigismember(&caught, signal) == 1)
      ::signal(signal, SIG_DFL);
  }
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, blocked);
  sigprocmask(SIG_SETMASK, &mask, nullptr);
}
