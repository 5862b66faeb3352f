#!/usr/bin/env python3
"""A table of points gives the same run as its distances written as a matrix.

  points_as_matrix.py MCLP TABLE

Runs mclp twice in fresh folders with one scripted answer of the solver:
once on TABLE (a geographic table of points with a population column) with
--points, and once on the same distances written as a distance matrix, with
the populations as a demand file and the places as a coordinates file. The
distances are computed here, independently of the tool, by the haversine
formula in double precision and rounded to single precision, and written with
digits enough to read back as the same values. A small planar table is run
the same way. The solver files, the report, the reassignment file, the
picture and the GeoJSON must be byte for byte the same; the CSV and the JSON
differ only by the coordinates and the description of the input that only
a table has.
"""

import csv
import io
import json
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

RADIUS = 6371008.8
RADIAN = math.pi / 180.0


def single(value):
    """The value as the tool stores a distance: rounded to single precision."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def great_circle(a, b):
    half_latitude = math.sin((b[1] - a[1]) * RADIAN / 2)
    half_longitude = math.sin((b[0] - a[0]) * RADIAN / 2)
    h = half_latitude * half_latitude + math.cos(a[1] * RADIAN) * math.cos(
        b[1] * RADIAN) * half_longitude * half_longitude
    return 2 * RADIUS * math.asin(math.sqrt(min(1.0, h)))


def straight(a, b):
    dx = b[0] - a[0]
    dy = b[1] - a[1]
    return math.sqrt(dx * dx + dy * dy)


def write_matrix(path, places, p, s, distance):
    n = len(places)
    with open(path, "w") as out:
        out.write("%d %d %s\n" % (n, p, s))
        for i in range(n - 1):
            row = [single(distance(places[i], places[j]))
                   for j in range(i + 1, n)]
            out.write(" ".join("%.9g" % d for d in row) + "\n")


def run(mclp, folder, answer, args):
    """mclp with a stand-in solver that leaves `answer`; its report."""
    bin_dir = os.path.join(folder, "bin")
    os.makedirs(bin_dir)
    solver = os.path.join(bin_dir, "Corvadel.exe")
    with open(solver, "w") as out:
        out.write("#!/bin/sh\nprintf '%s' >solucao.txt\n" % answer)
    os.chmod(solver, 0o755)
    env = dict(os.environ, PATH=bin_dir + ":/usr/bin:/bin")
    done = subprocess.run([mclp] + args, cwd=folder, env=env,
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("mclp %s failed: %s" % (" ".join(args), done.stdout))
    return done.stdout


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def compare(name, table_dir, matrix_dir, failures):
    if read(table_dir, name) != read(matrix_dir, name):
        failures.append(name + " differs")


def same_run(mclp, places, demands, p, s, geographic, answer, work):
    """Runs both ways; returns the differences found."""
    table_dir = os.path.join(work, "table")
    matrix_dir = os.path.join(work, "matrix")
    os.makedirs(table_dir)
    os.makedirs(matrix_dir)
    results = ["--json", "r.json", "--csv", "r.csv", "--geojson", "r.geojson",
               "--svg", "r.svg"]
    with open(os.path.join(table_dir, "t.csv"), "w") as out:
        out.write("name,%s,population\n" %
                  ("longitude,latitude" if geographic else "x,y"))
        for k, (place, demand) in enumerate(zip(places, demands)):
            out.write('"place %d, here",%r,%r,%d\n' %
                      (k, place[0], place[1], demand))
    report_table = run(mclp, table_dir, answer,
                       ["--points", "--facilities", str(p),
                        "--service-distance", s] + results + ["-g", "t.csv"])
    write_matrix(os.path.join(matrix_dir, "t.txt"), places, p, s,
                 great_circle if geographic else straight)
    with open(os.path.join(matrix_dir, "pop.txt"), "w") as out:
        out.write("\n".join(str(d) for d in demands) + "\n")
    with open(os.path.join(matrix_dir, "t.xy"), "w") as out:
        for place in places:
            out.write("%r %r\n" % place)
    extra = ["--geographic"] if geographic else []
    report_matrix = run(mclp, matrix_dir, answer,
                        ["--demand", "pop.txt", "--coords", "t.xy"] + extra +
                        results + ["-g", "t.txt"])
    failures = []
    if report_table != report_matrix:
        failures.append("the reports differ")
    for name in ["pmeddata.dat", "pmedmtrx.dat", "solucaoR.txt"]:
        compare(name, table_dir, matrix_dir, failures)
    # The table's GeoJSON adds each place's name to its properties.
    named = json.loads(read(table_dir, "r.geojson"))
    for feature in named["features"]:
        del feature["properties"]["name"]
    if named != json.loads(read(matrix_dir, "r.geojson")):
        failures.append("r.geojson differs beyond the places' names")
    # The table's picture adds a tooltip naming each centre's place.
    picture = re.sub(rb"><title>[^<]*</title></(rect|path)>", b"/>",
                     read(table_dir, "r.svg"))
    if picture != read(matrix_dir, "r.svg"):
        failures.append("r.svg differs beyond the centres' tooltips")
    if b"<title>place " not in read(table_dir, "r.svg"):
        failures.append("r.svg names no centre")
    # The table's CSV adds the places (x, y) and their names as its last
    # columns.
    table_rows = list(csv.reader(io.StringIO(read(table_dir, "r.csv").decode())))
    matrix_rows = list(csv.reader(io.StringIO(read(matrix_dir, "r.csv").decode())))
    if table_rows[0][-1] != "name" or \
            [row[:-3] for row in table_rows] != matrix_rows:
        failures.append("r.csv differs beyond the coordinate and name columns")
    with_places = json.loads(read(table_dir, "r.json"))
    without = json.loads(read(matrix_dir, "r.json"))
    if with_places["instance"]["layout"] != "point table" or \
            with_places["demand"]["source"] != "table":
        failures.append("the JSON does not describe a table of points")
    for doc in (with_places, without):
        del doc["instance"], doc["demand"]
    del with_places["vertices"]
    for centre in with_places["centres"]:
        del centre["coordinates"], centre["name"]
    if with_places != without:
        failures.append("r.json differs beyond the coordinates")
    return failures


def main():
    mclp = os.path.abspath(sys.argv[1])
    with open(sys.argv[2], newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    places = [(float(r["longitude"]), float(r["latitude"])) for r in rows]
    demands = [int(r["population"]) for r in rows]
    rng = random.Random(4)
    cases = [
        ("geographic", places, demands, 10, "15000", True),
        ("planar", [(rng.uniform(0, 5000), rng.uniform(0, 3000))
                    for _ in range(300)],
         [rng.randint(0, 90) for _ in range(300)], 12, "250.5", False),
    ]
    failed = False
    for name, points, weights, p, s, geographic in cases:
        centres = sorted(rng.sample(range(len(points)), p))
        answer = "10 10 0.5\\n9999999\\n1\\n" + " ".join(map(str, centres))
        work = tempfile.mkdtemp()
        try:
            failures = same_run(mclp, points, weights, p, s, geographic,
                                answer, work)
        finally:
            shutil.rmtree(work)
        for failure in failures:
            print("FAIL (%s): %s" % (name, failure))
        failed = failed or bool(failures)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
