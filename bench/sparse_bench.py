#!/usr/bin/env python3
"""Whole mclp runs with --sparse: the pairs within S in place of the matrix.

  sparse_bench.py [--build DIR] [--solver PATH] [--quick | --tiny]
                  [--only ROWS] [--cap S] [--cap-study S,S...] [--proof S]
                  [--keep DIR]

Rows (names for --only, separated by commas):

  points    100,000 blocks scattered from the GeoNames places, p 500, S 10 km
  chicago   the Chicago regional road network, free-flow minutes, p 50, S 5
  roads     a generated road-like network of 33,000 nodes, p 100, S such that
            a node has about 300 others within S
  france    the 8,836 French places, p 100, S 15 km, dense and then sparse
  growth    blocks at n = 10,000, 20,000, 50,000 (and the 100,000 of points)

--quick runs points and france; --tiny runs one small case of each kind in
a few seconds (the tests run it; no timing is checked). --cap passes
--time-limit to every mclp run (the solver's own default otherwise);
--cap-study SECONDS[,SECONDS...] adds runs of the 100,000 blocks with those
caps; --proof SECONDS adds France dense and sparse again with that cap on
the run and on branch and cut (-t), long enough to prove the optimum.
mclp and pmed_instance come from --build (build/ by default), the solver
program from there too or from --solver.

Every instance is made at run time from what the repository ships, into a
temporary folder removed at the end (--keep DIR keeps the instances there):

- blocks: every place of bench/data/geonames-cities/*.csv (four tables,
  12,471 places, in file-name and row order) gets one of the N blocks and a
  share of the rest in proportion to its population (largest remainder);
  below 12,471 blocks the N blocks are shared by population alone and a
  place whose share rounds to none is left out;
  each block lies at a uniformly drawn point of the disc of 3 km around its
  place, placed on the sphere by its great-circle distance and bearing, and
  the place's population is split among its blocks in whole numbers that sum
  to it. One seeded generator, so every run makes the same table.
- Chicago: bench/data/tntp-roads/chicago-regional/ChicagoRegional_net.tntp
  as the tool's edge list (see that folder's PROVENANCE.md for the rules).
- roads: `pmed_instance roads 33000 4 100 0.009 1` from the build folder.

Each run is `mclp [--sparse] --workdir W --json r.json --seed 1 ... FILE`
with the solver reached through a stand-in placed first on PATH, which adds
-v, runs the real solver and notes when it started and ended, its peak
memory and mclp's high-water mark at both moments; mclp's own mark is also
read while it runs. Prints Markdown tables: n, the cover-list entries e of
"pmedcob.dat"'s header "n p e" (each pair within S counts twice, once per
end), the wall-clock seconds of the run and of its parts (mclp before the
solver, the solver, mclp after it), the peak memory of each program, the
bytes of the solver files, the coverage and the solver's gap.
"""

import argparse
import csv
import glob
import json
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CITIES = os.path.join(HERE, "data", "geonames-cities")
CHICAGO = os.path.join(HERE, "data", "tntp-roads", "chicago-regional",
                       "ChicagoRegional_net.tntp")

EARTH_RADIUS = 6371008.8  # metres, as the tool's great-circle distances
BLOCK_RADIUS = 3000.0     # metres around each place
SEED = 1

# Runs the real solver with -v and notes, as JSON: when it started and
# ended, its peak memory and mclp's (its parent's) high-water mark at both
# moments, in KiB, and the progress lines it drew once a second (it draws
# them only on a terminal, so its standard error is one).
WRAPPER = """#!%(python)s
import json, os, pty, resource, subprocess, sys, threading, time
def mark():
    try:
        with open("/proc/%%d/status" %% os.getppid()) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0
note = {"start": time.time(), "mclp_before": mark()}
master, slave = pty.openpty()
solver = subprocess.Popen([%(solver)r, "-v"] + %(extra)r + sys.argv[1:],
                          stderr=slave)
os.close(slave)
drawn = []
def pump():
    while True:
        try:
            data = os.read(master, 65536)
        except OSError:
            return
        if not data:
            return
        drawn.append(data)
reader = threading.Thread(target=pump, daemon=True)
reader.start()
status = solver.wait()
note["end"] = time.time()
reader.join(2)
text = b"".join(drawn).decode("utf-8", "replace").replace("\\033[K", "")
note["progress"] = [line.strip() for line in text.split("\\r") if line.strip()]
note["mclp_after"] = mark()
note["peak"] = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
note["arguments"] = sys.argv[1:]
with open(%(note)r, "w") as out:
    json.dump(note, out)
sys.exit(status)
"""

