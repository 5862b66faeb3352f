#!/usr/bin/env python3
"""A planner's whole run, with the real solver program, recounted here.

  planner_run.py MCLP TABLE P S [--open FILE] [--candidates FILE] [--sparse]

Runs `mclp --points` on TABLE (a geographic table of points with a
population column) with the solver program built beside mclp, asking for
every result file, and with the existing centres and candidate sites given.
Then recounts the coverage of the centres the JSON names, from the table
itself, with great-circle distances computed here: a place is served when a
centre lies within S. The recount must equal the report's served demand and
percentage, the JSON's and the GeoJSON's (read by GDAL's ogrinfo); the
answer must be proven optimal and keep the existing centres and open new
ones only at candidate sites; and the picture must render. With --sparse
the run keeps only the pairs within S, and its proven coverage must equal
that of the same run without it.
"""

import csv
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
RADIUS = 6371008.8


def great_circle(a, b):
    """Metres between two (longitude, latitude) places, by the law of
    haversines written as plainly as possible (not as the tool writes it)."""
    lon1, lat1, lon2, lat2 = map(math.radians, (a[0], a[1], b[0], b[1]))
    h = math.sin((lat2 - lat1) / 2) ** 2 + math.cos(lat1) * math.cos(
        lat2) * math.sin((lon2 - lon1) / 2) ** 2
    return 2 * RADIUS * math.asin(min(1.0, math.sqrt(h)))


def ids_of(path):
    """The vertices (from 1) of an --open or --candidates table with an id
    column."""
    with open(path, newline="", encoding="utf-8") as f:
        return {int(row["id"]) for row in csv.DictReader(f)}


def service_area_faults(svg, doc, s):
    """Each centre's service area in the picture spans S on the ground at its
    latitude, within 5 %: the drawing's scale is read off the centres' own
    marks (y against latitude, x against longitude), not from the tool, in
    the main area and in each inset (framed by a rect of class "i") apart."""
    text = open(svg, encoding="utf-8").read()
    marks = {int(m.group(1)): (float(m.group(2)) + float(m.group(4)) / 2,
                               float(m.group(3)) + float(m.group(4)) / 2)
             for m in re.finditer(r'<rect id="centre-(\d+)" class="[^"]*" '
                                  r'x="([-\d.]+)" y="([-\d.]+)" '
                                  r'width="([\d.]+)"', text)}
    insets = [tuple(map(float, m.groups())) for m in re.finditer(
        r'<rect class="i" x="([-\d.]+)" y="([-\d.]+)" width="([\d.]+)" '
        r'height="([\d.]+)"', text)]
    areas = [tuple(map(float, m.groups())) for m in re.finditer(
        r'<ellipse class="[^"]*" cx="([-\d.]+)" cy="([-\d.]+)" '
        r'rx="([\d.]+)" ry="([\d.]+)"/>', text)]
    if len(areas) != len(doc["centres"]):
        return ["%d service areas for %d centres" %
                (len(areas), len(doc["centres"]))]

    def region(x, y):
        return next((k + 1 for k, (left, top, wide, tall) in enumerate(insets)
                     if left <= x <= left + wide and top <= y <= top + tall),
                    0)

    def per_degree(centres, axis):
        a, b = max(((p, q) for p in centres for q in centres),
                   key=lambda pq: abs(pq[0]["coordinates"][axis] -
                                      pq[1]["coordinates"][axis]))
        spread = abs(a["coordinates"][axis] - b["coordinates"][axis])
        if spread < 0.1:
            return None
        return abs(marks[a["id"]][axis] - marks[b["id"]][axis]) / spread

    faults = []
    checked = 0
    for k in range(len(insets) + 1):
        centres = [c for c in doc["centres"]
                   if c["id"] in marks and region(*marks[c["id"]]) == k]
        if len(centres) < 2:
            continue
        per_longitude = per_degree(centres, 0)
        per_latitude = per_degree(centres, 1)
        if per_longitude is None or per_latitude is None:
            continue
        for centre, (cx, cy, rx, ry) in zip(doc["centres"], areas):
            if centre not in centres:
                continue
            checked += 1
            latitude = math.radians(centre["coordinates"][1])
            degrees = math.degrees(s / RADIUS)
            want_ry = degrees * per_latitude
            want_rx = degrees / math.cos(latitude) * per_longitude
            if abs(ry / want_ry - 1) > 0.05 or abs(rx / want_rx - 1) > 0.05:
                faults.append("centre %d: service area %.1f x %.1f, S spans "
                              "%.1f x %.1f" % (centre["id"], rx, ry, want_rx,
                                               want_ry))
    if checked == 0:
        faults.append("no service area could be checked")
    return faults


