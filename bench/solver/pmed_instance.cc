// The benchmarks' converter and instance generator. Writes into the working
// directory:
//
//   pmed_instance median ORLIB_FILE
//   pmed_instance cover  ORLIB_FILE|TSPLIB_FILE|random:N|roads:N  P SHARE SEED
//   pmed_instance matrix N P SHARE SEED
//   pmed_instance roads  N K P SHARE SEED
//   pmed_instance lp
//
// median: the solver's input "pmeddata.dat" for the OR-Library graph
// completed by shortest paths, unit demands. Prints "n p".
// cover: "pmeddata.dat" of a covering problem, and its model "cover.lp" for
// a command-line MIP solver. S is the SHARE quantile of the distances between
// distinct vertices, so that on average that share of the vertices lies
// within S of a vertex; demands are drawn from 1 … 100 by SEED. random:N is
// N random points with rounded Euclidean distances; roads:N the shortest
// paths of the road-like network of N random points below. Prints
// "n p S total".
// matrix: the tool's matrix instance "instance.txt" ("n p S", then the upper
// triangle) of N random points, rounded Euclidean distances, and its demands
// "demanda.txt" (1 … 100). Prints "n p S total".
// roads: the tool's edge-list instance "instance.txt" ("n m p S", then
// "a b d") of a road-like network: N random points, each joined to its K
// nearest neighbours, components joined at their closest pair. S is the
// SHARE quantile of the shortest paths from a sample of sources. Prints
// "n m p S".
// lp: reads "pmeddata.dat" of a covering problem, as the tool wrote it, and
// writes its model "cover.lp". Prints "n p weight", the summed demand of the
// vertices that some candidate leaves uncovered (the others are covered by
// any choice and left out of the model).

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <queue>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kFar = 1e18;
// The road-like networks of the cover sources join each point to this many
// nearest, as the benchmarks' edge lists do.
constexpr int kRoadNeighbours = 4;

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

// The covering model in LP format, a few terms a line: vertex j, of demand
// w[j], counts as covered (y_j = 1) only when a chosen candidate in
// coveredBy[j] or j itself is open. Vertices of demand 0 are left out.
void writeCoverLp(int n, int p, const std::vector<std::vector<int>>& coveredBy,
                  const std::vector<int>& w) {
  std::FILE* out = std::fopen("cover.lp", "w");
  if (!out)
    fail("cannot write cover.lp");
  std::fprintf(out, "Maximize\n obj:");
  int terms = 0;
  for (int j = 0; j < n; ++j)
    if (w[j] > 0)
      std::fprintf(out, "%s + %d y%d", ++terms % 8 == 0 ? "\n" : "", w[j], j);
  std::fprintf(out, "\nSubject To\n");
  for (int j = 0; j < n; ++j) {
    if (w[j] <= 0)
      continue;
    std::fprintf(out, " c%d: y%d - x%d", j, j, j);
    terms = 1;
    for (int i : coveredBy[j])
      if (i != j)
        std::fprintf(out, "%s - x%d", ++terms % 8 == 0 ? "\n" : "", i);
    std::fprintf(out, " <= 0\n");
  }
  std::fprintf(out, " card:");
  for (int i = 0; i < n; ++i)
    std::fprintf(out, "%s + x%d", i % 8 == 7 ? "\n" : "", i);
  std::fprintf(out, " = %d\nBounds\n", p);
  for (int j = 0; j < n; ++j)
    if (w[j] > 0)
      std::fprintf(out, " 0 <= y%d <= 1\n", j);
  std::fprintf(out, "Binaries\n");
  for (int i = 0; i < n; ++i)
    std::fprintf(out, " x%d\n", i);
  std::fprintf(out, "End\n");
  if (std::fclose(out) != 0)
    fail("cannot write cover.lp");
}

// Demands 1 … 100, drawn by the seed.
std::vector<int> drawDemands(int n, unsigned seed, long& total) {
  std::srand(seed * 7919 + 17);
  std::vector<int> w(n);
  total = 0;
  for (int j = 0; j < n; ++j)
    total += w[j] = 1 + std::rand() % 100;
  return w;
}

