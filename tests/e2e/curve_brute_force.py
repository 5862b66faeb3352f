#!/usr/bin/env python3
"""The coverage curve of --facilities LIST and the fewest centres of
--target-coverage against brute force, with the real solver program, and the
lists that are refused.

  curve_brute_force.py MCLP

On small random tables of points (planar, random demands), with and without
existing centres: for every p of the list the best coverage of any choice of
p sites is found by enumeration. The curve's coverage and bound never
decrease with p, every coverage lies at or below that optimum and every
bound at or above it, a proven p reaches it, and the CSV of --curve says
what the console says. The picture of --curve-svg is rendered with
rsvg-convert: its dots rise from left to right and its legend lies inside
it. The fewest p for a target is the enumeration's, proven, and a target
beyond every allowed site ends with status 1 and the coverage reachable.
Bad lists end with status 1, the usage block or a message, and leave no
file behind.
"""

import csv
import io
import itertools
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import zlib

USAGE = "\n*** Usage:"


def png_pixels(path):
    """The rows of an 8-bit RGB or RGBA PNG as lists of (r, g, b)."""
    data = open(path, "rb").read()
    at, idat, width = 8, b"", 0
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], "big")
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = int.from_bytes(body[:4], "big"), \
                int.from_bytes(body[4:8], "big")
            channels = 4 if body[9] == 6 else 3
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for r in range(height):
        kind = raw[r * (stride + 1)]
        line = bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else
                                      b if pb <= pc else c)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, channels)])
        previous = line
    return rows


def picture_faults(svg, work, points):
    """The rendered curve: the proven dots (pure red) in blobs whose centres
    rise from left to right; no dark pixel of the legend beyond the
    picture's width when the canvas is widened."""
    text = open(svg).read()
    width = int(re.search(r'width="(\d+)"', text).group(1))
    wide = text.replace('width="%d"' % width, 'width="%d"' % (2 * width), 1)
    wide = re.sub(r'viewBox="0 0 %d ' % width, 'viewBox="0 0 %d ' % (2 * width),
                  wide, 1)
    open(os.path.join(work, "wide.svg"), "w").write(wide)
    subprocess.run(["rsvg-convert", "wide.svg", "-o", "wide.png"], cwd=work,
                   check=True)
    rows = png_pixels(os.path.join(work, "wide.png"))
    faults = []
    if any(max(px) < 128 for row in rows[:40] for px in row[width:]):
        faults.append("the legend runs past the picture")
    columns = {}
    for y, row in enumerate(rows):
        for x, (r, g, b) in enumerate(row[:width]):
            if r > 200 and g < 60 and b < 60:
                columns.setdefault(x, []).append(y)
    # Blobs of neighbouring columns, each a dot.
    blobs, current = [], []
    for x in sorted(columns):
        if current and x > current[-1][0] + 1:
            blobs.append(current)
            current = []
        current.append((x, sum(columns[x]) / len(columns[x])))
    if current:
        blobs.append(current)
    heights = [sum(y for _, y in blob) / len(blob) for blob in blobs]
    if len(blobs) != points:
        faults.append("%d dots drawn for %d proven points" %
                      (len(blobs), points))
    if any(b > a + 0.5 for a, b in zip(heights, heights[1:])):
        faults.append("the dots do not rise: %s" % heights)
    return faults


def optimum(places, demand, s, p, fixed):
    n = len(places)
    near = [[math.dist(places[i], places[j]) <= s for j in range(n)]
            for i in range(n)]
    free = [i for i in range(n) if i not in fixed]
    best = 0
    for more in itertools.combinations(free, p - len(fixed)):
        chosen = list(fixed) + list(more)
        best = max(best, sum(d for j, d in enumerate(demand)
                             if any(near[c][j] for c in chosen)))
    return best


def run(mclp, work, args):
    return subprocess.run([mclp] + args, cwd=work, capture_output=True,
                          text=True)


def random_table(seed, n, work):
    """n places in a 100 x 100 square with demands 1 to 60, as t.csv."""
    rng = random.Random(seed)
    places = [(rng.uniform(0, 100), rng.uniform(0, 100)) for _ in range(n)]
    demand = [rng.randint(1, 60) for _ in range(n)]
    with open(os.path.join(work, "t.csv"), "w") as out:
        out.write("x,y,population\n")
        for (x, y), d in zip(places, demand):
            out.write("%r,%r,%d\n" % (x, y, d))
    return places, demand


def curve_case(mclp, seed, n, listed, ps, existing, work):
    places, demand = random_table(seed, n, work)
    extra = []
    if existing:
        with open(os.path.join(work, "open.txt"), "w") as out:
            out.write("".join("%d\n" % (v + 1) for v in existing))
        extra = ["--open", "open.txt"]
    s = 22
    done = run(mclp, work, ["--points", "--facilities", listed,
                            "--service-distance", str(s), "--curve", "c.csv",
                            "--curve-svg", "c.svg"] + extra + ["-g", "t.csv"])
    name = "seed %d, %s" % (seed, listed)
    if done.returncode != 0:
        return ["%s: status %d: %s" % (name, done.returncode, done.stdout)]
    rows = [(int(m[0]), int(m[1]), float(m[2]), m[3] == "otimo")
            for m in re.findall(r"^\s*(\d+)\s+(\d+)\s+[\d.]+\s+(\d+)\s+"
                                r"[\d.]+%\s+(otimo|aberto)", done.stdout, re.M)]
    faults = []
    if [r[0] for r in rows] != ps:
        return ["%s: the console lists p %s" % (name, [r[0] for r in rows])]
    with open(os.path.join(work, "c.csv")) as f:
        table = list(csv.DictReader(f))
    if [(int(r["p"]), int(r["covered"]), float(r["bound"]),
         r["proven"] == "1") for r in table] != rows:
        faults.append("%s: the CSV differs from the console" % name)
    for (p, covered, bound, proven), (_, later, later_bound, _) in zip(
            rows, rows[1:]):
        if later < covered or later_bound < bound:
            faults.append("%s: p %d to the next: coverage %d to %d, bound "
                          "%g to %g" % (name, p, covered, later, bound,
                                        later_bound))
    for p, covered, bound, proven in rows:
        best = optimum(places, demand, s, p, existing)
        if not covered <= best <= bound or (proven and covered != best):
            faults.append("%s: p %d covers %d, bound %g, proven %s; the "
                          "optimum is %d" % (name, p, covered, bound, proven,
                                             best))
    faults += ["%s: %s" % (name, f) for f in
               picture_faults(os.path.join(work, "c.svg"), work,
                              sum(r[3] for r in rows))]
    return faults