SUMMARY = re.compile(
    r"Corvadel: cobertura ([\d.]+) limite ([\d.]+) gap ([\d.]+)% (otimo )?"
    r"tempo ([\d.]+) s(?: \[leitura ([\d.]+) achado ([\d.]+) prova "
    r"([-\d.]+))?")


# ---------------------------------------------------------------- instances

def read_places():
    """Every place of the shipped tables: (latitude, longitude, population)."""
    places = []
    for path in sorted(glob.glob(os.path.join(CITIES, "cities_*.csv"))):
        with open(path, newline="", encoding="utf-8") as f:
            rows = csv.DictReader(f)
            for row in rows:
                try:
                    lat = float(row["latitude"])
                    lon = float(row["longitude"])
                    pop = int(row["population"])
                except (KeyError, TypeError, ValueError):
                    sys.exit("sparse_bench.py: bad row %d in %s" %
                             (rows.line_num, path))
                if not (-90 <= lat <= 90 and -180 <= lon <= 180 and pop >= 0):
                    sys.exit("sparse_bench.py: bad row %d in %s" %
                             (rows.line_num, path))
                places.append((lat, lon, pop))
    if not places:
        sys.exit("sparse_bench.py: no places in " + CITIES)
    return places


def largest_remainder(total, weights):
    """Whole numbers in proportion to weights that sum to total."""
    whole = sum(weights)
    if whole <= 0:
        return [0] * len(weights)
    quotas = [total * w / whole for w in weights]
    shares = [int(q) for q in quotas]
    rest = total - sum(shares)
    order = sorted(range(len(weights)), key=lambda k: (shares[k] - quotas[k],
                                                       k))
    for k in order[:rest]:
        shares[k] += 1
    return shares


def block_point(lat, lon, rng):
    """A uniform point of the disc of BLOCK_RADIUS around (lat, lon)."""
    distance = BLOCK_RADIUS * math.sqrt(rng.random()) / EARTH_RADIUS
    bearing = 2 * math.pi * rng.random()
    phi, lam = math.radians(lat), math.radians(lon)
    phi2 = math.asin(
        math.sin(phi) * math.cos(distance) +
        math.cos(phi) * math.sin(distance) * math.cos(bearing))
    lam2 = lam + math.atan2(
        math.sin(bearing) * math.sin(distance) * math.cos(phi),
        math.cos(distance) - math.sin(phi) * math.sin(phi2))
    lon2 = (math.degrees(lam2) + 540) % 360 - 180
    return math.degrees(phi2), lon2


def write_blocks(path, n, places):
    """The table of n blocks; returns the number of rows and their demand."""
    rng = random.Random(SEED)
    pops = [pop for _, _, pop in places]
    if n >= len(places):
        # One block each, the rest in proportion to population.
        counts = [1 + k for k in largest_remainder(n - len(places), pops)]
    else:
        counts = largest_remainder(n, pops)
    rows = total = 0
    with open(path, "w") as out:
        out.write("latitude,longitude,population\n")
        for (lat, lon, pop), k in zip(places, counts):
            if k == 0:
                continue
            weights = [0.5 + rng.random() for _ in range(k)]
            for share in largest_remainder(pop, weights):
                y, x = block_point(lat, lon, rng)
                out.write("%.6f,%.6f,%d\n" % (y, x, share))
                rows += 1
                total += share
    return rows, total


