#!/usr/bin/env bash
# Builds mclp and the solver program, then runs the example instances (an
# edge list, a distance matrix and a table of places) in a temporary working
# directory and prints their reports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j2 --target mclp pmedian_solver
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/"*.txt "$work/"
cd "$work"
echo "== mclp -b pmed1.txt (edge list, random demand)"
"$root/build/mclp" -b pmed1.txt
echo "== mclp -a kroA100.txt (matrix, demand from demanda.txt)"
"$root/build/mclp" -a kroA100.txt
echo "== mclp --points ... -g cities_PT.csv (a table of places, with its populations)"
"$root/build/mclp" --points --facilities 10 --service-distance 15000 \
  --csv pt.csv --geojson pt.geojson --svg pt.svg \
  -g "$root/bench/data/geonames-cities/cities_PT.csv"
