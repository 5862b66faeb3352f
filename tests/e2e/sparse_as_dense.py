#!/usr/bin/env python3
"""A run with --sparse reports what the run on the whole matrix reports.

  sparse_as_dense.py MCLP [CASE ...]

Runs mclp twice per case of the table below, in fresh folders with one
scripted answer of the solver: once as it is, and once with --sparse. The
report, "solucaoR.txt", the CSV, the JSON, the GeoJSON and the picture must
be byte for byte the same, but for the solver's arguments in the JSON, where
the sparse run names its cover lists first. The dense run leaves the two
matrices for the solver and no cover lists; the sparse run the reverse, and
its lists name the vertices that the dense run's costs serve for nothing.

The cases hold what the pairs within S could get wrong: distances equal to
S, places repeated, across the antimeridian and at the poles, loops and
repeated edge records, vertices without an edge and parts of a network
that no centre reaches, centres listed twice and out of order so that the
first in the solver's order must win a tie, existing centres and sites.
The lengths of the edge lists are whole numbers, whose sums both ways
compute exactly.
"""

import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

RESULTS = ["--csv", "r.csv", "--json", "r.json", "--geojson", "r.geojson",
           "--svg", "r.svg"]
DENSE_FILES = ["pmeddata.dat", "pmedmtrx.dat"]
SPARSE_FILES = ["pmedcob.dat"]


def table(places, demands, s, centres, geographic=False):
    """A table of points: its files, the arguments, the answer."""
    header = "name,longitude,latitude,population" if geographic else \
        "name,x,y,population"
    rows = ['"p %d",%r,%r,%d' % (k, x, y, w)
            for k, ((x, y), w) in enumerate(zip(places, demands))]
    files = {"t.csv": "\n".join([header] + rows) + "\n"}
    args = ["--points", "--facilities", str(len(centres)),
            "--service-distance", s, "-g", "t.csv"]
    return files, args, centres


def network(n, edges, s, places, centres):
    """An edge list `n m p S` with its places and seeded demands."""
    lines = ["%d %d %d %s" % (n, len(edges), len(centres), s)]
    lines += ["%d %d %d" % (a + 1, b + 1, d) for a, b, d in edges]
    files = {"t.txt": "\n".join(lines) + "\n",
             "t.xy": "".join("%r %r\n" % xy for xy in places)}
    args = ["--seed", "3", "--coords", "t.xy", "-b", "t.txt"]
    return files, args, centres


def with_sets(case, existing, sites):
    """The case with --open and --candidates (vertices 0-based here)."""
    files, args, centres = case
    files = dict(files, **{
        "open.txt": " ".join(str(v + 1) for v in existing) + "\n",
        "sites.csv": "id,name\n" + "".join("%d,x\n" % (v + 1) for v in sites)})
    return files, ["--open", "open.txt", "--candidates", "sites.csv"] + args, \
        centres


def planar_grid(rng):
    """Whole coordinates and S = 5: many pairs at exactly S (3-4-5), and a
    vertex at S from two centres given in the solver's order."""
    places = [(rng.randint(0, 40), rng.randint(0, 40)) for _ in range(150)]
    places += places[:6]  # the same places again
    places += [(100, 100), (106, 100), (103, 104), (103, 96), (120, 120)]
    n = len(places)
    centres = [n - 4, n - 5, 0, 150] + rng.sample(range(1, 150), 10)
    return table(places, [rng.randint(1, 9) for _ in places], "5", centres)


def planar_reals(rng, n):
    """Real coordinates; enough places for the searches to share out."""
    places = [(rng.uniform(0, 5000), rng.uniform(0, 3000)) for _ in range(n)]
    centres = rng.sample(range(n), 15)
    return table(places, [rng.randint(1, 90) for _ in range(n)], "250.5",
                 centres)


def geographic(rng):
    """Clusters across the antimeridian, at and around both poles, and in
    Europe; the same place twice, both its copies centres."""
    places = []
    for lon, lat in [(179.995, 10), (-179.995, 10), (0, 89.995),
                     (-60, -89.996), (8, 47)]:
        for _ in range(25):
            x = lon + rng.uniform(-0.01, 0.01)
            x = x - 360 if x > 180 else x + 360 if x < -180 else x
            places.append((round(x, 6),
                           round(max(-90, min(90, lat + rng.uniform(
                               -0.01, 0.01))), 6)))
    places += [(lon, 90.0) for lon in (-120.0, 0.0, 45.5, 180.0)]
    places += [places[3], places[60]]
    n = len(places)
    centres = [n - 1, 60, 3, n - 3, n - 5, 30, 110, 100]
    return table(places, [rng.randint(1, 50) for _ in places], "1200",
                 centres, geographic=True)


def random_network(rng, n, s, joined, parts):
    """Whole lengths 0 … 12 on random edges among the first `joined`
    vertices, in `parts` parts that no edge joins, with loops and repeated
    records; the vertices from `joined` on have no edge."""
    edges = []
    for part in range(parts):
        lo, hi = part * joined // parts, (part + 1) * joined // parts - 1
        for v in range(lo + 1, hi + 1):  # a tree, then more edges
            edges.append((v, rng.randint(lo, v - 1), rng.randint(1, 12)))
        for _ in range(hi - lo):
            edges.append((rng.randint(lo, hi), rng.randint(lo, hi),
                          rng.choice([0, 1, 5, rng.randint(0, 12)])))
    rng.shuffle(edges)
    edges += [edges[k][:2] + (rng.randint(0, 12),) for k in range(0, 40, 4)]
    edges += [(v, v, rng.randint(0, 3)) for v in range(0, joined, 9)]
    places = [(rng.uniform(0, 100), rng.uniform(0, 100)) for _ in range(n)]
    return n, edges, str(s), places