def chicago_edges(path, p, s):
    """The Chicago regional network as the tool's edge list at path."""
    pairs = {}
    ended = False
    with open(CHICAGO) as f:
        for number, line in enumerate(f, 1):
            text = line.strip()
            if not ended:
                ended = text.startswith("<END OF METADATA>")
                continue
            if not text or text.startswith("~"):
                continue
            fields = text.rstrip(";").split()
            try:
                a, b = int(fields[0]), int(fields[1])
                length, ftime, speed = (float(fields[3]), float(fields[4]),
                                        float(fields[7]))
            except (IndexError, ValueError):
                sys.exit("sparse_bench.py: bad link on line %d of %s" %
                         (number, CHICAGO))
            # Zone connectors (and 92 toll-plaza links) carry no free-flow
            # time: they take their length at their speed.
            if ftime <= 0:
                if speed <= 0 or length < 0:
                    sys.exit("sparse_bench.py: link on line %d of %s has no "
                             "time" % (number, CHICAGO))
                ftime = 60.0 * length / speed
            if a == b:
                continue
            key = (min(a, b), max(a, b))
            # Links are directed; an undirected edge takes the faster way.
            pairs[key] = min(ftime, pairs.get(key, ftime))
    if not pairs:
        sys.exit("sparse_bench.py: no links in " + CHICAGO)
    # Node numbers that no link names are left out, the rest renumbered in
    # order, so that no vertex is unreachable.
    nodes = sorted({v for key in pairs for v in key})
    number = {v: k + 1 for k, v in enumerate(nodes)}
    with open(path, "w") as out:
        out.write("%d %d %d %s\n" % (len(nodes), len(pairs), p, s))
        for (a, b), d in sorted(pairs.items()):
            out.write("%d %d %s\n" % (number[a], number[b],
                                      ("%.6f" % d).rstrip("0").rstrip(".")))
    return len(nodes), len(pairs)


def generated_roads(build, folder, n, p, share):
    """pmed_instance's road-like edge list in folder; returns its path, S."""
    line = subprocess.run([os.path.join(build, "pmed_instance"), "roads",
                           str(n), "4", str(p), str(share), str(SEED)],
                          cwd=folder, check=True, stdout=subprocess.PIPE,
                          text=True).stdout.split()
    return os.path.join(folder, "instance.txt"), line[3]


# --------------------------------------------------------------------- runs

def cover_header(path):
    try:
        with open(path) as f:
            n, p, e = f.readline().split()
        return int(e)
    except (OSError, ValueError):
        return None


