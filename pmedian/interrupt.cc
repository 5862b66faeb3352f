#include "pmedian/interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "common/run_files.h"

namespace {

std::atomic<bool> stopFlag{false};

}  // namespace

bool stopWanted() { return stopFlag.load(std::memory_order_relaxed); }

void watchInterrupts() {
  static sigset_t watched;
  sigset_t blocked;
  sigemptyset(&watched);
  sigemptyset(&blocked);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, kSolverStopSignal}) {
    sigaddset(&blocked, signal);
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
      sigaddset(&watched, signal);
  }
  // Blocked signals go to no handler, whoever installs one later; they wait
  // for sigwait below. An ignored one stays blocked too, so that a handler
  // installed later cannot take it either.
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  if (sigisemptyset(&watched))
    return;
  std::thread([] {
    for (;;) {
      int signal = 0;
      if (sigwait(&watched, &signal) != 0)
        continue;
      // Asking again to stop gently changes nothing; a second Ctrl-C means
      // now.
      if (signal == kSolverStopSignal ||
          (signal == SIGINT && !stopFlag.exchange(true))) {
        stopFlag.store(true);
        continue;
      }
      // A partial or finished answer of an interrupted run must not be read
      // as a complete one.
      unlink(kSolutionTemporary);
      unlink(kSolutionFile);
      unlink(kCurveTemporary);
      unlink(kCurveFile);
      _exit(128 + signal);
    }
  }).detach();
}
