#!/usr/bin/env bash
# Reruns every benchmark figure of the README: builds in Release into build/,
# runs the speed benchmark, the solver benchmarks and (in full) the benchmark
# of --sparse, and writes one Markdown document of tables to standard output
# and to bench/results/LATEST.md.
#
#   bash scripts/bench.sh            everything (an hour or more on 2 cores)
#   bash scripts/bench.sh --quick    a short run: no n = 3000 completion, the
#                                    p-median set and the covering set only,
#                                    without the whole mclp runs
#
# Options after --quick, or after --, go to run_bench.py (for example
# --no-cbc, --cap SECONDS, --heavy-cap SECONDS, --heavy-cbc-seconds SECONDS).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

quick=0
if [ "${1:-}" = "--quick" ]; then
  quick=1
  shift
fi
[ "${1:-}" = "--" ] && shift

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 >/dev/null

mkdir -p bench/results
partial=$(mktemp "$root/bench/results/.LATEST.XXXXXX")
trap 'rm -f "$partial"' EXIT
started=$(date +%s)
{
  echo "# Benchmark results"
  echo
  command="bash scripts/bench.sh"
  [ $quick -eq 1 ] && command+=" --quick"
  [ $# -gt 0 ] && command+=" $*"
  echo "Command: \`$command\`."
  python3 bench/solver/run_bench.py about
  if [ $quick -eq 1 ]; then
    build/mclp_speed_bench --quick
    python3 bench/solver/run_bench.py median cover --no-about "$@"
  else
    build/mclp_speed_bench
    python3 bench/solver/run_bench.py median cover hard large --no-about "$@"
    # The tables of places need NumPy and SciPy, which Debian's Python has.
    if /usr/bin/python3 -c "import numpy, scipy" 2>/dev/null; then
      /usr/bin/python3 bench/solver/run_bench.py cities --no-about "$@"
    else
      echo "The tables of places left out: /usr/bin/python3 lacks NumPy or SciPy."
    fi
    echo
    echo "## --sparse"
    echo
    python3 bench/sparse_bench.py
    echo
    echo "## The coverage curve and the fewest centres"
    echo
    python3 bench/curve_bench.py
    if /usr/bin/python3 -c "import numpy, scipy" 2>/dev/null; then
      python3 bench/curve_bench.py --target
    fi
  fi
  echo "All of it took $(( $(date +%s) - started )) s."
} | tee "$partial"
mv "$partial" bench/results/LATEST.md
trap - EXIT
