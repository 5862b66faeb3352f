// Speed of the tool's heavy stages, measured in one run on this machine:
//
//   - the run of the tool on OR-Library pmed40 (bench/data), as a whole by
//     the built program, with its peak memory, and stage by stage in this
//     process;
//   - completion of random edge lists (n = 300, 900, 3000) by the plain loop
//     and by the fast completion, results compared bit for bit;
//   - "pmeddata.dat" and "pmedmtrx.dat" at n = 900 by the tool's writer and
//     by one formatted-print call per value, bytes compared.
//
//   mclp_speed_bench [--quick | --tiny]
//
// --quick leaves out n = 3000 and the whole-program run; --tiny runs one
// small case of each (pmed1, n = 60, n = 100), for the tests. The figures are
// Markdown tables. Everything written goes to temporary folders that are
// removed at the end.

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
      "| %d | %s | %.3f s%s | %.4f s | %.4f s | %.1f× | %.1f× | %.1f× | %s | "
      "%.3f s%s |\n",
      n, lengths, reference, plainInFull ? "" : "*", fast, single,
      reference / fast, reference / single, referenceCpu / singleCpu,
      plainInFull ? (identical ? "yes" : "NO")
                  : (identical && fixedPoint ? "fixed point" : "NO"),
      onePass, fixedPoint ? "" : " (the plain pass lowered entries!)");
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
  std::printf("| pmeddata.dat (%lld values) | %.4f s | %.4f s | %.1f× | %s |\n",
              lines, printCost, writerCost, printCost / writerCost,
              same("pmeddata.dat") ? "yes" : "NO");
  std::printf(
      "| pmeddata.dat and pmedmtrx.dat | %.4f s | %.4f s | %.1f× | %s |\n",
      printBoth, writerBoth, printBoth / writerBoth,
      same("pmedmtrx.dat") && same("pmeddata.dat") ? "yes" : "NO");
  std::printf(
      "\nBest of %d rounds; the writer's time for pmeddata.dat runs until "
      "that file is closed.\n",
      kRounds);
}

// --- the whole run on an OR-Library graph ---------------------------------

// Writes an OR-Library graph ("n m p", then m records "a b d") in the tool's
// edge-list layout: the header with S added, the records unchanged.
bool writeToolEdgeList(const std::string& source, const char* serviceDistance,
                       const std::string& target) {
  std::ifstream in(source);
  long long n = 0, m = 0, p = 0;
  if (!(in >> n >> m >> p) || n < 1 || m < 0 || p < 0)
    return false;
  std::ofstream out(target);
  out << n << ' ' << m << ' ' << p << ' ' << serviceDistance << '\n';
  for (long long r = 0; r < m; ++r) {
    long long a = 0, b = 0, d = 0;
    if (!(in >> a >> b >> d))
      return false;
    out << a << ' ' << b << ' ' << d << '\n';
  }
  out.close();
  return static_cast<bool>(out);
}

