#!/usr/bin/env bash
# Builds mclp and the solver program, then runs both example instances in a
# temporary working directory and prints their reports.
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
