// Writes the solver's input "pmeddata.dat" (and, for covering problems, the
// covering model as "cover.lp" for a command-line MIP solver) in the working
// directory, from the shared benchmark sets or at random:
//
//   pmed_instance median ORLIB_FILE
//   pmed_instance cover  ORLIB_FILE|TSPLIB_FILE|random:N  P SHARE SEED
//
// median: the OR-Library graph completed by shortest paths, unit demands.
// cover: S is the SHARE quantile of the distances between distinct
// vertices, so that on average that share of the vertices lies within S of
// a vertex; demands are drawn from 1 … 100 by SEED. Prints "n p S total".

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kFar = 1e18;

[[noreturn]] void fail(const std::string& why) {
  std::printf("pmed_instance: %s\n", why.c_str());
  std::exit(1);
}

// An OR-Library graph: "n m p" then m records "a b d", 1-based, the last
// record of a pair winning; completed with Floyd–Warshall.
std::vector<double> orlibDistances(const char* path, int& n, int& p) {
  std::ifstream in(path);
  int m;
  if (!(in >> n >> m >> p))
    fail(std::string("cannot read ") + path);
  std::vector<double> d(static_cast<std::size_t>(n) * n, kFar);
  for (int i = 0; i < n; ++i)
    d[i * n + i] = 0;
  for (int e = 0; e < m; ++e) {
    int a, b;
    double w;
    if (!(in >> a >> b >> w))
      fail("short edge list");
    --a;
    --b;
    d[a * n + b] = d[b * n + a] = w;
  }
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < n; ++i) {
      double dik = d[i * n + k];
      if (dik >= kFar)
        continue;
      for (int j = 0; j < n; ++j)
        d[i * n + j] = std::min(d[i * n + j], dik + d[k * n + j]);
    }
  return d;
}

// TSPLIB coordinates, rounded as EUC_2D (nearest integer) or CEIL_2D.
std::vector<double> tsplibDistances(const char* path, int& n) {
  std::ifstream in(path);
  std::string line;
  bool ceiling = false;
  n = 0;
  while (std::getline(in, line)) {
    if (line.find("CEIL_2D") != std::string::npos)
      ceiling = true;
    if (line.rfind("DIMENSION", 0) == 0)
      n = std::atoi(line.substr(line.find(':') + 1).c_str());
    if (line.rfind("NODE_COORD_SECTION", 0) == 0)
      break;
  }
  if (n <= 0)
    fail(std::string("no dimension in ") + path);
  std::vector<double> x(n), y(n);
  for (int k = 0; k < n; ++k) {
    int id;
    if (!(in >> id >> x[k] >> y[k]))
      fail("short coordinates");
  }
  std::vector<double> d(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      double e = std::hypot(x[i] - x[j], y[i] - y[j]);
      d[i * n + j] = ceiling ? std::ceil(e) : std::floor(e + 0.5);
    }
  return d;
}

std::vector<double> randomDistances(int n, unsigned seed) {
  std::srand(seed);
  std::vector<double> x(n), y(n);
  for (int k = 0; k < n; ++k) {
    x[k] = std::rand() % 10000;
    y[k] = std::rand() % 10000;
  }
  std::vector<double> d(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      d[i * n + j] = std::floor(std::hypot(x[i] - x[j], y[i] - y[j]) + 0.5);
  return d;
}

void writeCosts(int n, int p, const std::vector<double>& cost) {
  std::FILE* out = std::fopen("pmeddata.dat", "w");
  if (!out)
    fail("cannot write pmeddata.dat");
  std::fprintf(out, "%d  %d\n", n, p);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (j != i)
        std::fprintf(out, "%11.5f\n",
                     cost[static_cast<std::size_t>(i) * n + j]);
  if (std::fclose(out) != 0)
    fail("cannot write pmeddata.dat");
}

// The covering model in LP format, a few terms a line.
void writeCoverLp(int n, int p, const std::vector<double>& d, double s,
                  const std::vector<int>& w) {
  std::FILE* out = std::fopen("cover.lp", "w");
  if (!out)
    fail("cannot write cover.lp");
  std::fprintf(out, "Maximize\n obj:");
  for (int j = 0; j < n; ++j)
    std::fprintf(out, "%s + %d y%d", j % 8 == 7 ? "\n" : "", w[j], j);
  std::fprintf(out, "\nSubject To\n");
  for (int j = 0; j < n; ++j) {
    std::fprintf(out, " c%d: y%d", j, j);
    int terms = 0;
    for (int i = 0; i < n; ++i)
      if (d[static_cast<std::size_t>(i) * n + j] <= s)
        std::fprintf(out, "%s - x%d", ++terms % 8 == 0 ? "\n" : "", i);
    std::fprintf(out, " <= 0\n");
  }
  std::fprintf(out, " card:");
  for (int i = 0; i < n; ++i)
    std::fprintf(out, "%s + x%d", i % 8 == 7 ? "\n" : "", i);
  std::fprintf(out, " = %d\nBounds\n", p);
  for (int j = 0; j < n; ++j)
    std::fprintf(out, " 0 <= y%d <= 1\n", j);
  std::fprintf(out, "Binaries\n");
  for (int i = 0; i < n; ++i)
    std::fprintf(out, " x%d\n", i);
  std::fprintf(out, "End\n");
  std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "median") == 0) {
    int n, p;
    std::vector<double> d = orlibDistances(argv[2], n, p);
    writeCosts(n, p, d);
    std::printf("%d %d\n", n, p);
    return 0;
  }
  if (argc < 6 || std::strcmp(argv[1], "cover") != 0)
    fail("usage: median FILE | cover SOURCE P SHARE SEED");
  std::string source = argv[2];
  int p = std::atoi(argv[3]);
  double share = std::atof(argv[4]);
  unsigned seed = static_cast<unsigned>(std::atoi(argv[5]));
  int n;
  std::vector<double> d;
  if (source.rfind("random:", 0) == 0) {
    n = std::atoi(source.c_str() + 7);
    d = randomDistances(n, seed);
  } else if (source.size() > 4 && source.substr(source.size() - 4) == ".tsp") {
    d = tsplibDistances(source.c_str(), n);
  } else {
    int ignored;
    d = orlibDistances(source.c_str(), n, ignored);
  }
  std::vector<double> off;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j)
        off.push_back(d[static_cast<std::size_t>(i) * n + j]);
  std::size_t at =
      static_cast<std::size_t>(share * static_cast<double>(off.size()));
  at = std::min(at, off.size() - 1);
  std::nth_element(off.begin(), off.begin() + at, off.end());
  double s = off[at];
  std::srand(seed * 7919 + 17);
  std::vector<int> w(n);
  long total = 0;
  for (int j = 0; j < n; ++j)
    total += w[j] = 1 + std::rand() % 100;
  std::vector<double> cost(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      cost[static_cast<std::size_t>(i) * n + j] =
          d[static_cast<std::size_t>(i) * n + j] <= s ? 0 : w[j];
  writeCosts(n, p, cost);
  writeCoverLp(n, p, d, s, w);
  std::printf("%d %d %g %ld\n", n, p, s, total);
  return 0;
}