def small_network(rng):
    n, edges, s, places = random_network(rng, 70, 10, 62, 2)
    # Out of order, one listed twice, most with a loop, none in the second
    # part; the vertices from 62 on have no edge.
    centres = [27, 9, 0, 18, 9, 3]
    return network(n, edges, s, places, centres)


def large_network(rng):
    """Enough vertices for the searches to share out; no centre in the
    third part."""
    n, edges, s, places = random_network(rng, 640, 14, 630, 3)
    centres = sorted(rng.sample(range(420), 30), reverse=True)
    return network(n, edges, s, places, centres)


def cases():
    rng = random.Random(22)
    grid = planar_grid(rng)
    reals = planar_reals(rng, 2100)
    big = large_network(rng)
    return [
        ("planar_grid", grid),
        ("planar_grid_sets", with_sets(grid, grid[2][:3], grid[2][3:] +
                                       list(range(40, 80)))),
        ("planar_reals", reals),
        ("geographic", geographic(rng)),
        ("network", small_network(rng)),
        ("network_large", big),
        ("network_large_sets", with_sets(big, big[2][::4],
                                         list(range(0, 420, 2)) + big[2])),
    ]


def run(mclp, folder, case, sparse):
    """mclp in `folder` with a stand-in solver that leaves the centres."""
    files, args, centres = case
    bin_dir = os.path.join(folder, "bin")
    os.makedirs(bin_dir)
    answer = "10 10 0.5\\n9999999\\n1\\n" + " ".join(map(str, centres))
    solver = os.path.join(bin_dir, "Corvadel.exe")
    with open(solver, "w") as out:
        out.write("#!/bin/sh\nprintf '%s' >solucao.txt\n" % answer)
    os.chmod(solver, 0o755)
    for name, text in files.items():
        with open(os.path.join(folder, name), "w") as out:
            out.write(text)
    full = (["--sparse"] if sparse else []) + RESULTS + args
    done = subprocess.run([mclp] + full, cwd=folder,
                          env=dict(os.environ, PATH=bin_dir + ":/usr/bin:/bin"),
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("mclp %s failed: %s" % (" ".join(full), done.stdout))
    return done.stdout


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


ARGUMENTS = re.compile(rb'"arguments": *\[[^\]]*\]')


def differences(mclp, case, work):
    dense_dir = os.path.join(work, "dense")
    sparse_dir = os.path.join(work, "sparse")
    failures = []
    if run(mclp, dense_dir, case, False) != run(mclp, sparse_dir, case, True):
        failures.append("the reports differ")
    for name in ["solucaoR.txt", "r.csv", "r.geojson", "r.svg"]:
        if read(dense_dir, name) != read(sparse_dir, name):
            failures.append(name + " differs")
    dense, sparse = read(dense_dir, "r.json"), read(sparse_dir, "r.json")
    if ARGUMENTS.sub(b"", dense) != ARGUMENTS.sub(b"", sparse):
        failures.append("r.json differs beyond the solver's arguments")
    arguments = [json.loads(doc)["solver"]["arguments"]
                 for doc in (dense, sparse)]
    if arguments[1] != ["-K", "pmedcob.dat"] + arguments[0]:
        failures.append("the solver's arguments are %r and %r" %
                        tuple(arguments))
    for folder, kept, gone in [(dense_dir, DENSE_FILES, SPARSE_FILES),
                               (sparse_dir, SPARSE_FILES, DENSE_FILES)]:
        for name in kept + gone:
            if os.path.exists(os.path.join(folder, name)) != (name in kept):
                failures.append("%s %s %s" % (
                    os.path.basename(folder),
                    "lacks" if name in kept else "leaves", name))
    if cover_lists(sparse_dir) != lists_of_costs(dense_dir):
        failures.append("pmedcob.dat covers other vertices than pmeddata.dat")
    return failures


def cover_lists(folder):
    """The vertices each candidate covers, as "pmedcob.dat" lists them."""
    tokens = read(folder, "pmedcob.dat").split()
    n = int(tokens[0])
    at = 3 + n
    lists = []
    for _ in range(n):
        count = int(tokens[at])
        lists.append([int(v) for v in tokens[at + 1:at + 1 + count]])
        at += 1 + count
    return lists


def lists_of_costs(folder):
    """The same from "pmeddata.dat": the vertices that a candidate serves at
    no cost (every demand of the cases is positive)."""
    tokens = read(folder, "pmeddata.dat").split()
    n = int(tokens[0])
    lists = []
    for i in range(n):
        row = tokens[2 + i * (n - 1):2 + (i + 1) * (n - 1)]
        others = [j for j in range(n) if j != i]
        lists.append([j for j, c in zip(others, row) if c == b"0.00000"])
    return lists


def main():
    mclp = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    failed = False
    for name, case in cases():
        if wanted and name not in wanted:
            continue
        work = tempfile.mkdtemp()
        try:
            failures = differences(mclp, case, work)
        finally:
            shutil.rmtree(work)
        for failure in failures:
            print("FAIL (%s): %s" % (name, failure))
        failed = failed or bool(failures)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
