// Speed of the tool's heavy stages, measured in one run on this machine:
//
//   - the run of the tool on OR-Library pmed40, as a whole by the built
//     program, with its peak memory, and stage by stage in this process;
//   - completion of random edge lists (n = 300, 900, 3000) by the plain loop
//     and by the fast completion, results compared bit for bit;
//   - "pmeddata.dat" and "pmedmtrx.dat" at n = 900 by the tool's writer and
//     by one formatted-print call per value, bytes compared.
//
//   mclp_speed_bench [--quick]
//
// --quick leaves out n = 3000 and the whole-program run. Everything written
// goes to temporary folders that are removed at the end.

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "instance/demand.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "instance/shortest_paths.h"
#include "report/coverage.h"
#include "report/summary.h"
#include "solver/solution_reader.h"
#include "solver/solver_files.h"
#include "solver/solver_run.h"
#include "tests/matrix_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of this process: on a machine whose cores are shared with
// other work it shows the work done, where the clock on the wall also shows
// the waiting.
double cpuSecondsSince(std::clock_t start) {
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// Peak resident memory in MiB of this process (RUSAGE_SELF) or of its
// waited-for children (RUSAGE_CHILDREN).
double peakMiB(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string processorModel() {
  std::ifstream info("/proc/cpuinfo");
  std::string line;
  while (std::getline(info, line)) {
    if (line.rfind("model name", 0) == 0) {
      std::size_t colon = line.find(':');
      if (colon != std::string::npos)
        return line.substr(colon + 2);
    }
  }
  return "unknown";
}

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
struct TempDir {
  std::string path;
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "mclp_bench_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    path = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
};

void changeDirectory(const std::string& path) {
  if (chdir(path.c_str()) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

// Goes back to the folder it was made in when it goes; declared after the
// temporary folders, so that none is removed while it is the working one.
struct ComeBack {
  std::string path = std::filesystem::current_path().string();
  ~ComeBack() { changeDirectory(path); }
};

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A connected sparse graph: a random tree keeps it in one piece, the other
// records join random pairs, about ten edges per vertex in all. Lengths are
// whole numbers 1 … 100, or reals 0.01 … 100 with `fractional`.
std::vector<Edge> randomGraph(int n, bool fractional, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> whole(1, 100);
  std::uniform_real_distribution<float> real(0.01f, 100.0f);
  auto length = [&]() {
    return fractional ? real(random) : static_cast<float>(whole(random));
  };
  std::vector<Edge> edges;
  for (int v = 1; v < n; ++v) {
    std::uniform_int_distribution<int> earlier(0, v - 1);
    edges.push_back({v, earlier(random), length()});
  }
  std::uniform_int_distribution<int> vertex(0, n - 1);
  while (static_cast<int>(edges.size()) < 5 * n) {
    int a = vertex(random);
    int b = vertex(random);
    if (a != b)
      edges.push_back({a, b, length()});
  }
  return edges;
}

// Puts a copy back into the record, whose rows have the same size.
void restoreRecord(const Matrix& m) {
  for (int j = 0; j < record.vertices; ++j)
    std::copy(m.rows[j].begin(), m.rows[j].end(), record.cost[j]);
}

// Times the fast completion on the record, with every core and with one
// thread, then the plain loop on a copy of the same input, and compares.
// Without `plainInFull` the plain loop is estimated instead: it is run on
// the fast result, where it makes exactly one pass (nothing lowers), and a
// completion of whole lengths in the exact range takes two such passes, one
// that lowers and one that confirms.
void benchCompletion(int n, bool fractional, bool plainInFull) {
  setUpRecord(n, randomGraph(n, fractional, 1000u + n));
  const Matrix input = copyOfRecord();
  Clock::time_point start = Clock::now();
  std::clock_t cpuStart = std::clock();
  closeShortestPathsTuned(record.cost, n, {1, true, 0});
  double single = secondsSince(start);
  double singleCpu = cpuSecondsSince(cpuStart);
  Matrix singleResult = copyOfRecord();
  restoreRecord(input);
  start = Clock::now();
  closeShortestPaths(n);
  double fast = secondsSince(start);
  bool identical = (firstDifferentRow(singleResult) < 0);

  const char* lengths = fractional ? "fractional" : "whole";
  double reference = 0.0;
  double referenceCpu = 0.0;
  double onePass = 0.0;
  if (plainInFull) {
    Matrix plain = input;
    for (int j = 0; j < n; ++j)
      plain.pointers[j] = plain.rows[j].data();
    start = Clock::now();
    cpuStart = std::clock();
    closeShortestPathsPlain(plain.pointers.data(), n);
    reference = secondsSince(start);
    referenceCpu = cpuSecondsSince(cpuStart);
    identical = identical && (firstDifferentRow(plain) < 0);
  }
  // One plain pass on the result: the estimate used where the full plain
  // loop would take too long, shown beside the full run where it is made.
  Matrix settled = copyOfRecord();
  start = Clock::now();
  cpuStart = std::clock();
  closeShortestPathsPlain(settled.pointers.data(), n);
  onePass = secondsSince(start);
  double onePassCpu = cpuSecondsSince(cpuStart);
  bool fixedPoint = (firstDifferentRow(settled) < 0);
  if (!plainInFull) {
    reference = 2.0 * onePass;
    referenceCpu = 2.0 * onePassCpu;
  }
  std::printf(
      "  %5d  %-10s  %8.3f%s  %8.4f  %8.4f  %6.1f  %6.1f  %6.1f  %-9s  "
      "%.3f%s\n",
      n, lengths, reference, plainInFull ? " " : "*", fast, single,
      reference / fast, reference / single, referenceCpu / singleCpu,
      plainInFull ? (identical ? "yes" : "NO")
                  : (identical && fixedPoint ? "fixed pt" : "NO"),
      onePass, fixedPoint ? "" : " (plain pass lowered entries!)");
}

// --- solver files --------------------------------------------------------

// One formatted-print call per value: the bytes the writer must reproduce.
void printCostFile(const char* path) {
  std::FILE* out = std::fopen(path, "w");
  int n = record.vertices;
  std::fprintf(out, "%d  %d\n", n, record.facilidades);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (j != i)
        std::fprintf(out, "%11.5f\n",
                     record.cost[i][j] <= record.distServico
                         ? 0.0
                         : static_cast<double>(record.pop[j]));
  std::fclose(out);
}

void printDistanceFile(const char* path) {
  std::FILE* out = std::fopen(path, "w");
  int n = record.vertices;
  std::fprintf(out, "%d %d %7.2f\n", n, record.facilidades,
               static_cast<double>(record.distServico));
  for (int i = 0; i + 1 < n; ++i)
    for (int j = i + 1; j < n; ++j)
      std::fprintf(out, "%11.5f\n", static_cast<double>(record.cost[i][j]));
  std::fclose(out);
}

// Seconds from `start` until "pmeddata.dat" is closed in `folder`, noted by
// a thread that waits for the close. The writer does not expose its two
// files separately; this splits its time without touching it.
class CloseWatch {
 public:
  explicit CloseWatch(const std::string& folder) {
    fd_ = inotify_init();
    inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE);
  }
  ~CloseWatch() {
    if (watcher_.joinable())
      watcher_.join();
    close(fd_);
  }
  void start(Clock::time_point from) {
    watcher_ = std::thread([this, from]() {
      alignas(inotify_event) char buffer[4096];
      for (;;) {
        ssize_t length = read(fd_, buffer, sizeof buffer);
        if (length <= 0)
          return;
        for (char* p = buffer; p < buffer + length;) {
          auto* event = reinterpret_cast<inotify_event*>(p);
          if (event->len && std::strcmp(event->name, "pmeddata.dat") == 0) {
            seconds_ =
                std::chrono::duration<double>(Clock::now() - from).count();
            return;
          }
          p += sizeof(inotify_event) + event->len;
        }
      }
    });
  }
  double seconds() {
    watcher_.join();
    return seconds_;
  }

 private:
  int fd_;
  std::thread watcher_;
  double seconds_ = 0.0;
};

void benchSolverFiles(int n) {
  setUpRecord(n, randomGraph(n, false, 77u));
  closeShortestPaths(n);
  record.facilidades = n / 10;
  record.distServico = 60.0f;
  drawDemand(12345u);

  constexpr int kRounds = 3;
  double writerBoth = 1e9, writerCost = 1e9, printCost = 1e9, printBoth = 1e9;
  TempDir tool, reference;
  ComeBack comeBack;
  for (int round = 0; round < kRounds; ++round) {
    changeDirectory(tool.path);
    CloseWatch watch(tool.path);
    Clock::time_point start = Clock::now();
    watch.start(start);
    writeSolverFiles();
    writerBoth = std::min(writerBoth, secondsSince(start));
    writerCost = std::min(writerCost, watch.seconds());

    changeDirectory(reference.path);
    start = Clock::now();
    printCostFile("pmeddata.dat");
    double cost = secondsSince(start);
    printDistanceFile("pmedmtrx.dat");
    printBoth = std::min(printBoth, secondsSince(start));
    printCost = std::min(printCost, cost);
  }
  auto same = [&](const char* name) {
    std::string a = fileBytes(tool.path + "/" + name);
    return !a.empty() && a == fileBytes(reference.path + "/" + name);
  };
  long long lines = static_cast<long long>(n) * (n - 1);
  std::printf("  pmeddata.dat (%lld values)   %9.4f  %9.4f  %7.1f  %s\n", lines,
              printCost, writerCost, printCost / writerCost,
              same("pmeddata.dat") ? "yes" : "NO");
  std::printf("  both files                    %9.4f  %9.4f  %7.1f  %s\n",
              printBoth, writerBoth, printBoth / writerBoth,
              same("pmedmtrx.dat") && same("pmeddata.dat") ? "yes" : "NO");
  std::printf(
      "  (best of %d; the writer's pmeddata.dat time runs until the "
      "file is closed)\n",
      kRounds);
}

// --- the whole run on pmed40 ---------------------------------------------

// Reads an edge-list file into the record without completing it, so that the
// completion can be timed on its own.
bool loadEdgeList(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "r");
  if (!in)
    return false;
  int n = 0, m = 0, p = 0;
  float s = 0;
  bool ok = std::fscanf(in, "%d %d %d %f", &n, &m, &p, &s) == 4;
  std::vector<Edge> edges;
  for (int r = 0; ok && r < m; ++r) {
    Edge e{};
    ok = std::fscanf(in, "%d %d %f", &e.a, &e.b, &e.length) == 3;
    edges.push_back({e.a - 1, e.b - 1, e.length});
  }
  std::fclose(in);
  if (!ok)
    return false;
  setUpRecord(n, edges);
  record.arestas = m;
  record.facilidades = p;
  record.distServico = s;
  return true;
}

// Runs `step` with standard output sent to `path`, so that the solver's
// console and the report do not mix with the figures.
template <typename Step>
void quietly(const std::string& path, Step step) {
  std::fflush(stdout);
  int saved = dup(1);
  std::FILE* sink = std::fopen(path.c_str(), "a");
  dup2(fileno(sink), 1);
  step();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::fclose(sink);
}

void benchWholeRun(bool runProgram) {
  const std::string source =
      std::string(MCLP_SHARED_DATA) + "/orlib-pmed/pmed40.txt";
  // About 2 % of the pairs of pmed40 lie within 11 of each other; with 90
  // centres the solver then has to search, and covers about 97 %.
  const char* serviceDistance = "11";
  TempDir work;
  ComeBack comeBack;
  std::string input = work.path + "/pmed40.txt";
  std::string convert = "python3 " + std::string(MCLP_SHARED_DATA) +
                        "/convert.py pmed " + source + " --S " +
                        serviceDistance + " -o " + input + " > /dev/null";
  if (std::system(convert.c_str()) != 0) {
    std::printf("  pmed40 could not be converted from %s\n", source.c_str());
    return;
  }
  // The program runs first, while this process is still small: a child's
  // peak memory counts what it held before it replaced itself with mclp.
  std::string directory = programDirectory();
  if (directory.empty())
    directory = ".";
  std::string console = work.path + "/console.txt";
  if (runProgram) {
    std::string program = directory + "/mclp";
    std::fflush(stdout);
    Clock::time_point from = Clock::now();
    pid_t child = fork();
    if (child == 0) {
      std::FILE* sink = std::fopen(console.c_str(), "a");
      if (sink)
        dup2(fileno(sink), 1);
      if (chdir(work.path.c_str()) == 0)
        execl(program.c_str(), "mclp", "-b", "pmed40.txt",
              static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    double whole = secondsSince(from);
    std::printf(
        "  mclp -b pmed40.txt as a program: %.3f s, exit status %d, "
        "peak memory %.1f MiB\n",
        whole, WIFEXITED(status) ? WEXITSTATUS(status) : -1,
        static_cast<double>(usage.ru_maxrss) / 1024.0);
  }

  if (!loadEdgeList(input)) {
    std::printf("  %s could not be read\n", input.c_str());
    return;
  }
  int n = record.vertices;
  Clock::time_point start = Clock::now();
  closeShortestPaths(n);
  double completion = secondsSince(start);
  long long within = 0;
  for (int j = 0; j < n; ++j)
    for (int k = 0; k < n; ++k)
      if (j != k && record.cost[j][k] <= record.distServico)
        ++within;
  std::printf("  pmed40: n %d, m %d, p %d, S %s (%.1f %% of pairs within S)\n",
              n, record.arestas, record.facilidades, serviceDistance,
              100.0 * static_cast<double>(within) / (double(n) * (n - 1)));

  changeDirectory(work.path);
  bool haveSolver = std::filesystem::exists(directory + "/" + kSolverCommand);
  releaseInstance();
  record = InstanceRecord{};
  double stages = 0.0;
  auto stage = [&](const char* name, auto step) {
    Clock::time_point from = Clock::now();
    quietly(console, step);
    double seconds = secondsSince(from);
    stages += seconds;
    std::printf("    %-34s %8.4f s\n", name, seconds);
  };
  std::printf("  stages in this process:\n");
  stage("read and complete (readInstance)",
        [&]() { readInstance(input.c_str(), InputMode::B); });
  std::printf("    %-34s %8.4f s\n", "  of which the completion", completion);
  stage("demand (loadDemand)", []() { loadDemand(InputMode::B); });
  stage("solver files (writeSolverFiles)", []() { writeSolverFiles(); });
  if (haveSolver) {
    stage("solver program (runSolver)", []() { runSolver(); });
    stage("reassign (reassignToCentres)", []() { reassignToCentres(); });
    stage("coverage (evaluateCoverage)", []() { evaluateCoverage(); });
    stage("report (printReport)", []() { printReport(); });
  } else {
    std::printf(
        "    solver program %s not built beside this benchmark; "
        "later stages left out\n",
        kSolverCommand);
  }
  std::printf("    %-34s %8.4f s\n", "all stages", stages);
  releaseInstance();
  record = InstanceRecord{};
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  std::printf("machine: %u hardware threads, %s, AVX2 %s\n\n",
              std::thread::hardware_concurrency(), processorModel().c_str(),
              __builtin_cpu_supports("avx2") ? "yes" : "no");

  std::printf("whole run\n");
  benchWholeRun(!quick);
  std::printf("\n");

  std::printf(
      "completion (seconds; plain loop and fast completion both "
      "compiled -O2)\n");
  std::printf("  %5s  %-10s  %9s  %8s  %8s  %6s  %6s  %6s  %-9s  %s\n", "n",
              "lengths", "plain", "fast", "fast 1t", "ratio", "1t", "1t cpu",
              "identical", "one plain pass");
  benchCompletion(300, false, true);
  benchCompletion(900, false, true);
  benchCompletion(900, true, true);
  if (!quick)
    benchCompletion(3000, false, false);
  std::printf(
      "  (fast: default settings, %u threads here; fast 1t: one thread;"
      " ratios of plain to\n   fast, fast 1t, and of their processor times;"
      " * estimated as 2 x one measured\n   plain pass, the passes a "
      "completion of whole lengths takes; fixed pt: one\n   plain pass "
      "on the fast result lowers nothing)\n",
      std::thread::hardware_concurrency());

  std::printf("\nsolver files at n = 900 (seconds)\n");
  std::printf("  %-29s %9s  %9s  %7s  %s\n", "", "fprintf", "writer", "ratio",
              "identical");
  benchSolverFiles(900);

  std::printf("\npeak memory of this benchmark process: %.1f MiB\n",
              peakMiB(RUSAGE_SELF));
  releaseInstance();
  return 0;
}