// Points spread over a 10,000 × 10,000 square, whole coordinates.
void randomPoints(int n, unsigned seed, std::vector<double>& x,
                  std::vector<double>& y) {
  std::srand(seed);
  x.resize(n);
  y.resize(n);
  for (int k = 0; k < n; ++k) {
    x[k] = std::rand() % 10000;
    y[k] = std::rand() % 10000;
  }
}

double roundedDistance(const std::vector<double>& x,
                       const std::vector<double>& y, int i, int j) {
  return std::floor(std::hypot(x[i] - x[j], y[i] - y[j]) + 0.5);
}

std::vector<double> randomDistances(int n, unsigned seed) {
  std::vector<double> x, y;
  randomPoints(n, seed, x, y);
  std::vector<double> d(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      d[static_cast<std::size_t>(i) * n + j] = roundedDistance(x, y, i, j);
  return d;
}

// A buffered writer of whole numbers and short text, for files of tens of
// millions of lines.
class FastWriter {
 public:
  explicit FastWriter(const char* path) : path_(path) {
    out_ = std::fopen(path, "w");
    if (!out_)
      fail(std::string("cannot write ") + path);
    buffer_.reserve(kFlushAt + 64);
  }
  ~FastWriter() {
    flush();
    if (std::fclose(out_) != 0)
      fail("cannot write " + path_);
  }
  void text(const std::string& s) {
    buffer_ += s;
    if (buffer_.size() >= kFlushAt)
      flush();
  }
  void number(long long v) {
    char digits[24];
    auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, v);
    buffer_.append(digits, end);
    buffer_ += '\n';
    if (buffer_.size() >= kFlushAt)
      flush();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;
  void flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
      fail("cannot write " + path_);
    buffer_.clear();
  }
  std::string path_;
  std::FILE* out_;
  std::string buffer_;
};

// The matrix instance of N random points; no n × n array is held, so that
// 10,000 points and more stay small in memory. S comes from a count of the
// whole distances.
void writeMatrixInstance(int n, int p, double share, unsigned seed) {
  std::vector<double> x, y;
  randomPoints(n, seed, x, y);
  std::vector<long long> count(15000, 0);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      ++count[static_cast<std::size_t>(roundedDistance(x, y, i, j))];
  long long pairs = static_cast<long long>(n) * (n - 1) / 2;
  long long wanted = static_cast<long long>(share * static_cast<double>(pairs));
  long long seen = 0;
  int s = 0;
  while (s + 1 < static_cast<int>(count.size()) && seen + count[s] <= wanted)
    seen += count[s++];
  {
    FastWriter out("instance.txt");
    out.text(std::to_string(n) + " " + std::to_string(p) + " " +
             std::to_string(s) + "\n");
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j)
        out.number(static_cast<long long>(roundedDistance(x, y, i, j)));
  }
  long total;
  std::vector<int> w = drawDemands(n, seed, total);
  FastWriter demands("demanda.txt");
  for (int v : w)
    demands.number(v);
  std::printf("%d %d %d %ld\n", n, p, s, total);
}

int findRoot(std::vector<int>& parent, int v) {
  while (parent[v] != v)
    v = parent[v] = parent[parent[v]];
  return v;
}

using Neighbours = std::vector<std::vector<std::pair<int, double>>>;