def main():
    args = [a for a in sys.argv if a != "--sparse"]
    sparse = ["--sparse"] if len(args) < len(sys.argv) else []
    mclp, table, p, s = os.path.abspath(args[1]), args[2], args[3], \
        float(args[4])
    sets = dict(zip(args[5::2], map(os.path.abspath, args[6::2])))
    work = tempfile.mkdtemp()
    try:
        shutil.copy(table, os.path.join(work, "t.csv"))
        # Only the system folders: the solver program is found beside mclp.
        env = dict(os.environ, PATH="/usr/bin:/bin")
        def run(extra):
            done = subprocess.run(
                [mclp, "--points", "--facilities", p, "--service-distance",
                 args[4], "--json", "r.json", "--csv", "r.csv", "--geojson",
                 "r.geojson", "--svg", "r.svg"] + extra +
                [word for pair in sets.items() for word in pair] +
                ["-g", "t.csv"],
                cwd=work, env=env, capture_output=True, text=True)
            if done.returncode != 0:
                sys.exit("mclp failed: " + done.stdout + done.stderr)
            return done
        failures = []
        if sparse:
            dense = run([])
        done = run(sparse)
        if sparse and re.search(r"Populacao Atend.*", dense.stdout).group(0) \
                != re.search(r"Populacao Atend.*", done.stdout).group(0):
            failures.append("the dense run serves otherwise: " + dense.stdout)
        with open(os.path.join(work, "stdout"), "w") as out:
            out.write(done.stdout)
        served = int(re.search(r"Populacao Atend\.  :\s*(\d+)",
                               done.stdout).group(1))
        percent = re.search(r"Perc\. Atendimento :\s*([0-9.]+)",
                            done.stdout).group(1)
        with open(table, newline="", encoding="utf-8") as f:
            rows = list(csv.DictReader(f))
        places = [(float(r["longitude"]), float(r["latitude"])) for r in rows]
        demand = [int(r["population"]) for r in rows]
        with open(os.path.join(work, "r.json")) as f:
            doc = json.load(f)
        centres = [c["id"] - 1 for c in doc["centres"]]
        if len(centres) != int(p):
            failures.append("%d centres, not %s" % (len(centres), p))
        # A little slack for the single-precision rounding of the stored
        # distances; no place of these tables lies that close to S.
        recount = sum(d for place, d in zip(places, demand)
                      if min(great_circle(place, places[c])
                             for c in centres) <= s * (1 + 1e-6))
        if recount != served:
            failures.append("recount %d, report %d" % (recount, served))
        if "%.2f" % (100.0 * recount / sum(demand)) != percent:
            failures.append("percentage %s, recount %.2f" %
                            (percent, 100.0 * recount / sum(demand)))
        if doc["report"]["coveredDemand"] != recount:
            failures.append("the JSON serves %d" % doc["report"]["coveredDemand"])
        if doc["solver"]["proven"] is not True:
            failures.append("the answer is not proven optimal")
        chosen = {c + 1 for c in centres}
        existing = ids_of(sets["--open"]) if "--open" in sets else set()
        if not existing <= chosen:
            failures.append("existing centres closed: %s" %
                            sorted(existing - chosen))
        if any(c["existing"] != (c["id"] in existing) for c in doc["centres"]
               if "--open" in sets):
            failures.append("the JSON marks existing centres wrongly")
        if "--candidates" in sets:
            strays = chosen - existing - ids_of(sets["--candidates"])
            if strays:
                failures.append("centres outside the candidates: %s" %
                                sorted(strays))
        check = subprocess.run(
            ["bash", os.path.join(HERE, "check_results.sh"), "stdout",
             "r.geojson"], cwd=work, capture_output=True, text=True)
        if check.returncode != 0:
            failures.append("GeoJSON: " + check.stdout.strip())
        failures += service_area_faults(os.path.join(work, "r.svg"), doc, s)
        render = subprocess.run(["rsvg-convert", "r.svg", "-o", "r.png"],
                                cwd=work, capture_output=True, text=True)
        if render.returncode != 0:
            failures.append("the picture does not render: " + render.stderr)
    finally:
        shutil.rmtree(work)
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
