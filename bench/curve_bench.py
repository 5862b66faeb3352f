#!/usr/bin/env python3
"""The coverage curve of one mclp run against the same values of p as single
runs, case by case in one run of this script.

  curve_bench.py [--build DIR] [--france] [--only CASES] [--target]
                 [--peer-seconds S]

Cases (names for --only, separated by commas):

  switzerland  the 1,415 Swiss places, S 8 km, p 5:30:5
  portugal     the 813 Portuguese places, S 15 km, p 5:50:5
  france       (with --france) the 8,836 French places, S 15 km, p 25:250:25;
               each p may use the solver's whole cap, so it takes about ten
               minutes

With --target, the same tables with --target-coverage 80 and 95 instead:
the p found, whether it is proven (else the interval), the p tried and the
seconds; beside it HiGHS (bench/solver/highs_partial_cover.py, SciPy's milp
under the system's python3, one core, --peer-seconds, 600 by default) on the
partial set covering model of the same places, S and target
(--peer-seconds 0: no peer).

For each case: the curve's wall-clock seconds, the sum of the single runs'
and their ratio; then per p the coverage, the gap and whether it is proven,
from the curve and from the single run. mclp and the solver program come
from --build (build/ by default); the solver is found beside mclp. Every
run's files go to a temporary folder removed at the end.
"""

import argparse
import csv
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CITIES = os.path.join(HERE, "data", "geonames-cities")
CASES = {
    "switzerland": ("cities_CH.csv", "8000", list(range(5, 31, 5))),
    "portugal": ("cities_PT.csv", "15000", list(range(5, 51, 5))),
    "france": ("cities_FR.csv", "15000", list(range(25, 251, 25))),
}


def run(mclp, table, s, facilities, work):
    """One mclp run; its wall-clock seconds and its standard output."""
    os.makedirs(work, exist_ok=True)
    start = time.monotonic()
    done = subprocess.run(
        [mclp, "--points", "--facilities", facilities, "--service-distance",
         s, "--workdir", work, "-g", table],
        capture_output=True, text=True)
    seconds = time.monotonic() - start
    if done.returncode != 0:
        sys.exit("mclp failed: " + done.stdout + done.stderr)
    return seconds, done.stdout


def single_figures(stdout):
    """Coverage, gap and proof from a single run's solver summary line."""
    m = re.search(r"cobertura ([\d.]+) limite ([\d.]+) gap ([\d.]+)% (otimo )?",
                  stdout)
    return int(float(m.group(1))), float(m.group(3)), m.group(4) is not None


def curve_figures(stdout):
    rows = {}
    for m in re.finditer(r"^\s*(\d+)\s+(\d+)\s+[\d.]+\s+\d+\s+([\d.]+)%\s+"
                         r"(otimo|aberto)", stdout, re.M):
        rows[int(m.group(1))] = (int(m.group(2)), float(m.group(3)),
                                 m.group(4) == "otimo")
    return rows