// Reads an edge-list file into the record without completing it, so that the
// completion can be timed on its own.
bool loadEdgeList(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "r");
  if (!in)
    return false;
  int n = 0, m = 0, p = 0;
  float s = 0;
  bool ok = std::fscanf(in, "%d %d %d %f", &n, &m, &p, &s) == 4 && n > 0;
  std::vector<Edge> edges;
  for (int r = 0; ok && r < m; ++r) {
    Edge e{};
    ok = std::fscanf(in, "%d %d %f", &e.a, &e.b, &e.length) == 3 && e.a >= 1 &&
         e.a <= n && e.b >= 1 && e.b <= n;
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

// The tool on OR-Library graph `name` with service distance
// `serviceDistance`: the built program as a whole (with `runProgram`), then
// stage by stage in this process.
void benchWholeRun(const char* name, const char* serviceDistance,
                   bool runProgram) {
  const std::string source =
      std::string(MCLP_BENCH_DATA) + "/orlib-pmed/" + name + ".txt";
  TempDir work;
  ComeBack comeBack;
  std::string file = std::string(name) + ".txt";
  std::string input = work.path + "/" + file;
  if (!writeToolEdgeList(source, serviceDistance, input)) {
    std::printf("%s could not be converted from %s\n", name, source.c_str());
    return;
  }
  // The program runs first, while this process is still small: a child's
  // peak memory counts what it held before it replaced itself with mclp.
  std::string directory = programDirectory();
  if (directory.empty())
    directory = ".";
  std::string console = work.path + "/console.txt";
  std::string programFigures = " not run | – |";
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
        execl(program.c_str(), "mclp", "-b", file.c_str(),
              static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    double whole = secondsSince(from);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    char figures[96];
    std::snprintf(figures, sizeof figures, " %.3f s%s | %.1f MiB |", whole,
                  code == 0 ? "" : " (failed)",
                  static_cast<double>(usage.ru_maxrss) / 1024.0);
    programFigures = figures;
  }

  if (!loadEdgeList(input)) {
    std::printf("%s could not be read\n", input.c_str());
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
  std::printf(
      "| run | n | m | p | S | pairs within S | seconds | peak memory |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  std::printf("| mclp -b %s | %d | %d | %d | %s | %.1f %% |%s\n", name, n,
              record.arestas, record.facilidades, serviceDistance,
              100.0 * static_cast<double>(within) / (double(n) * (n - 1)),
              programFigures.c_str());
  releaseInstance();
  record = InstanceRecord{};

  changeDirectory(work.path);
  bool haveSolver = std::filesystem::exists(directory + "/" + kSolverCommand);
  std::printf("\nStages in this process:\n\n| stage | seconds |\n|---|---|\n");
  double stages = 0.0;
  auto stage = [&](const char* what, auto step) {
    Clock::time_point from = Clock::now();
    quietly(console, step);
    double seconds = secondsSince(from);
    stages += seconds;
    std::printf("| %s | %.4f |\n", what, seconds);
  };
  stage("read and complete (readInstance)",
        [&]() { readInstance(input.c_str(), InputMode::B); });
  std::printf("| of which the completion (timed alone) | %.4f |\n", completion);
  stage("demand (loadDemand)", []() { loadDemand(InputMode::B); });
  stage("solver files (writeSolverFiles)", []() { writeSolverFiles(); });
  if (haveSolver) {
    stage("solver program (runSolver)", []() { runSolver(); });
    stage("reassign (reassignToCentres)", []() { reassignToCentres(); });
    stage("coverage (evaluateCoverage)", []() { evaluateCoverage(); });
    stage("report (printReport)", []() { printReport(); });
  } else {
    std::printf("| solver program %s not built beside this benchmark | – |\n",
                kSolverCommand);
  }
  std::printf("| all stages | %.4f |\n", stages);
  releaseInstance();
  record = InstanceRecord{};
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  bool tiny = argc > 1 && std::strcmp(argv[1], "--tiny") == 0;
  if (argc > 2 || (argc == 2 && !quick && !tiny)) {
    std::printf("usage: mclp_speed_bench [--quick | --tiny]\n");
    return 1;
  }
  std::printf("### Speed\n\nMachine: %u hardware threads, %s, AVX2 %s.\n\n",
              std::thread::hardware_concurrency(), processorModel().c_str(),
              __builtin_cpu_supports("avx2") ? "yes" : "no");

  std::printf("Whole run:\n\n");
  // pmed40: about 2 % of the pairs lie within 11 of each other; with 90
  // centres the solver then has to search, and covers about 97 %.
  if (tiny)
    benchWholeRun("pmed1", "30", true);
  else
    benchWholeRun("pmed40", "11", !quick);

  std::printf(
      "\nShortest-path completion of random connected edge lists (about 10 "
      "edges per vertex), plain loop and fast completion as the library "
      "builds them:\n\n");
  std::printf(
      "| n | lengths | plain loop | fast (%u threads) | fast (1 thread) | "
      "ratio | ratio, 1 thread | ratio of processor times, 1 thread | "
      "identical | one plain pass |\n",
      std::thread::hardware_concurrency());
  std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
  if (tiny) {
    benchCompletion(60, false, true);
  } else {
    benchCompletion(300, false, true);
    benchCompletion(900, false, true);
    benchCompletion(900, true, true);
    if (!quick)
      benchCompletion(3000, false, false);
  }
  std::printf(
      "\n\\* Estimated as 2 × one measured plain pass, the passes a completion "
      "of whole lengths takes; fixed point: one plain pass on the fast result "
      "lowers nothing.\n");

  int filesAt = tiny ? 100 : 900;
  std::printf(
      "\nSolver input at n = %d, the tool's writer against one "
      "fprintf(\"%%11.5f\\n\") per value:\n\n",
      filesAt);
  std::printf("| file | fprintf | writer | ratio | identical |\n");
  std::printf("|---|---|---|---|---|\n");
  benchSolverFiles(filesAt);

  std::printf("\nPeak memory of this benchmark process: %.1f MiB.\n\n",
              peakMiB(RUSAGE_SELF));
  releaseInstance();
  return 0;
}
