#!/usr/bin/env python3
"""Whole mclp runs on the shipped tables of places, as a planner runs them.

  cities_bench.py [--build DIR] [--only PT,NL,CH,FR]

For each country of bench/data/geonames-cities/, one command with nothing
written by hand:

  mclp --points --facilities P --service-distance S --json r.json \\
       --csv r.csv --geojson r.geojson --svg r.svg -g cities_XX.csv

in a temporary folder, with the solver program built beside mclp. Prints a
Markdown table: the run's wall-clock seconds, the solver's part, the peak
memory of mclp and of the solver program (each measured on its own: the
solver runs under a small wrapper placed first on PATH), the size of the
solver files, the coverage, the solver's gap and whether it proved the
answer optimal. Everything it writes goes to a temporary folder, removed at
the end.
"""

import argparse
import json
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
DATA = os.path.join(ROOT, "bench", "data", "geonames-cities")

# Country, p, S in metres: a greedy start covers 50-75 % of the population.
CASES = [("PT", 10, 15000), ("NL", 30, 8000), ("CH", 30, 8000),
         ("FR", 100, 15000)]

# Runs the real solver and notes its wall-clock seconds and peak memory.
WRAPPER = """#!%s
import resource, subprocess, sys, time
start = time.time()
status = subprocess.call([%r] + sys.argv[1:])
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
with open(%r, "w") as out:
    out.write("%%.2f %%d\\n" %% (time.time() - start, peak))
sys.exit(status)
"""


def run_case(build, country, p, s):
    work = tempfile.mkdtemp(prefix="mclp-cities-")
    try:
        bin_dir = os.path.join(work, "bin")
        os.mkdir(bin_dir)
        note = os.path.join(work, "solver-note")
        wrapper = os.path.join(bin_dir, "Corvadel.exe")
        with open(wrapper, "w") as out:
            out.write(WRAPPER % (sys.executable,
                                 os.path.join(build, "Corvadel.exe"), note))
        os.chmod(wrapper, 0o755)
        table = "cities_%s.csv" % country
        shutil.copy(os.path.join(DATA, table), work)
        command = [os.path.join(build, "mclp"), "--points", "--facilities",
                   str(p), "--service-distance", str(s), "--json", "r.json",
                   "--csv", "r.csv", "--geojson", "r.geojson", "--svg",
                   "r.svg", "-g", table]
        env = dict(os.environ, PATH=bin_dir + ":/usr/bin:/bin")
        sizes = {}
        start = time.time()
        process = subprocess.Popen(command, cwd=work, env=env,
                                   stdout=subprocess.PIPE, text=True)
        # mclp's own peak, apart from the solver's: its high-water mark,
        # read while it runs (it holds its matrix until the end).
        mclp_peak = 0
        while process.poll() is None:
            try:
                with open("/proc/%d/status" % process.pid) as f:
                    mark = re.search(r"VmHWM:\s*(\d+)", f.read())
                if mark:
                    mclp_peak = max(mclp_peak, int(mark.group(1)))
            except OSError:
                pass
            time.sleep(0.05)
        out = process.stdout.read()
        seconds = time.time() - start
        for name in ("pmeddata.dat", "pmedmtrx.dat"):
            path = os.path.join(work, name)
            sizes[name] = os.path.getsize(path) if os.path.exists(path) else 0
        if process.returncode != 0:
            return None
        with open(note) as f:
            solver_seconds, solver_peak = f.read().split()
        with open(os.path.join(work, "r.json")) as f:
            doc = json.load(f)
        n = doc["instance"]["n"]
        coverage = doc["report"]["coveragePercent"]
        solver = doc["solver"]
        # The share of the proven upper bound on coverage not reached.
        total = doc["report"]["totalDemand"]
        upper = total - solver["bound"]
        gap = max(0.0, solver["objective"] - solver["bound"]) / upper * 100 \
            if upper > 0 else 0.0
        return {
            "country": country, "n": n, "p": p, "S": s,
            "seconds": seconds, "solver": float(solver_seconds),
            "mclp_peak": mclp_peak,
            "solver_peak": int(solver_peak),
            "files": sizes["pmeddata.dat"] + sizes["pmedmtrx.dat"],
            "coverage": coverage, "gap": gap, "proven": solver["proven"],
            "line": out.strip().splitlines()[0] if out.strip() else "",
        }
    finally:
        shutil.rmtree(work)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    only = set(filter(None, args.only.split(",")))
    print("| country | n | p | S (m) | run s | solver s | peak MiB mclp | "
          "peak MiB solver | solver files MB | coverage % | gap of coverage "
          "% | proven |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    failed = False
    for country, p, s in CASES:
        if only and country not in only:
            continue
        row = run_case(build, country, p, s)
        if row is None:
            print("| %s | failed |" % country)
            failed = True
            continue
        print("| %s | %d | %d | %d | %.1f | %.1f | %s | %.0f | %.0f | %.2f | "
              "%.2f | %s |" % (
                  country, row["n"], p, s, row["seconds"], row["solver"],
                  "%.0f" % (row["mclp_peak"] / 1024),
                  row["solver_peak"] / 1024, row["files"] / 1e6,
                  row["coverage"], row["gap"],
                  "yes" if row["proven"] else "no"))
        sys.stdout.flush()
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
