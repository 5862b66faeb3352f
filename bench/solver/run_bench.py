#!/usr/bin/env python3
"""Benchmarks of the solver program Corvadel.exe and of whole mclp runs.

  run_bench.py SET [SET ...]

  median  OR-Library pmed1 ... pmed40 as p-median problems: the objective
          against pmedopt.txt, gap and time
  cover   covering problems from OR-Library graphs, TSPLIB sets and random
          points: the solver's coverage and bound against the covering MIP
          solved by the cbc command and by HiGHS (SciPy's milp, under
          /usr/bin/python3), the solver's time to its final answer, to its
          proof and in all, and the peers' answers, bounds and times
  hard    the hard band (p times the share of vertices within S near 1) on
          OR-Library graphs, random 1,500-vertex instances and a 3,000-vertex
          road-like network, as cover
  large   whole mclp runs: a road-like edge list of 5,000 vertices (-b),
          random matrices of 5,000 and 10,000 vertices (-a); the run's time,
          the solver's, the peak memory of both programs, the gap of
          coverage, and cbc and HiGHS on the same covering model
  constrained
          covering problems with existing centres (-F) and candidate sites
          (-C): pmed1 ... pmed40 with random fixed and forbidden sites, and
          the GeoNames places of three countries, the largest places the
          existing centres and one place in five a candidate; the solver's
          coverage against cbc on the constrained covering model, and a check
          that the answer honours both sets
  cities  whole mclp runs on the GeoNames tables of places (--points), p and S
          such that the greedy start covers 50 to 75 %; cbc and HiGHS on the
          same covering model, with their bounds (needs NumPy and SciPy: run
          the set with /usr/bin/python3)
  tiny    one small case of each kind, for the tests (seconds)
  all     median cover hard large constrained cities

Every table is Markdown. The solver and mclp are taken from build/ (where the
README builds them), with the instance generator pmed_instance beside them;
the instances from bench/data/. Everything generated goes to a temporary
folder that is removed at the end. cbc is the command of Debian's coinor-cbc
package; where it is not installed, or with --no-cbc, its columns stay empty.
"""

import argparse
import concurrent.futures
import csv
import datetime
import json
import math
import os
import platform
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(ROOT, "bench", "data")

# Covering cases: source, p, share of vertices within S, demand seed.
# Shares of 1 % to 10 %.
COVER_CASES = [
    ("orlib-pmed/pmed6.txt", 10, 0.05, 1),
    ("orlib-pmed/pmed11.txt", 15, 0.06, 1),
    ("orlib-pmed/pmed16.txt", 20, 0.05, 1),
    ("orlib-pmed/pmed21.txt", 20, 0.03, 1),
    ("orlib-pmed/pmed21.txt", 40, 0.02, 2),
    ("orlib-pmed/pmed26.txt", 30, 0.03, 1),
    ("orlib-pmed/pmed31.txt", 50, 0.02, 1),
    ("orlib-pmed/pmed36.txt", 40, 0.03, 1),
    ("orlib-pmed/pmed36.txt", 60, 0.015, 1),
    ("orlib-pmed/pmed38.txt", 100, 0.01, 1),
    ("orlib-pmed/pmed40.txt", 30, 0.03, 1),
    ("tsplib/kroA200.tsp", 10, 0.1, 1),
    ("tsplib/lin318.tsp", 20, 0.05, 1),
    ("tsplib/pr439.tsp", 25, 0.04, 1),
    ("tsplib/rat575.tsp", 40, 0.025, 1),
    ("tsplib/u724.tsp", 50, 0.02, 1),
    ("tsplib/dsj1000.tsp", 50, 0.02, 1),
    ("random:100", 5, 0.1, 1),
    ("random:400", 20, 0.04, 2),
    ("random:800", 35, 0.03, 3),
    ("random:1500", 50, 0.015, 4),
]

# The hard band, where p times the share is near 1 and the Lagrangean bound
# is weakest, on OR-Library graphs; pmed39 with p 10 and 2 % within S is the
# one that HiGHS and GLPK need over 100 s for, pmed40 with p 10 and 10 %
# within S one that HiGHS needs two minutes for. Then random 1,500-vertex
# instances, in and out of the band, and the shortest paths of a road-like
# network of 3,000 vertices.
HARD_CASES = [
    ("orlib-pmed/pmed26.txt", 40, 0.025, 1),
    ("orlib-pmed/pmed31.txt", 70, 0.015, 1),
    ("orlib-pmed/pmed36.txt", 40, 0.025, 1),
    ("orlib-pmed/pmed37.txt", 50, 0.02, 1),
    ("orlib-pmed/pmed39.txt", 10, 0.02, 1),
    ("orlib-pmed/pmed40.txt", 50, 0.02, 1),
    ("orlib-pmed/pmed40.txt", 10, 0.1, 1),
    ("random:1500", 30, 0.03, 5),
    ("random:1500", 30, 0.03, 6),
    ("random:1500", 60, 0.015, 7),
    ("roads:3000", 60, 0.015, 8),
]