def target_case(mclp, seed, n, percent, candidates, work):
    """The fewest p for a target against enumeration; a target beyond what
    the candidates reach ends with status 1 and the reachable coverage."""
    places, demand = random_table(seed, n, work)
    extra = []
    if candidates:
        with open(os.path.join(work, "sites.txt"), "w") as out:
            out.write("".join("%d\n" % (v + 1) for v in candidates))
        extra = ["--candidates", "sites.txt"]
    s = 22
    done = run(mclp, work, ["--points", "--target-coverage", str(percent),
                            "--service-distance", str(s)] + extra +
               ["-g", "t.csv"])
    name = "seed %d, target %g %%" % (seed, percent)
    sites = candidates or list(range(n))
    near = [[math.dist(places[i], places[j]) <= s for j in range(n)]
            for i in range(n)]
    need = math.ceil(percent / 100 * sum(demand) - 1e-9)
    reachable = sum(d for j, d in enumerate(demand)
                    if any(near[c][j] for c in sites))
    if reachable < need:
        if done.returncode != 1 or "inalcancavel" not in done.stdout or \
                "%.2f%%" % (100.0 * reachable / sum(demand)) not in done.stdout:
            return ["%s: unreachable, yet status %d: %r" %
                    (name, done.returncode, done.stdout[-300:])]
        return []
    fewest = next(p for p in range(1, len(sites) + 1)
                  if any(sum(d for j, d in enumerate(demand)
                             if any(near[c][j] for c in chosen)) >= need
                         for chosen in itertools.combinations(sites, p)))
    m = re.search(r"Menor p para [\d.]+% da demanda \((\d+)\): (\d+) "
                  r"\(minimo\)", done.stdout)
    served = re.search(r"Populacao Atend\.  :\s*(\d+)", done.stdout)
    if done.returncode != 0 or not m or int(m.group(1)) != need or \
            int(m.group(2)) != fewest or int(served.group(1)) < need:
        return ["%s: fewest %d, the run says %r" %
                (name, fewest, done.stdout[-400:])]
    return []


def refused_case(mclp, listed, expect, work):
    with open(os.path.join(work, "t.csv"), "w") as out:
        out.write("x,y,population\n0,0,5\n10,0,6\n0,10,7\n30,30,8\n")
    with open(os.path.join(work, "open.txt"), "w") as out:
        out.write("1\n2\n3\n")
    extra = ["--open", "open.txt"] if "open" in expect else []
    before = set(os.listdir(work))
    done = run(mclp, work, ["--points", "--facilities", listed,
                            "--service-distance", "10", "--curve", "c.csv"] +
               extra + ["-g", "t.csv"])
    faults = []
    message = USAGE if expect == "usage" else expect.split(":", 1)[-1]
    if done.returncode != 1 or message not in done.stdout:
        faults.append("--facilities %s: status %d, %r" %
                      (listed, done.returncode, done.stdout[:200]))
    left = set(os.listdir(work)) - before
    if left:
        faults.append("--facilities %s left %s" % (listed, sorted(left)))
    return faults


def main():
    mclp = os.path.abspath(sys.argv[1])
    faults = []
    cases = [
        (1, 11, "1:5", [1, 2, 3, 4, 5], []),
        (2, 12, "6,2,4,3", [2, 3, 4, 6], []),
        (3, 12, "2:8:3", [2, 5, 8], [0, 7]),
    ]
    refused = [
        ("0:5", "usage"), ("10:5", "usage"), ("5:10:0", "usage"),
        ("a,b", "usage"), ("1,,2", "usage"),
        ("1:5", "p maior que n = 4"),
        ("2,3", "open:com 3 centros existentes, mais que p = 2"),
    ]
    for seed, n, listed, ps, existing in cases:
        work = tempfile.mkdtemp()
        try:
            faults += curve_case(mclp, seed, n, listed, ps, existing, work)
        finally:
            shutil.rmtree(work)
    targets = [
        (4, 12, 75, []),
        (5, 12, 100, []),
        (6, 12, 60, [0, 1, 2, 3, 4, 5, 6, 7]),
        (7, 12, 99.5, [0, 3, 5]),
    ]
    for seed, n, percent, candidates in targets:
        work = tempfile.mkdtemp()
        try:
            faults += target_case(mclp, seed, n, percent, candidates, work)
        finally:
            shutil.rmtree(work)
    for listed, expect in refused:
        work = tempfile.mkdtemp()
        try:
            faults += refused_case(mclp, listed, expect, work)
        finally:
            shutil.rmtree(work)
    for fault in faults:
        print("FAIL:", fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