def cover_model(table, s, percent, path):
    """The partial set covering model of the table for HiGHS: sites cover
    the places within S metres, great-circle, as the tool measures them."""
    with open(table, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    lon = [math.radians(float(r["longitude"])) for r in rows]
    lat = [math.radians(float(r["latitude"])) for r in rows]
    demand = [int(r["population"]) for r in rows]
    n = len(rows)
    target = math.ceil(percent / 100 * sum(demand) - 1e-9)
    reach = float(s) / 6371008.8
    # Places sorted by latitude: only a band of them can lie within S.
    order = sorted(range(n), key=lambda i: lat[i])
    lines = [[] for _ in range(n)]
    for a, i in enumerate(order):
        lines[i].append(i)
        for j in order[a + 1:]:
            if lat[j] - lat[i] > reach:
                break
            h = math.sin((lat[j] - lat[i]) / 2) ** 2 + math.cos(lat[i]) * \
                math.cos(lat[j]) * math.sin((lon[j] - lon[i]) / 2) ** 2
            if 2 * math.asin(min(1.0, math.sqrt(h))) <= reach:
                lines[i].append(j)
                lines[j].append(i)
    with open(path, "w") as out:
        out.write("%d %d\n%s\n" % (n, target, " ".join(map(str, demand))))
        for line in lines:
            out.write(" ".join(map(str, line)) + "\n")


def target_rows(mclp, names, peer_seconds, work):
    print("\n### --target-coverage\n")
    print("| table | S | target | p | proven | p tried | s | HiGHS p | "
          "HiGHS bound | HiGHS optimal | HiGHS s |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for name in names:
        table, s, _ = CASES[name]
        path = os.path.join(CITIES, table)
        for percent in (80, 95):
            folder = os.path.join(work, "%s-%d" % (name, percent))
            os.makedirs(folder)
            start = time.monotonic()
            done = subprocess.run(
                [mclp, "--points", "--target-coverage", str(percent),
                 "--service-distance", s, "--workdir", folder, "-g", path],
                capture_output=True, text=True)
            seconds = time.monotonic() - start
            m = re.search(r"Menor p para .*: (\d+) \(minimo\)|"
                          r"Menor p para .*: entre (\d+) e (\d+)", done.stdout)
            tried = len(re.findall(r"^\s+\d+\s+\d+\s+[\d.]+\s+\d+\s+",
                                   done.stdout, re.M))
            found = m.group(1) or "%s-%s" % (m.group(2), m.group(3))
            cells = ("", "", "", "")
            if peer_seconds > 0:
                model = os.path.join(folder, "model.txt")
                cover_model(path, s, percent, model)
                peer = subprocess.run(
                    ["/usr/bin/python3", os.path.join(HERE, "solver",
                                                      "highs_partial_cover.py"),
                     "--seconds", str(peer_seconds), model],
                    capture_output=True, text=True).stdout.split()
                if len(peer) == 8:
                    cells = (peer[1], peer[3], peer[7], peer[5])
            print("| %s | %s | %d %% | %s | %s | %d | %.1f | %s | %s | %s | %s |"
                  % ((name, s, percent, found, "yes" if m.group(1) else "no",
                      tried, seconds) + cells))
            sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--france", action="store_true")
    parser.add_argument("--only")
    parser.add_argument("--target", action="store_true")
    parser.add_argument("--peer-seconds", type=float, default=600)
    args = parser.parse_args()
    mclp = os.path.abspath(os.path.join(args.build, "mclp"))
    names = args.only.split(",") if args.only else \
        ["switzerland", "portugal"] + (["france"] if args.france else [])
    work = tempfile.mkdtemp()
    try:
        if args.target:
            target_rows(mclp, names, args.peer_seconds, work)
            return
        for name in names:
            table, s, ps = CASES[name]
            path = os.path.join(CITIES, table)
            listed = "%d:%d:%d" % (ps[0], ps[-1], ps[1] - ps[0])
            curve_seconds, curve_out = run(mclp, path, s, listed,
                                           os.path.join(work, name, "curve"))
            curve = curve_figures(curve_out)
            singles = {}
            single_seconds = 0.0
            for p in ps:
                seconds, out = run(mclp, path, s, str(p),
                                   os.path.join(work, name, str(p)))
                single_seconds += seconds
                singles[p] = single_figures(out) + (seconds,)
            print("\n### %s, S %s, p %s\n" % (name, s, listed))
            print("curve %.1f s, single runs %.1f s, ratio %.2f\n" %
                  (curve_seconds, single_seconds,
                   curve_seconds / single_seconds))
            print("| p | curve coverage | gap | proven | single coverage | "
                  "gap | proven | single s |")
            print("|---|---|---|---|---|---|---|---|")
            for p in ps:
                c = curve.get(p, (0, float("nan"), False))
                one = singles[p]
                print("| %d | %d | %.2f %% | %s | %d | %.2f %% | %s | %.1f |" %
                      (p, c[0], c[1], "yes" if c[2] else "no", one[0], one[1],
                       "yes" if one[2] else "no", one[3]))
            sys.stdout.flush()
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