// A road-like network of n random points: every point joined to its K
// nearest, then each component joined to the rest at the closest pair of
// points between them, so that every pair of vertices has a path. Fills the
// neighbours of each vertex with the lengths, and the edges once each.
void buildRoads(int n, int k, unsigned seed, Neighbours& next,
                std::vector<std::pair<int, int>>& edges) {
  std::vector<double> x, y;
  randomPoints(n, seed, x, y);
  next.assign(n, {});
  edges.clear();
  std::vector<int> parent(n);
  for (int v = 0; v < n; ++v)
    parent[v] = v;
  auto join = [&](int a, int b) {
    for (const auto& [c, ignored] : next[a])
      if (c == b)
        return;
    double d = std::max(1.0, roundedDistance(x, y, a, b));
    next[a].push_back({b, d});
    next[b].push_back({a, d});
    edges.push_back({a, b});
    parent[findRoot(parent, a)] = findRoot(parent, b);
  };
  std::vector<std::pair<double, int>> near(n);
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b)
      near[b] = {b == a ? 1e18 : std::hypot(x[a] - x[b], y[a] - y[b]), b};
    int take = std::min(k, n - 1);
    std::partial_sort(near.begin(), near.begin() + take, near.end());
    for (int t = 0; t < take; ++t)
      join(a, near[t].second);
  }
  // Each component but the largest is joined at its closest pair of
  // points to another component, until one is left; the small components
  // of a nearest-neighbour graph hold few points, so a round is cheap.
  for (;;) {
    std::vector<int> size(n, 0);
    for (int v = 0; v < n; ++v)
      ++size[findRoot(parent, v)];
    int largest = static_cast<int>(std::max_element(size.begin(), size.end()) -
                                   size.begin());
    if (size[largest] == n)
      break;
    std::vector<std::pair<int, int>> closest(n, {-1, -1});
    std::vector<double> best(n, 1e18);
    for (int a = 0; a < n; ++a) {
      int root = findRoot(parent, a);
      if (root == largest)
        continue;
      for (int b = 0; b < n; ++b) {
        double d = std::hypot(x[a] - x[b], y[a] - y[b]);
        if (d < best[root] && findRoot(parent, b) != root) {
          best[root] = d;
          closest[root] = {a, b};
        }
      }
    }
    for (const auto& [a, b] : closest)
      if (a >= 0)
        join(a, b);
  }
}

// Lengths of the shortest paths from `source` over `next`, into `dist`.
void shortestFrom(const Neighbours& next, int source,
                  std::vector<double>& dist) {
  std::fill(dist.begin(), dist.end(), 1e18);
  dist[source] = 0;
  std::priority_queue<std::pair<double, int>,
                      std::vector<std::pair<double, int>>, std::greater<>>
      queue;
  queue.push({0.0, source});
  while (!queue.empty()) {
    auto [d, v] = queue.top();
    queue.pop();
    if (d > dist[v])
      continue;
    for (const auto& [u, length] : next[v])
      if (d + length < dist[u])
        queue.push({dist[u] = d + length, u});
  }
}

// The shortest paths between every pair of vertices of the road-like
// network of n points joined to their kRoadNeighbours nearest.
std::vector<double> roadDistances(int n, unsigned seed) {
  Neighbours next;
  std::vector<std::pair<int, int>> edges;
  buildRoads(n, kRoadNeighbours, seed, next, edges);
  std::vector<double> d(static_cast<std::size_t>(n) * n), dist(n);
  for (int i = 0; i < n; ++i) {
    shortestFrom(next, i, dist);
    std::copy(dist.begin(), dist.end(), d.begin() + static_cast<long>(i) * n);
  }
  return d;
}

// The road-like network as the tool's edge-list instance. S is the SHARE
// quantile of the shortest paths from a spread sample of sources.
void writeRoadInstance(int n, int k, int p, double share, unsigned seed) {
  Neighbours next;
  std::vector<std::pair<int, int>> edges;
  buildRoads(n, k, seed, next, edges);
  std::vector<double> x, y;
  randomPoints(n, seed, x, y);
  std::vector<double> lengths;
  int sources = std::min(n, 200);
  std::vector<double> dist(n);
  for (int t = 0; t < sources; ++t) {
    int source = static_cast<int>(static_cast<long long>(t) * n / sources);
    shortestFrom(next, source, dist);
    for (int v = 0; v < n; ++v)
      if (v != source)
        lengths.push_back(dist[v]);
  }
  std::size_t at = std::min(
      static_cast<std::size_t>(share * static_cast<double>(lengths.size())),
      lengths.size() - 1);
  std::nth_element(lengths.begin(), lengths.begin() + at, lengths.end());
  long long s = static_cast<long long>(lengths[at]);
  FastWriter out("instance.txt");
  out.text(std::to_string(n) + " " + std::to_string(edges.size()) + " " +
           std::to_string(p) + " " + std::to_string(s) + "\n");
  for (const auto& [a, b] : edges)
    out.text(std::to_string(a + 1) + " " + std::to_string(b + 1) + " " +
             std::to_string(static_cast<long long>(
                 std::max(1.0, roundedDistance(x, y, a, b)))) +
             "\n");
  std::printf("%d %zu %d %lld\n", n, edges.size(), p, s);
}

