#include "pmedian/progress.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "pmedian/interrupt.h"

namespace {

// The line first appears after this many seconds and is redrawn this often.
constexpr double kFirstShown = 2.0;
// Ends the line once a stop was asked for, until the answer is written.
constexpr const char* kStoppingNote =
    " (interrompido: parando na melhor solucao; outro Ctrl-C encerra ja)";
constexpr double kRefresh = 1.0;

// What the line shows, written by the solve and read by the thread that
// draws it.
struct ProgressRecord {
  std::atomic<bool> covering{false};
  std::atomic<const char*> phase[2] = {"inicio", nullptr};
  std::atomic<double> best{0};
  std::atomic<double> bound{0};
  std::string shortened;  // under `lock`
  std::string point;      // under `lock`; see noteCurvePoint
  std::chrono::steady_clock::time_point start;
  bool drawn = false;  // a line is on the terminal now (drawing thread's)
  bool stop = false;   // under `lock`
  std::mutex lock;
  std::condition_variable wake;
  // Never destroyed: a failure ends the process by exit() while the thread
  // may be running, and destroying a running thread would abort it.
  std::thread* drawer = nullptr;
};

ProgressRecord progress;

double secondsSinceStart() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       progress.start)
      .count();
}

// The phases running, both lanes' when both run.
std::string phasesRunning() {
  const char* first = progress.phase[0].load();
  const char* second = progress.phase[1].load();
  if (first && second)
    return std::string(first) + " + " + second;
  return first ? first : second ? second : "";
}

// The drawing thread: sleeps until the first showing, then redraws the line
// in place (carriage return, erase to the end of the line) every refresh,
// until told to stop; erases the line on the way out. Its own clock, so that
// a long step of the solve (a model built, a relaxation solved) does not
// freeze the line.
void drawLoop() {
  std::unique_lock<std::mutex> hold(progress.lock);
  auto next = progress.start +
              std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                  std::chrono::duration<double>(kFirstShown));
  for (;;) {
    if (progress.wake.wait_until(hold, next, [] { return progress.stop; }))
      break;
    // Once a stop is asked for, every phase ends as at the cap; the line
    // says why instead.
    bool stopping = stopWanted();
    std::string text = progressText(
        secondsSinceStart(), phasesRunning().c_str(), progress.covering.load(),
        progress.best.load(), progress.bound.load(),
        stopping ? "" : progress.shortened, progress.point);
    if (stopping)
      text += kStoppingNote;
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
    progress.drawn = true;
    next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kRefresh));
  }
  if (progress.drawn) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    progress.drawn = false;
  }
}

}  // namespace

std::string progressText(double seconds, const char* phase, bool covering,
                         double best, double bound,
                         const std::string& shortened,
                         const std::string& point) {
  char text[200];
  std::snprintf(text, sizeof text, "Corvadel: %s%.0f s %s %s %.2f limite %.2f",
                point.c_str(), seconds, phase, covering ? "cobertura" : "custo",
                best, bound);
  if (shortened.empty())
    return text;
  return std::string(text) + " (sem tempo: " + shortened + ")";
}

void startProgress(bool wanted) {
  progress.start = std::chrono::steady_clock::now();
  if (wanted && isatty(STDERR_FILENO) == 1 && !progress.drawer)
    progress.drawer = new std::thread(drawLoop);
}

void noteCovering(bool covering) { progress.covering = covering; }

void notePhase(const char* phase) { notePhase(0, phase); }

void notePhase(int slot, const char* phase) { progress.phase[slot] = phase; }

void notePhaseShortened(const char* phase) {
  std::lock_guard<std::mutex> hold(progress.lock);
  if (!progress.shortened.empty())
    progress.shortened += ' ';
  progress.shortened += phase;
}

void noteCurvePoint(int p, int index, int count) {
  std::lock_guard<std::mutex> hold(progress.lock);
  // A list of one is a step of the tool's search over p, whose steps the
  // solver cannot count.
  progress.point = "p " + std::to_string(p) +
                   (count > 1 ? " (" + std::to_string(index) + " de " +
                                    std::to_string(count) + ")"
                              : std::string()) +
                   ": ";
  progress.shortened.clear();
  progress.best = 0;
  progress.bound = 0;
}

void noteBest(double best) { progress.best = best; }

void noteBound(double bound) { progress.bound = bound; }

void clearProgress() {
  if (!progress.drawer || !progress.drawer->joinable())
    return;
  {
    std::lock_guard<std::mutex> hold(progress.lock);
    progress.stop = true;
  }
  progress.wake.notify_all();
  progress.drawer->join();
}