def read_mark(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            found = re.search(r"VmHWM:\s*(\d+)", f.read())
        return int(found.group(1)) if found else 0
    except OSError:
        return 0


def run_mclp(build, solver_program, scratch, label, arguments, mode,
             instance, sparse, cap, extra):
    """One whole run; a dict of its figures, or None when it failed."""
    work = tempfile.mkdtemp(prefix="run-", dir=scratch)
    try:
        bin_dir = os.path.join(work, "bin")
        os.mkdir(bin_dir)
        note = os.path.join(work, "solver-note.json")
        wrapper = os.path.join(bin_dir, "Corvadel.exe")
        with open(wrapper, "w") as out:
            out.write(WRAPPER % {"python": sys.executable,
                                 "solver": solver_program,
                                 "note": note, "extra": extra})
        os.chmod(wrapper, 0o755)
        folder = os.path.join(work, "files")
        command = [os.path.join(build, "mclp")] + arguments + [
            "--workdir", folder, "--json", os.path.join(work, "r.json"),
            "--seed", str(SEED)]
        if sparse:
            command.append("--sparse")
        if cap:
            command += ["--time-limit", str(cap)]
        command += [mode, instance]
        env = dict(os.environ, PATH=bin_dir + ":/usr/bin:/bin")
        errors = open(os.path.join(work, "stderr"), "w")
        start = time.time()
        process = subprocess.Popen(command, cwd=work, env=env,
                                   stdout=subprocess.PIPE, stderr=errors,
                                   text=True)
        peak = 0
        written = None
        # The first solver file to appear marks the end of the reading and
        # of the distances (or pairs): mclp writes them next.
        first = [os.path.join(folder, name) for name in
                 ("pmedcob.dat", "pmedcob.dat.tmp", "pmeddata.dat")]
        while process.poll() is None:
            peak = max(peak, read_mark(process.pid))
            if written is None and any(os.path.exists(f) for f in first):
                written = time.time()
            time.sleep(0.02)
        out = process.stdout.read()
        seconds = time.time() - start
        errors.close()
        if process.returncode != 0 or not os.path.exists(note):
            print("<!-- %s failed: %s %s -->" % (
                label, out.strip().replace("\n", " "),
                open(os.path.join(work, "stderr")).read()[-500:].strip()))
            return None
        with open(note) as f:
            solver = json.load(f)
        with open(os.path.join(work, "r.json")) as f:
            doc = json.load(f)
        files = {}
        for name in ("pmedcob.dat", "pmeddata.dat", "pmedmtrx.dat"):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                files[name] = os.path.getsize(path)
        summary = SUMMARY.search(out)
        return {
            "label": label,
            "n": doc["instance"]["n"],
            "p": doc["instance"]["p"],
            "S": doc["instance"]["S"],
            "entries": cover_header(os.path.join(folder, "pmedcob.dat")),
            "seconds": seconds,
            "before": solver["start"] - start,
            "pairs_done": (written - start) if written else None,
            "solver": solver["end"] - solver["start"],
            "after": start + seconds - solver["end"],
            "mclp_peak": max(peak, solver["mclp_before"], solver["mclp_after"]),
            "solver_peak": solver["peak"],
            "files": sum(files.values()),
            "covered": doc["report"]["coveredDemand"],
            "total": doc["report"]["totalDemand"],
            "coverage": doc["report"]["coveragePercent"],
            "gap": float(summary.group(3)) if summary else None,
            "proven": bool(summary and summary.group(4)),
            "read": float(summary.group(6)) if summary and summary.group(6)
            else None,
            "found": float(summary.group(7)) if summary and summary.group(7)
            else None,
            "line": next((line for line in out.split("\n")
                          if "Corvadel:" in line), ""),
            "progress": solver.get("progress", []),
            "warnings": [line for line in
                         open(os.path.join(work, "stderr")).read().split("\n")
                         if "aviso:" in line],
        }
    finally:
        shutil.rmtree(work)


# ------------------------------------------------------------------- tables

def mib(kib):
    return "%.0f" % (kib / 1024.0)


def text_or_dash(value, form):
    return form % value if value is not None else "–"


ROW_HEAD = ("| instance | n | p | S | entries e | run s | mclp reads, pairs s "
            "| mclp writes s | solver s | solver reads s | mclp after s | peak "
            "MiB mclp | peak MiB solver | solver files MB | covered | coverage "
            "% | gap % |")


def print_head():
    print(ROW_HEAD)
    print("|" + "---|" * ROW_HEAD.count(" | ") + "---|")


def print_row(r):
    pairs = r["pairs_done"] if r["pairs_done"] is not None else r["before"]
    print("| %s | %d | %d | %g | %s | %.1f | %.1f | %.1f | %.1f | %s | %.1f | "
          "%s | %s | %.1f | %d | %.2f | %s%s |" % (
              r["label"], r["n"], r["p"], r["S"],
              text_or_dash(r["entries"], "%d"), r["seconds"], pairs,
              r["before"] - pairs, r["solver"], text_or_dash(r["read"], "%.1f"), r["after"],
              mib(r["mclp_peak"]), mib(r["solver_peak"]), r["files"] / 1e6,
              r["covered"], r["coverage"], text_or_dash(r["gap"], "%.2f"),
              " (optimal)" if r["proven"] else ""))
    sys.stdout.flush()


PROGRESS = re.compile(r"Corvadel: (\d+) s (.*?) cobertura")


def timeline(lines):
    """The progress lines where the phases change, and the last one."""
    kept, phase = [], None
    for line in lines:
        found = PROGRESS.search(line)
        if found and found.group(2) != phase:
            phase = found.group(2)
            kept.append("%s s %s" % (found.group(1), phase))
    if lines:
        kept.append("last: " + lines[-1].replace("Corvadel: ", ""))
    return kept


def print_lines(rows):
    for r in rows:
        print("    %s: %s" % (r["label"], r["line"].strip()))
        steps = timeline(r["progress"])
        if steps:
            print("      progress: " + "; ".join(steps))
        for warning in r["warnings"]:
            print("    %s: %s" % (r["label"], warning.strip()))


def goal(text, met):
    return "%s: %s" % (text, "met" if met else "NOT MET")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--solver", default="")
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--tiny", action="store_true")
    parser.add_argument("--only", default="")
    parser.add_argument("--cap", type=float, default=0)
    parser.add_argument("--cap-study", default="")
    parser.add_argument("--proof", type=float, default=0)
    parser.add_argument("--keep", default="")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    solver_program = os.path.abspath(args.solver or
                                     os.path.join(build, "Corvadel.exe"))
    rows = set(filter(None, args.only.split(",")))
    if not rows:
        rows = ({"points", "france"} if args.quick else
                {"points", "chicago", "roads", "france", "growth"})
    tiny = args.tiny
    # Sizes: (blocks, p, S) of the points row, the growth sizes, the roads.
    if tiny:
        points = (1000, 10, 10000)
        growth = [500]
        roads = (600, 5, 0.05)
        france = ("cities_PT.csv", 10, 15000)
        chicago_p = 5
        cap = args.cap or 1
    else:
        points = (100000, 500, 10000)
        growth = [10000, 20000, 50000]
        roads = (33000, 100, 0.009)
        france = ("cities_FR.csv", 100, 15000)
        chicago_p = 50
        cap = args.cap
    scratch = tempfile.mkdtemp(prefix="mclp-sparse-")
    keep = os.path.abspath(args.keep) if args.keep else scratch
    os.makedirs(keep, exist_ok=True)
    failed = False
    started = time.time()
    try:
        places = read_places()
        print("Places read: %d (%d people); seed %d; solver cap %s." % (
            len(places), sum(pop for _, _, pop in places), SEED,
            ("%g s" % cap) if cap else "the solver's default"))
        print()
        print_head()
        done = []

        def run(label, arguments, mode, instance, sparse=True, run_cap=cap,
                extra=()):
            row = run_mclp(build, solver_program, scratch, label, arguments,
                           mode, instance, sparse, run_cap, list(extra))
            if row is None:
                nonlocal failed
                failed = True
                print("| %s | failed |" % label)
                return None
            print_row(row)
            done.append(row)
            return row

        def blocks(n):
            path = os.path.join(keep, "blocks_%d.csv" % n)
            count, total = write_blocks(path, n, places)
            return path, count

        point_rows = {}
        if "points" in rows:
            path, count = blocks(points[0])
            point_rows[count] = run(
                "blocks:%d, S %g km" % (count, points[2] / 1000.0),
                ["--points", "--facilities", str(points[1]),
                 "--service-distance", str(points[2])], "-g", path)
            for study in filter(None, args.cap_study.split(",")):
                run("blocks:%d, S %g km, cap %s s" % (
                    count, points[2] / 1000.0, study),
                    ["--points", "--facilities", str(points[1]),
                     "--service-distance", str(points[2])], "-g", path,
                    run_cap=float(study))
        chicago = None
        if "chicago" in rows:
            path = os.path.join(keep, "chicago_regional.txt")
            chicago_edges(path, chicago_p, 5)
            chicago = run("Chicago regional, S 5 min", [], "-b", path)
        road = None
        if "roads" in rows:
            path, s = generated_roads(build, keep, roads[0], roads[1],
                                      roads[2])
            road = run("roads:%d, S %s" % (roads[0], s), [], "-b", path)
        dense = sparse = proof_dense = proof_sparse = None
        if "france" in rows:
            table = os.path.join(CITIES, france[0])
            arguments = ["--points", "--facilities", str(france[1]),
                         "--service-distance", str(france[2])]
            dense = run("%s dense" % france[0], arguments, "-g", table,
                        sparse=False)
            sparse = run("%s sparse" % france[0], arguments, "-g", table)
            if args.proof:
                # Time enough for a proof, branch and cut's cap too: both
                # files must give the same optimum.
                extra = ["-t", "%g" % args.proof]
                proof_dense = run("%s dense, cap %g s" % (france[0],
                                                          args.proof),
                                  arguments, "-g", table, sparse=False,
                                  run_cap=args.proof, extra=extra)
                proof_sparse = run("%s sparse, cap %g s" % (france[0],
                                                            args.proof),
                                   arguments, "-g", table, run_cap=args.proof,
                                   extra=extra)
        if "growth" in rows:
            for n in growth:
                path, count = blocks(n)
                point_rows[count] = run(
                    "blocks:%d, S %g km" % (count, points[2] / 1000.0),
                    ["--points", "--facilities", str(points[1]),
                     "--service-distance", str(points[2])], "-g", path)
        print()
        print_lines(done)
        print()
        # The verdicts against the goals, from the rows above.
        verdicts = []
        big = point_rows.get(points[0])
        if big and not tiny:
            verdicts.append(goal(
                "blocks:%d within 300 s, 8 GiB each, 1 GB of files, gap 1 %%"
                % points[0],
                big["seconds"] <= 300 and big["mclp_peak"] <= 8 << 20 and
                big["solver_peak"] <= 8 << 20 and big["files"] <= 1e9 and
                big["gap"] is not None and big["gap"] <= 1))
        for r in (chicago, road):
            if r and not tiny:
                verdicts.append(goal(
                    "%s within 120 s, 4 GiB each" % r["label"],
                    r["seconds"] <= 120 and r["mclp_peak"] <= 4 << 20 and
                    r["solver_peak"] <= 4 << 20))
        if dense and sparse:
            faster = dense["seconds"] / sparse["seconds"]
            tool = (dense["before"] + dense["after"]) / max(
                1e-9, sparse["before"] + sparse["after"])
            memory = max(dense["mclp_peak"], dense["solver_peak"]) / max(
                1, max(sparse["mclp_peak"], sparse["solver_peak"]))
            print("Dense against sparse, %s: run %.2f x faster (mclp's own "
                  "stages %.2f x), peak memory %.1f x lower (mclp %.1f x, "
                  "solver %.1f x), files %.1f x smaller, covered %d against "
                  "%d." % (
                      france[0], faster, tool, memory,
                      dense["mclp_peak"] / max(1, sparse["mclp_peak"]),
                      dense["solver_peak"] / max(1, sparse["solver_peak"]),
                      dense["files"] / max(1, sparse["files"]),
                      dense["covered"], sparse["covered"]))
            if not tiny:
                verdicts.append(goal("%s sparse 5 x faster" % france[0],
                                     faster >= 5))
                verdicts.append(goal("%s sparse 1/10 of the memory" %
                                     france[0], memory >= 10))
                verdicts.append(goal("%s same covered demand" % france[0],
                                     dense["covered"] == sparse["covered"]))
        if proof_dense and proof_sparse:
            print("With %g s: covered %d (dense) against %d (sparse), %s." % (
                args.proof, proof_dense["covered"], proof_sparse["covered"],
                "both proven optimal" if proof_dense["proven"] and
                proof_sparse["proven"] else "not both proven"))
            verdicts.append(goal("%s same covered demand with %g s" % (
                france[0], args.proof),
                proof_dense["covered"] == proof_sparse["covered"]))
        if len(point_rows) > 1:
            print()
            print("| blocks | entries e | mclp before solver s | mclp after s "
                  "| peak MiB mclp | peak MiB solver | s per 10^6 entries |")
            print("|---|---|---|---|---|---|---|")
            for n in sorted(point_rows):
                r = point_rows[n]
                if r is None:
                    continue
                tool = r["before"] + r["after"]
                print("| %d | %s | %.1f | %.1f | %s | %s | %s |" % (
                    n, text_or_dash(r["entries"], "%d"), r["before"],
                    r["after"], mib(r["mclp_peak"]), mib(r["solver_peak"]),
                    text_or_dash(tool / (r["entries"] / 1e6)
                                 if r["entries"] else None, "%.3f")))
        for line in verdicts:
            print("- " + line)
        print()
        print("All of it took %.0f s." % (time.time() - started))
    finally:
        shutil.rmtree(scratch)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
