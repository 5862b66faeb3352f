#!/usr/bin/env python3
"""Benchmarks of the solver program Corvadel.exe (never run by CTest).

  run_bench.py cover   covering problems from the shared sets and at random:
                       the solver's coverage against the optimum of the
                       covering MIP solved by the command-line cbc, with the
                       solver's time to its final solution and to its proof,
                       and cbc's time
  run_bench.py median  OR-Library pmed1 … pmed40 as p-median problems: the
                       objective against pmedopt.txt, gap and time

Needs the built program (build-solver/Corvadel.exe, or --solver PATH) and
g++ for the instance writer; installs the cbc command if it is missing.
Everything generated goes to a temporary folder.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(os.path.dirname(ROOT), "shared", "data")

# source, p, share of vertices within S, demand seed. Shares of 1 % to 10 %;
# the hard band is where p times the share is about 1.
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


def build_writer(folder):
    exe = os.path.join(folder, "pmed_instance")
    subprocess.run(["g++", "-O2", "-std=c++20", "-o", exe,
                    os.path.join(HERE, "pmed_instance.cc")], check=True)
    return exe


def ensure_cbc():
    if shutil.which("cbc"):
        return
    subprocess.run(["apt-get", "install", "-y", "coinor-cbc"], check=True,
                   stdout=subprocess.DEVNULL)


def run_solver(solver, folder, extra):
    start = time.monotonic()
    out = subprocess.run([solver, "-v"] + extra, cwd=folder,
                         capture_output=True, text=True).stdout
    wall = time.monotonic() - start
    m = re.search(r"objetivo (\S+) limite (\S+) gap (\S+)% tempo (\S+) s "
                  r"\[leitura (\S+) achado (\S+) prova (\S+) rodadas (\d+)", out)
    if not m:
        sys.exit("solver output not understood: " + out)
    return {"objective": float(m.group(1)), "bound": float(m.group(2)),
            "found": float(m.group(6)), "proof": float(m.group(7)),
            "wall": wall}


def cover(args, solver, folder):
    ensure_cbc()
    writer = build_writer(folder)
    print("%-22s %5s %4s %6s %9s %9s %8s %8s %8s %6s" %
          ("instance", "n", "p", "S", "coverage", "cbc", "found s", "proof s",
           "cbc s", "equal"))
    equal = ahead = 0
    for source, p, share, seed in COVER_CASES:
        path = source if source.startswith("random:") else os.path.join(DATA, source)
        info = subprocess.run([writer, "cover", path, str(p), str(share), str(seed)],
                              cwd=folder, capture_output=True, text=True, check=True)
        n, _, s, total = info.stdout.split()
        result = run_solver(solver, folder, ["-t", str(args.seconds)])
        covered = float(total) - result["objective"]
        start = time.monotonic()
        out = subprocess.run(["cbc", "cover.lp", "-sec", str(args.cbc_seconds),
                              "-solve", "-quit"], cwd=folder,
                             capture_output=True, text=True).stdout
        cbc_time = time.monotonic() - start
        m = re.search(r"Objective value:\s+(\S+)", out)
        optimal = "Optimal solution found" in out
        cbc_value = float(m.group(1)) if m else float("nan")
        same = abs(cbc_value - covered) < 0.5
        # Where cbc stopped at its cap with less, the solver's answer is the
        # better one and cbc's is no optimum to compare with.
        better = not optimal and covered > cbc_value + 0.5
        equal += same
        ahead += better
        name = os.path.basename(source).replace(".txt", "").replace(".tsp", "")
        print("%-22s %5s %4d %6s %9.0f %8.0f%s %8.2f %8s %8.2f %6s" %
              (name + "/" + str(share), n, p, s, covered, cbc_value,
               "" if optimal else "*", result["found"],
               "%.2f" % result["proof"] if result["proof"] >= 0 else "-",
               cbc_time, "yes" if same else "better" if better else "NO"),
              flush=True)
    print("coverage equal to cbc's on %d of %d, better than a capped cbc on %d "
          "(* marks cbc stopped by its time cap)" % (equal, len(COVER_CASES), ahead))


def median(args, solver, folder):
    writer = build_writer(folder)
    optimum = {}
    with open(os.path.join(DATA, "orlib-pmed", "pmedopt.txt")) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2 and parts[0].startswith("pmed"):
                optimum[parts[0]] = float(parts[1])
    print("%-8s %4s %4s %9s %9s %9s %7s %7s %7s" %
          ("instance", "n", "p", "optimum", "found", "bound", "gap %", "bound %", "time s"))
    hits, worst, total = 0, 0.0, 0.0
    for k in range(1, 41):
        name = "pmed%d" % k
        info = subprocess.run([writer, "median",
                               os.path.join(DATA, "orlib-pmed", name + ".txt")],
                              cwd=folder, capture_output=True, text=True, check=True)
        n, p = info.stdout.split()
        result = run_solver(solver, folder, [])
        best = optimum[name]
        gap = 100 * (result["objective"] - best) / best
        bound_gap = 100 * (result["objective"] - result["bound"]) / result["objective"]
        hits += result["objective"] <= best + 0.5
        worst = max(worst, gap)
        total += result["wall"]
        print("%-8s %4s %4s %9.0f %9.0f %9.0f %7.2f %7.2f %7.2f" %
              (name, n, p, best, result["objective"], result["bound"], gap,
               bound_gap, result["wall"]), flush=True)
    print("optimum on %d of 40, worst gap %.2f %%, total %.1f s" % (hits, worst, total))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("set", choices=["cover", "median"])
    parser.add_argument("--solver", default=os.path.join(ROOT, "build-solver", "Corvadel.exe"))
    parser.add_argument("--seconds", type=float, default=30,
                        help="cap of the solver's exact phase")
    parser.add_argument("--cbc-seconds", type=float, default=300,
                        help="time cap of the command-line cbc")
    args = parser.parse_args()
    solver = os.path.abspath(args.solver)
    if not os.access(solver, os.X_OK):
        sys.exit("no solver program at " + solver)
    folder = tempfile.mkdtemp(prefix="pmedian_bench_")
    try:
        (cover if args.set == "cover" else median)(args, solver, folder)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
