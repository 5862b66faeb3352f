#include "pmedian/interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "common/run_files.h"

void watchInterrupts() {
  static sigset_t watched;
  sigset_t blocked;
  sigemptyset(&watched);
  sigemptyset(&blocked);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
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
    int signal = 0;
    while (sigwait(&watched, &signal) != 0) {
    }
    // A partial or finished answer of an interrupted run must not be read
    // as a complete one.
    unlink(kSolutionTemporary);
    unlink(kSolutionFile);
    unlink(kCurveTemporary);
    unlink(kCurveFile);
    _exit(128 + signal);
  }).detach();
}