// Reads the tool's "pmeddata.dat" of a covering problem: candidate i covers
// vertex j where its cost is 0; any other cost is the demand of j.
void writeLpFromCostFile() {
  std::FILE* in = std::fopen("pmeddata.dat", "r");
  if (!in)
    fail("cannot read pmeddata.dat");
  int n, p;
  if (std::fscanf(in, "%d %d", &n, &p) != 2 || n < 1 || p < 0)
    fail("bad header in pmeddata.dat");
  std::vector<std::vector<int>> coveredBy(n);
  std::vector<int> w(n, 0);
  std::vector<char> buffer(1 << 20);
  std::size_t have = 0, at = 0;
  bool ended = false;
  // The next number's text, read by hand: tens of millions of lines.
  auto next = [&](double& value) {
    for (;;) {
      while (at < have && std::isspace(static_cast<unsigned char>(buffer[at])))
        ++at;
      if (at < have && have - at > 64)
        break;
      if (ended && at >= have)
        return false;
      std::memmove(buffer.data(), buffer.data() + at, have - at);
      have -= at;
      at = 0;
      std::size_t got =
          std::fread(buffer.data() + have, 1, buffer.size() - have, in);
      have += got;
      if (got == 0) {
        ended = true;
        if (have == 0)
          return false;
        break;
      }
    }
    char* end = nullptr;
    std::string token(buffer.data() + at, std::min<std::size_t>(have - at, 64));
    value = std::strtod(token.c_str(), &end);
    if (end == token.c_str())
      fail("bad value in pmeddata.dat");
    at += static_cast<std::size_t>(end - token.c_str());
    return true;
  };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (j == i)
        continue;
      double value;
      if (!next(value))
        fail("pmeddata.dat ends early");
      if (value == 0)
        coveredBy[j].push_back(i);
      else
        w[j] = static_cast<int>(std::lround(value));
    }
  std::fclose(in);
  long long weight = 0;
  for (int v : w)
    weight += v;
  writeCoverLp(n, p, coveredBy, w);
  std::printf("%d %d %lld\n", n, p, weight);
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
  if (argc == 2 && std::strcmp(argv[1], "lp") == 0) {
    writeLpFromCostFile();
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "matrix") == 0) {
    writeMatrixInstance(std::atoi(argv[2]), std::atoi(argv[3]),
                        std::atof(argv[4]),
                        static_cast<unsigned>(std::atoi(argv[5])));
    return 0;
  }
  if (argc == 7 && std::strcmp(argv[1], "roads") == 0) {
    writeRoadInstance(std::atoi(argv[2]), std::atoi(argv[3]),
                      std::atoi(argv[4]), std::atof(argv[5]),
                      static_cast<unsigned>(std::atoi(argv[6])));
    return 0;
  }
  if (argc < 6 || std::strcmp(argv[1], "cover") != 0)
    fail(
        "usage: median FILE | cover SOURCE P SHARE SEED | matrix N P SHARE "
        "SEED | roads N K P SHARE SEED | lp");
  std::string source = argv[2];
  int p = std::atoi(argv[3]);
  double share = std::atof(argv[4]);
  unsigned seed = static_cast<unsigned>(std::atoi(argv[5]));
  int n;
  std::vector<double> d;
  if (source.rfind("random:", 0) == 0) {
    n = std::atoi(source.c_str() + 7);
    d = randomDistances(n, seed);
  } else if (source.rfind("roads:", 0) == 0) {
    n = std::atoi(source.c_str() + 6);
    d = roadDistances(n, seed);
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
  long total;
  std::vector<int> w = drawDemands(n, seed, total);
  std::vector<std::vector<int>> coveredBy(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (d[static_cast<std::size_t>(i) * n + j] <= s)
        coveredBy[j].push_back(i);
  std::vector<double> cost(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      cost[static_cast<std::size_t>(i) * n + j] =
          d[static_cast<std::size_t>(i) * n + j] <= s ? 0 : w[j];
  writeCosts(n, p, cost);
  writeCoverLp(n, p, coveredBy, w);
  std::printf("%d %d %g %ld\n", n, p, s, total);
  return 0;
}