# Whole mclp runs: mode, generated network, p, share within S, seed.
# roads:N is an edge list of N random points each joined to its 4 nearest
# (-b, random demands drawn by mclp from the seed); points:N a matrix of N
# random points with demands 1 ... 100 in "demanda.txt" (-a).
LARGE_CASES = [
    ("-b", "roads:5000", 100, 0.01, 1),
    ("-a", "points:5000", 100, 0.01, 2),
    ("-a", "points:10000", 100, 0.01, 3),
]

# Whole mclp runs on the tables of places as a planner brings them
# (--points, demands from the population column): file, p, S in metres. S
# and p are such that the greedy start (the place of largest uncovered
# population within S, p times) covers 50 to 75 % of the population; the
# table prints that share.
CITY_CASES = [
    ("geonames-cities/cities_PT.csv", 10, 15000),
    ("geonames-cities/cities_NL.csv", 30, 8000),
    ("geonames-cities/cities_CH.csv", 30, 8000),
    ("geonames-cities/cities_FR.csv", 100, 15000),
]

TINY = {
    "median": ["pmed1"],
    "cover": [("random:60", 4, 0.1, 1)],
    "large": [("-a", "points:80", 4, 0.05, 1)],
    "constrained": ["pmed1"],
}

ROAD_NEIGHBOURS = 4

# The Python that has SciPy (Debian's python3-scipy), for HiGHS.
SYSTEM_PYTHON = "/usr/bin/python3"

# Constrained cases on OR-Library graphs: pmedK as a covering problem with
# the p of its file, the share 1 / (2p) within S (at least 0.5 %), demands
# drawn by seed 1; p // 4 existing centres and one vertex in three a
# candidate, drawn at random by seed K.
CONSTRAINED_PMED = ["pmed%d" % k for k in range(1, 41)]

# Constrained cases on GeoNames places: file, existing centres (the largest
# places), p. S is chosen so that the greedy start (existing centres, then
# the candidate of largest gain) covers CITY_GREEDY_SHARE of the population.
CONSTRAINED_CITIES = [
    ("geonames-cities/cities_PT.csv", 8, 13),
    ("geonames-cities/cities_NL.csv", 8, 13),
    ("geonames-cities/cities_CH.csv", 8, 13),
]
CITY_CANDIDATE_EVERY = 5
CITY_GREEDY_SHARE = 0.625
EARTH_RADIUS_M = 6371008.8

# The solver's -v suffix: " [leitura R achado F prova P rodadas N KIND]".
SUFFIX = re.compile(r"\[leitura (\S+) achado (\S+) prova (\S+) rodadas (\d+) (\S+)\]")


def fail(why):
    sys.exit("run_bench.py: " + why)


def about():
    """Where the figures come from: machine, date, commit."""
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    commit = "unknown"
    try:
        commit = subprocess.run(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"],
                                capture_output=True, text=True, check=True).stdout.strip()
        dirty = subprocess.run(["git", "-C", ROOT, "status", "--porcelain",
                                "--untracked-files=no"],
                               capture_output=True, text=True).stdout.strip()
        if dirty:
            commit += " (with uncommitted changes)"
    except (OSError, subprocess.CalledProcessError):
        pass
    date = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    print("Machine: %d cores, %s, %s. Date: %s. Commit: %s." %
          (os.cpu_count() or 0, model, platform.system(), date, commit))
    print()


def seconds(value):
    return "%.2f" % value if value is not None and value >= 0 else "–"


class Solver:
    """The solver program, and the arguments that cap it."""

    def __init__(self, path, generator, cap, heavy_cap):
        self.path = path
        self.generator = generator
        self.cap = cap
        self.heavy_cap = heavy_cap
        self.whole_run_cap = self._has_whole_run_cap()

    def _has_whole_run_cap(self):
        # A program without the whole-run cap -L refuses the option before it
        # reads anything; one with it complains about the missing data file.
        folder = tempfile.mkdtemp(prefix="mclp_probe_")
        try:
            out = subprocess.run([self.path, "-L", "1", "-q"], cwd=folder,
                                 capture_output=True, text=True).stdout
        finally:
            shutil.rmtree(folder)
        return "Opcao invalida" not in out and "Opcao -L" not in out

    def arguments(self, heavy):
        cap = self.heavy_cap if heavy and self.heavy_cap is not None else self.cap
        if cap is None:
            return ["-v"]
        if self.whole_run_cap:
            return ["-v", "-L", str(cap)]
        # Without a whole-run cap: each of the search and the exact phase.
        return ["-v", "-T", str(cap), "-t", str(cap)]

    def generate(self, folder, *words):
        out = subprocess.run([self.generator] + [str(w) for w in words], cwd=folder,
                             capture_output=True, text=True)
        if out.returncode != 0:
            fail("pmed_instance %s failed: %s" % (" ".join(map(str, words)),
                                                 out.stdout + out.stderr))
        return out.stdout.split()


def read_answer(folder):
    """Objective, bound and seconds from the first line of "solucao.txt"."""
    with open(os.path.join(folder, "solucao.txt")) as f:
        objective, bound, used = f.readline().split()[:3]
    return float(objective), float(bound), float(used)


def parse_suffix(text):
    m = SUFFIX.search(text)
    if not m:
        return None
    proof = float(m.group(3))
    return {"read": float(m.group(1)), "found": float(m.group(2)),
            "proof": proof if proof >= 0 else None}


def run_solver(solver, folder, heavy=False, extra=()):
    start = time.monotonic()
    out = subprocess.run([solver.path] + solver.arguments(heavy) + list(extra), cwd=folder,
                         capture_output=True, text=True).stdout
    wall = time.monotonic() - start
    suffix = parse_suffix(out)
    if suffix is None:
        fail("solver output not understood: " + out)
    objective, bound, _ = read_answer(folder)
    suffix.update({"objective": objective, "bound": bound, "wall": wall})
    return suffix


def run_cbc(args, folder, cap, with_bound=False):
    """cbc on "cover.lp": (objective, proven optimal, seconds), or None; with
    `with_bound`, its proven upper bound on the objective follows."""
    if args.no_cbc or not shutil.which("cbc"):
        return None
    start = time.monotonic()
    out = subprocess.run(["cbc", "cover.lp", "-timeMode", "elapsed", "-sec", str(cap),
                          "-solve", "-quit"],
                         cwd=folder, capture_output=True, text=True).stdout
    used = time.monotonic() - start
    m = re.search(r"Objective value:\s+(\S+)", out)
    value = abs(float(m.group(1))) if m else float("nan")
    optimal = "Optimal solution found" in out
    if not with_bound:
        return value, optimal, used
    # cbc names the bound by the model's sense ("Upper bound" when it
    # maximises, "Lower bound" on the negated coverage).
    b = re.search(r"(?:Lower|Upper) bound:\s+(\S+)", out)
    bound = value if optimal else (abs(float(b.group(1))) if b else float("nan"))
    return value, optimal, used, bound


def cbc_cells(cbc, ours):
    """The cbc columns: its coverage (* where stopped by its cap) and time,
    and how ours compares."""
    if cbc is None:
        return "–", "–", "–"
    value, optimal, used = cbc
    if value != value:
        return "none", "%.1f" % used, "–"
    mark = "" if optimal else "*"
    return "%.0f%s" % (value, mark), "%.1f" % used, against_peers(ours, [cbc], "cbc")


def source_path(source):
    """The generator's source: a generated kind as it stands, else a file of
    bench/data/."""
    if source.startswith(("random:", "roads:")):
        return source
    return os.path.join(DATA, source)


def against_peers(covered, peers, name="peer"):
    """Ours against the best coverage the peers found, the peer called `name`
    where it did better."""
    values = [peer[0] for peer in peers if peer is not None and peer[0] == peer[0]]
    if not values:
        return "–"
    best = max(values)
    if abs(best - covered) < 0.5:
        return "equal"
    if covered > best:
        return "ours better"
    return "%s better by %.3f %%" % (name, 100 * (best - covered) / best)


def case_name(source, share):
    name = os.path.basename(source).replace(".txt", "").replace(".tsp", "")
    return "%s, share %g" % (name, share)


def cover(args, solver, folder, cases, heavy=False, title="Covering problems"):
    print("### %s" % title)
    print()
    print("| instance | n | p | S | coverage | bound | found s | proved s | total s | cbc "
          "| cbc bound | cbc gap % | cbc s | HiGHS | HiGHS bound | HiGHS gap % | HiGHS s "
          "| ours against the best peer |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for source, p, share, seed in cases:
        n, _, s, total = solver.generate(folder, "cover", source_path(source), p, share,
                                         seed)
        result = run_solver(solver, folder, heavy)
        covered = float(total) - result["objective"]
        upper = float(total) - result["bound"]
        cbc, highs = run_peers(args, folder, heavy)
        print("| %s | %s | %d | %s | %.0f | %.0f | %s | %s | %.2f | %s | %s |" %
              (case_name(source, share), n, p, s, covered, upper,
               seconds(result["found"]), seconds(result["proof"]), result["wall"],
               " | ".join(peer_cells(cbc, covered) + peer_cells(highs, covered)),
               against_peers(covered, [cbc, highs])), flush=True)
    print()
    cap = args.heavy_cbc_seconds if heavy else args.cbc_seconds
    print("Coverage: demand within S of a centre; bound: the solver's proven upper bound on "
          "it. found, proved: the solver's seconds to its final answer and to its proof "
          "(– none); total: its whole run. cbc and HiGHS (SciPy's milp) solve the covering "
          "model side by side, one core each, capped at %g s (* stopped by the cap: its best "
          "coverage and bound)." % cap)

def read_centres(folder):
    """The centres, the last line of "solucao.txt"."""
    with open(os.path.join(folder, "solucao.txt")) as f:
        return f.read().split("\n")[-2].split()


def compare(args, solver, baseline, folder, cases, heavy=False, title="Covering problems"):
    """The same cases with the baseline solver and with ours, one after the
    other on each case, in one run."""
    print("### %s: before and after" % title)
    print()
    print("| instance | n | p | coverage before | after | bound before | after "
          "| proved s before | after | total s before | after | same centres |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    same_count = 0
    for source, p, share, seed in cases:
        n, _, s, total = solver.generate(folder, "cover", source_path(source), p, share,
                                         seed)
        before = run_solver(baseline, folder, heavy)
        before_centres = read_centres(folder)
        after = run_solver(solver, folder, heavy)
        same = read_centres(folder) == before_centres
        same_count += same
        print("| %s | %s | %d | %.0f | %.0f | %.0f | %.0f | %s | %s | %.2f | %.2f | %s |" %
              (case_name(source, share), n, p, float(total) - before["objective"],
               float(total) - after["objective"], float(total) - before["bound"],
               float(total) - after["bound"], seconds(before["proof"]),
               seconds(after["proof"]), before["wall"], after["wall"],
               "yes" if same else "no"), flush=True)
    print()
    print("The same centres on %d of %d cases. bound: the proven upper bound on coverage; "
          "proved: seconds to the proof (– none); total: the whole run." %
          (same_count, len(cases)))
    print()


def write_vertex_set(folder, name, vertices):
    """A set of vertices in the layout of common/vertex_sets.h."""
    with open(os.path.join(folder, name), "w") as f:
        f.write("%d\n" % len(vertices))
        for v in sorted(vertices):
            f.write("%d\n" % v)


def constrain_lp(folder, fixed, allowed):
    """Adds the sets to "cover.lp": fixed centres at 1, other sites at 0."""
    path = os.path.join(folder, "cover.lp")
    with open(path) as f:
        text = f.read()
    rows = "".join(" fix%d: x%d = 1\n" % (i, i) for i in sorted(fixed))
    rows += "".join(" out%d: x%d = 0\n" % (i, i) for i in range(len(allowed))
                    if not allowed[i])
    at = text.index("Bounds\n")
    with open(path, "w") as f:
        f.write(text[:at] + rows + text[at:])


def pmed_sets(n, p, seed):
    """p // 4 random existing centres and one vertex in three a candidate."""
    draw = random.Random(seed)
    fixed = sorted(draw.sample(range(n), p // 4))
    candidates = sorted(v for v in range(n) if draw.random() < 1 / 3)
    return fixed, candidates


def haversine(a, b):
    """Great-circle distance in metres between (latitude, longitude) pairs in
    radians."""
    h = (math.sin((b[0] - a[0]) / 2) ** 2 +
         math.cos(a[0]) * math.cos(b[0]) * math.sin((b[1] - a[1]) / 2) ** 2)
    return 2 * EARTH_RADIUS_M * math.asin(min(1.0, math.sqrt(h)))


def read_places(path):
    """(latitude, longitude) in radians and population of each place."""
    places, population = [], []
    with open(path, newline="", encoding="utf-8") as f:
        rows = csv.reader(f)
        next(rows)
        for row in rows:
            places.append((math.radians(float(row[2])), math.radians(float(row[3]))))
            population.append(int(row[4]))
    return places, population


def greedy_share(rows, population, fixed, candidates, p, s):
    """The share of the population that the greedy start covers within s:
    the existing centres, then the candidate of largest gain."""
    covered = [False] * len(population)

    def within(i):
        return [j for d, j in rows[i] if d <= s]

    def gain(i):
        return sum(population[j] for j in within(i) if not covered[j])

    opened = list(fixed)
    for i in fixed:
        for j in within(i):
            covered[j] = True
    while len(opened) < p:
        best = max((c for c in candidates if c not in opened), key=gain)
        opened.append(best)
        for j in within(best):
            covered[j] = True
    total = sum(population)
    return sum(w for w, c in zip(population, covered) if c) / total


def write_cover_lp(folder, population, covering, sites, p, fixed=()):
    """Writes the covering model "cover.lp" of places with `population`:
    covering(j) gives the sites that cover place j, `sites` every site that
    may open, p of them, the `fixed` ones open."""
    n = len(population)
    with open(os.path.join(folder, "cover.lp"), "w") as f:
        f.write("Maximize\n obj:")
        f.write("".join(" + %d y%d\n" % (population[j], j) for j in range(n)
                        if population[j] > 0))
        f.write("Subject To\n")
        for j in range(n):
            if population[j] > 0:
                f.write(" c%d: y%d" % (j, j) + "".join(" - x%d" % i for i in covering(j)) +
                        " <= 0\n")
        f.write(" card:" + "".join(" + x%d" % i for i in sites) + " = %d\n" % p)
        f.write("".join(" fix%d: x%d = 1\n" % (i, i) for i in fixed))
        f.write("Bounds\n" + "".join(" 0 <= y%d <= 1\n" % j for j in range(n)
                                     if population[j] > 0))
        f.write("Binaries\n" + "".join(" x%d\n" % i for i in sites))
        f.write("End\n")


def city_case(folder, source, fixed_count, p):
    """Writes the covering problem of GeoNames places as the tool would
    ("pmeddata.dat"), the sets, and the constrained model "cover.lp"; returns
    n, S in metres, the total population and the greedy share."""
    places, population = read_places(os.path.join(DATA, source))
    n = len(places)
    dist = [[haversine(places[i], places[j]) for j in range(n)] for i in range(n)]
    order = sorted(range(n), key=lambda i: (-population[i], i))
    fixed = sorted(order[:fixed_count])
    candidates = [v for v in range(n) if v % CITY_CANDIDATE_EVERY == 0]
    rows = {i: sorted((dist[i][j], j) for j in range(n)) for i in set(fixed + candidates)}
    low, high = 0.0, max(max(r) for r in dist)
    for _ in range(40):
        s = (low + high) / 2
        if greedy_share(rows, population, fixed, candidates, p, s) < CITY_GREEDY_SHARE:
            low = s
        else:
            high = s
    s = high
    share = greedy_share(rows, population, fixed, candidates, p, s)
    with open(os.path.join(folder, "pmeddata.dat"), "w") as f:
        f.write("%d  %d\n" % (n, p))
        for i in range(n):
            f.write("".join("%11.5f\n" % (0.0 if dist[i][j] <= s else population[j])
                            for j in range(n) if j != i))
    write_vertex_set(folder, "abertos.txt", fixed)
    write_vertex_set(folder, "candidatos.txt", candidates)
    allowed = [False] * n
    for v in fixed + candidates:
        allowed[v] = True
    write_cover_lp(folder, population,
                   lambda j: (i for i in range(n) if allowed[i] and dist[i][j] <= s),
                   [i for i in range(n) if allowed[i]], p, fixed)
    return n, s, sum(population), share, fixed, candidates


def honours(folder, p, fixed, candidates):
    """True when the answer has p distinct centres, every existing one among
    them and no other outside the candidates."""
    centres = [int(c) for c in read_centres(folder)]
    allowed = set(fixed) | set(candidates)
    return (len(centres) == p and len(set(centres)) == p and set(fixed) <= set(centres)
            and all(c in allowed for c in centres))


def constrained_row(args, solver, folder, name, n, p, s, covered_total, fixed, candidates):
    result = run_solver(solver, folder, False, ["-F", "abertos.txt", "-C", "candidatos.txt"])
    covered = covered_total - result["objective"]
    cbc = run_cbc(args, folder, args.cbc_seconds)
    value, used, verdict = cbc_cells(cbc, covered)
    print("| %s | %s | %d | %d | %d | %s | %.0f | %s | %s | %s | %.2f | %s | %s | %s |" %
          (name, n, p, len(fixed), len(candidates), s, covered, value,
           seconds(result["found"]), seconds(result["proof"]), result["wall"], used, verdict,
           "yes" if honours(folder, p, fixed, candidates) else "NO"), flush=True)


def constrained(args, solver, folder, pmed_names, cities):
    print("### Existing centres and candidate sites")
    print()
    print("| instance | n | p | existing | candidates | S | coverage | cbc | found s | proved s "
          "| total s | cbc s | ours against cbc | sets honoured |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for name in pmed_names:
        path = os.path.join(DATA, "orlib-pmed", name + ".txt")
        with open(path) as f:
            p = int(f.readline().split()[2])
        share = max(0.005, 1 / (2 * p))
        n, _, s, total = solver.generate(folder, "cover", path, p, share, 1)
        fixed, candidates = pmed_sets(int(n), p, int(name[4:]))
        write_vertex_set(folder, "abertos.txt", fixed)
        write_vertex_set(folder, "candidatos.txt", candidates)
        allowed = [False] * int(n)
        for v in fixed + candidates:
            allowed[v] = True
        constrain_lp(folder, fixed, allowed)
        constrained_row(args, solver, folder, "%s, share %.3g" % (name, share), n, p, s,
                        float(total), fixed, candidates)
    for source, fixed_count, p in cities:
        n, s, total, share, fixed, candidates = city_case(folder, source, fixed_count, p)
        constrained_row(args, solver, folder,
                        "%s, greedy %.0f %%" % (os.path.basename(source), 100 * share),
                        n, p, "%.0f m" % s, float(total), fixed, candidates)
    print()
    print("existing: centres fixed open (-F); candidates: the only other sites allowed (-C). "
          "Coverage: demand within S of a centre; cbc solves the covering model with the "
          "same sets (* stopped by its cap of %g s). found, proved: the solver's seconds to "
          "its final answer and to its proof (– none). Sets honoured: p distinct centres, "
          "every existing one, the others candidates." % args.cbc_seconds)
    print()


def median(args, solver, folder, names):
    optimum = {}
    with open(os.path.join(DATA, "orlib-pmed", "pmedopt.txt")) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2 and parts[0].startswith("pmed"):
                optimum[parts[0]] = float(parts[1])
    print("### p-median problems (OR-Library)")
    print()
    print("| instance | n | p | optimum | found | bound | above optimum % | gap to bound % "
          "| total s |")
    print("|---|---|---|---|---|---|---|---|---|")
    hits, worst, spent = 0, 0.0, 0.0
    for name in names:
        n, p = solver.generate(folder, "median",
                               os.path.join(DATA, "orlib-pmed", name + ".txt"))
        result = run_solver(solver, folder)
        best = optimum[name]
        gap = 100 * (result["objective"] - best) / best
        bound_gap = 100 * (result["objective"] - result["bound"]) / result["objective"]
        hits += result["objective"] <= best + 0.5
        worst = max(worst, gap)
        spent += result["wall"]
        print("| %s | %s | %s | %.0f | %.0f | %.0f | %.2f | %.2f | %.2f |" %
              (name, n, p, best, result["objective"], result["bound"], gap, bound_gap,
               result["wall"]), flush=True)
    print()
    print("The known optimum on %d of %d, worst %.2f %% above it, %.1f s in all." %
          (hits, len(names), worst, spent))
    print()


# Stands in for the solver program on mclp's search path: runs the real one
# with -v and the benchmark's cap, and notes its wall time, its peak memory,
# and the peak memory of the mclp process waiting for it.
WRAPPER = r'''#!%(python)s
import json, os, subprocess, sys, time

def mclp_peak_kib():
    pid = os.getppid()
    while pid > 1:
        try:
            with open("/proc/%%d/comm" %% pid) as f:
                name = f.read().strip()
            with open("/proc/%%d/status" %% pid) as f:
                status = f.read()
        except OSError:
            return None
        if name == "mclp":
            for line in status.splitlines():
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
            return None
        pid = int(status.split("PPid:")[1].split()[0])
    return None

start = time.monotonic()
child = subprocess.Popen([%(solver)r] + %(arguments)r + sys.argv[1:])
_, status, usage = os.wait4(child.pid, 0)
wall = time.monotonic() - start
with open(%(notes)r, "w") as f:
    json.dump({"wall": wall, "solver_kib": usage.ru_maxrss,
               "mclp_kib": mclp_peak_kib()}, f)
sys.exit(os.waitstatus_to_exitcode(status))
'''


def mclp_run(args, solver, mclp, folder, words, heavy):
    """Runs mclp WORDS in folder with the wrapper in front of the solver;
    returns the figures of the run."""
    bin_dir = os.path.join(folder, "bin")
    os.makedirs(bin_dir, exist_ok=True)
    notes = os.path.join(folder, "solver-notes.json")
    wrapper = os.path.join(bin_dir, "Corvadel.exe")
    with open(wrapper, "w") as f:
        f.write(WRAPPER % {"python": sys.executable, "solver": solver.path,
                           "arguments": solver.arguments(heavy), "notes": notes})
    os.chmod(wrapper, 0o755)
    # A copy of mclp beside the wrapper, so that the wrapper is found both
    # on the search path and in mclp's own folder.
    program = os.path.join(bin_dir, "mclp")
    shutil.copy(mclp, program)
    env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
    console = os.path.join(folder, "console.txt")
    start = time.monotonic()
    with open(console, "w") as out:
        child = subprocess.Popen([program] + [str(w) for w in words],
                                 cwd=folder,
                                 stdout=out, stderr=subprocess.STDOUT, env=env)
        _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    with open(console) as f:
        text = f.read()
    if os.waitstatus_to_exitcode(status) != 0 or not os.path.exists(notes):
        fail("mclp %s failed or did not run the wrapper: %s" % (" ".join(map(str, words)),
                                                                 text[-2000:]))
    with open(notes) as f:
        figures = json.load(f)
    suffix = parse_suffix(text)
    total = re.search(r"Populacao Total\s*:\s*(\d+)", text)
    served = re.search(r"Populacao Atend\.\s*:\s*(\d+)", text)
    if suffix is None or not total or not served:
        fail("mclp output not understood: " + text[-2000:])
    objective, bound, _ = read_answer(folder)
    figures.update(suffix)
    figures.update({"run": wall, "run_kib": usage.ru_maxrss,
                    "total": int(total.group(1)), "served": int(served.group(1)),
                    "objective": objective, "bound": bound})
    return figures


def large(args, solver, mclp, folder, cases):
    print("### Whole mclp runs")
    print()
    print("| instance | n | p | S | run s | solver s | found s | proved s | gap of coverage % "
          "| peak MiB mclp + solver | coverage | cbc | cbc bound | cbc gap % | cbc s | HiGHS "
          "| HiGHS bound | HiGHS gap % | HiGHS s |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for mode, network, p, share, seed in cases:
        kind, size = network.split(":")
        work = tempfile.mkdtemp(prefix="case_", dir=folder)
        try:
            if kind == "roads":
                n, _, _, s = solver.generate(work, "roads", size, ROAD_NEIGHBOURS, p, share,
                                             seed)
            else:
                n, _, s, _ = solver.generate(work, "matrix", size, p, share, seed)
            heavy = int(n) >= 1000
            # The seed fixes the demands mclp draws (-b), so that reruns and
            # cbc solve the same problem.
            run = mclp_run(args, solver, mclp, work, ["--seed", seed, mode, "instance.txt"],
                           heavy)
            covered = run["total"] - run["objective"]
            upper = run["total"] - run["bound"]
            gap = 100 * (upper - covered) / upper if upper > 0 else 0.0
            peers = [None, None]
            if not (args.no_cbc and args.no_highs):
                _, _, weight = solver.generate(work, "lp")
                # Vertices every choice covers are left out of the model.
                left_out = run["total"] - int(weight)
                peers = [None if peer is None else
                         (peer[0] + left_out, peer[1], peer[2], peer[3] + left_out)
                         for peer in run_peers(args, work, heavy)]
            mclp_mib = run["mclp_kib"] / 1024 if run["mclp_kib"] else float("nan")
            print("| mclp %s %s, share %g | %s | %d | %s | %.1f | %.2f | %s | %s | %.2f "
                  "| %.0f + %.0f | %.0f | %s |" %
                  (mode, network, share, n, p, s, run["run"], run["wall"],
                   seconds(run["found"]), seconds(run["proof"]), gap, mclp_mib,
                   run["solver_kib"] / 1024, covered,
                   " | ".join(peer_cells(peers[0], covered) + peer_cells(peers[1], covered))),
                  flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print()
    print("run: the whole mclp run (read, completion, solver files, solver, report); solver: "
          "the solver program's part; found, proved: its seconds to its final answer and to "
          "its proof (– none). Gap of coverage: between the coverage and the proven upper "
          "bound on it. Peak memory: the largest resident size of each program (mclp holds "
          "its matrix while the solver runs, so their sum bounds both together). cbc and "
          "HiGHS (SciPy's milp) solve the same covering model side by side, one core each; "
          "* stopped by the cap (%g s for n ≥ 1000) with that coverage and bound." %
          args.heavy_cbc_seconds)
    print()


def city_model(folder, source, p, s):
    """Writes the covering model "cover.lp" of the places in `source` within
    s metres, as the tool measures them (haversine in double, compared in
    single precision); returns n and the greedy start's share."""
    try:
        import numpy as np
        from scipy.sparse import csr_matrix
    except ImportError:
        fail("the cities set needs NumPy and SciPy: run it with /usr/bin/python3")
    places, population = read_places(os.path.join(DATA, source))
    lat = np.array([a for a, _ in places])
    lon = np.array([b for _, b in places])
    weight = np.array(population, dtype=float)
    n = len(places)
    limit = np.float32(s)
    indices, pointers = [], [0]
    for i in range(n):
        h = (np.sin((lat - lat[i]) / 2) ** 2 +
             np.cos(lat[i]) * np.cos(lat) * np.sin((lon - lon[i]) / 2) ** 2)
        d = 2 * EARTH_RADIUS_M * np.arcsin(np.minimum(1.0, np.sqrt(h)))
        near = np.nonzero(d.astype(np.float32) <= limit)[0]
        indices.append(near)
        pointers.append(pointers[-1] + len(near))
    cover = csr_matrix((np.ones(pointers[-1]), np.concatenate(indices), pointers),
                       shape=(n, n))
    uncovered = weight.copy()
    for _ in range(p):
        gain = cover @ uncovered
        best = int(np.argmax(gain))
        uncovered[cover.indices[cover.indptr[best]:cover.indptr[best + 1]]] = 0
    share = 1 - uncovered.sum() / weight.sum()
    # The distances are symmetric: row j lists the sites covering j.
    write_cover_lp(folder, population, lambda j: indices[j], range(n), p)
    return n, share


def run_highs(args, folder, cap):
    """HiGHS (SciPy's milp) on "cover.lp": (objective, proven optimal,
    seconds, bound), or None where SciPy is missing or with --no-highs."""
    if args.no_highs or not os.access(SYSTEM_PYTHON, os.X_OK):
        return None
    out = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, "highs_cover.py"), "--seconds",
                          str(cap), "cover.lp"], cwd=folder, capture_output=True,
                         text=True).stdout
    m = re.search(r"value (\S+) bound (\S+) seconds (\S+) optimal (\S+)", out)
    if not m:
        return None
    return float(m.group(1)), m.group(4) == "yes", float(m.group(3)), float(m.group(2))


def run_peers(args, folder, heavy):
    """cbc and HiGHS on "cover.lp" at once, each on a core of its own (both
    run one thread): their results as run_cbc and run_highs give them."""
    cap = args.heavy_cbc_seconds if heavy else args.cbc_seconds
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        cbc = pool.submit(run_cbc, args, folder, cap, True)
        highs = pool.submit(run_highs, args, folder, cap)
        return cbc.result(), highs.result()


def peer_cells(peer, ours):
    """A peer's coverage (* where not proven), bound, gap % and seconds."""
    if peer is None:
        return ["–"] * 4
    value, optimal, used, bound = peer
    if value != value:
        return ["none", "–", "–", "%.1f" % used]
    if bound != bound:
        return ["%.0f%s" % (value, "" if optimal else "*"), "–", "–", "%.1f" % used]
    gap = 100 * (bound - value) / bound if bound > 0 else 0.0
    return ["%.0f%s" % (value, "" if optimal else "*"), "%.0f" % bound, "%.2f" % gap,
            "%.1f" % used]


def cities(args, solver, mclp, folder, cases):
    print("### Tables of places, whole runs")
    print()
    print("| places | n | p | S m | greedy % | coverage | bound | gap % | found s | proved s "
          "| run s | cbc | cbc bound | cbc gap % | cbc s | HiGHS | HiGHS bound | HiGHS gap % "
          "| HiGHS s |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for source, p, s in cases:
        work = tempfile.mkdtemp(prefix="case_", dir=folder)
        try:
            n, share = city_model(work, source, p, s)
            shutil.copy(os.path.join(DATA, source), os.path.join(work, "places.csv"))
            heavy = n >= 1000
            run = mclp_run(args, solver, mclp, work,
                           ["--points", "--facilities", p, "--service-distance", s, "-g",
                            "places.csv"], heavy)
            covered = run["total"] - run["objective"]
            upper = run["total"] - run["bound"]
            gap = 100 * (upper - covered) / upper if upper > 0 else 0.0
            cbc, highs = run_peers(args, work, heavy)
            print("| %s | %d | %d | %d | %.1f | %.0f | %.0f | %.2f | %s | %s | %.1f | %s |" %
                  (os.path.basename(source), n, p, s, 100 * share, covered, upper, gap,
                   seconds(run["found"]), seconds(run["proof"]), run["run"],
                   " | ".join(peer_cells(cbc, covered) + peer_cells(highs, covered))),
                  flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print()
    print("Whole mclp runs: mclp --points --facilities P --service-distance S -g FILE, demands "
          "from the population column. greedy: the share the greedy start covers. bound: the "
          "proven upper bound on coverage; gap between it and the coverage. found, proved: the "
          "solver's seconds to its final answer and to its proof (– none); run: the whole "
          "mclp run. cbc and HiGHS (SciPy's milp) solve the covering model of the same "
          "distances, capped at %g s for n ≥ 1000 and %g s below (* stopped by the cap: "
          "its best coverage and bound)." % (args.heavy_cbc_seconds, args.cbc_seconds))
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("sets", nargs="*", metavar="SET",
                        choices=["median", "cover", "hard", "large", "constrained", "cities",
                                 "tiny", "all", "about"],
                        help="median, cover, hard, large, constrained, cities, tiny, all; about "
                             "prints only the machine, date and commit")
    parser.add_argument("--solver", default=os.path.join(ROOT, "build", "Corvadel.exe"),
                        help="the solver program (default build/Corvadel.exe); mclp and "
                             "pmed_instance are taken from its folder")
    parser.add_argument("--only", action="append", default=[], metavar="TEXT",
                        help="run only the cases whose source holds TEXT (repeatable)")
    parser.add_argument("--cap", type=float, default=None, metavar="SECONDS",
                        help="cap of the solver's whole run (-L where the program has it; "
                             "otherwise -T and -t, each)")
    parser.add_argument("--heavy-cap", type=float, default=None, metavar="SECONDS",
                        help="the same cap, for the hard set and the whole mclp runs of "
                             "1,000 vertices or more only")
    parser.add_argument("--cbc-seconds", type=float, default=120,
                        help="time cap of cbc (default 120)")
    parser.add_argument("--heavy-cbc-seconds", type=float, default=120,
                        help="time cap of cbc on the hard and the large cases (default 120)")
    parser.add_argument("--no-cbc", action="store_true", help="leave cbc out")
    parser.add_argument("--no-highs", action="store_true",
                        help="leave HiGHS out (cities; it runs under /usr/bin/python3)")
    parser.add_argument("--baseline", metavar="SOLVER",
                        help="with cover and hard: run this solver program too on each "
                             "case, and compare its coverage, proof and centres with ours")
    parser.add_argument("--no-about", action="store_true",
                        help="leave out the line on the machine, date and commit")
    args = parser.parse_args()
    sets = args.sets or ["all"]
    if "all" in sets:
        sets = ["median", "cover", "hard", "large", "constrained", "cities"]

    solver_path = os.path.abspath(args.solver)
    bin_dir = os.path.dirname(solver_path)
    generator = os.path.join(bin_dir, "pmed_instance")
    mclp = os.path.join(bin_dir, "mclp")
    for path in (solver_path, generator, mclp):
        if not os.access(path, os.X_OK):
            fail("no program at %s (build first: cmake -S . -B build "
                 "-DCMAKE_BUILD_TYPE=Release && cmake --build build -j2)" % path)
    if not args.no_about:
        about()
    if sets == ["about"]:
        return
    solver = Solver(solver_path, generator, args.cap, args.heavy_cap)
    baseline = None
    if args.baseline:
        baseline = Solver(os.path.abspath(args.baseline), generator, args.cap, args.heavy_cap)

    def chosen(cases, key=lambda case: case[0]):
        if not args.only:
            return cases
        return [c for c in cases if any(t in str(key(c)) for t in args.only)]

    folder = tempfile.mkdtemp(prefix="mclp_bench_")
    try:
        for name in sets:
            if name == "median":
                median(args, solver, folder,
                       chosen(["pmed%d" % k for k in range(1, 41)], key=lambda c: c))
            elif name == "cover" and baseline:
                compare(args, solver, baseline, folder, chosen(COVER_CASES))
            elif name == "cover":
                cover(args, solver, folder, chosen(COVER_CASES))
            elif name == "hard" and baseline:
                compare(args, solver, baseline, folder, chosen(HARD_CASES), heavy=True,
                        title="Hard band and random 1,500-vertex instances")
            elif name == "hard":
                cover(args, solver, folder, chosen(HARD_CASES), heavy=True,
                      title="Hard band and random 1,500-vertex instances")
            elif name == "large":
                large(args, solver, mclp, folder, chosen(LARGE_CASES, key=lambda c: c[1]))
            elif name == "constrained":
                constrained(args, solver, folder,
                            chosen(CONSTRAINED_PMED, key=lambda c: c + "."),
                            chosen(CONSTRAINED_CITIES))
            elif name == "cities":
                cities(args, solver, mclp, folder, chosen(CITY_CASES))
            elif name == "tiny":
                median(args, solver, folder, TINY["median"])
                cover(args, solver, folder, TINY["cover"])
                large(args, solver, mclp, folder, TINY["large"])
                constrained(args, solver, folder, TINY["constrained"], [])
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
