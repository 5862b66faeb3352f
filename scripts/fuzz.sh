#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each one in turn
# for the given number of seconds (default 60), one process at a time.
#
#   scripts/fuzz.sh [seconds] [target ...]
#
# New inputs that widen coverage go to a scratch corpus under the build
# folder, never into fuzz/corpus/, which stays small; a crash leaves its
# input under build-fuzz/findings/<target>/. Save such an input into
# fuzz/regressions/<target>/ once the fault is fixed, so that CTest replays it.
set -eu
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MCLP_FUZZ_BUILD:-$root/build-fuzz}
"$root/scripts/setup.sh" clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DMCLP_FUZZ=ON \
  -DMCLP_TESTS=OFF -DMCLP_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 1 >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for program in "$build"/fuzz_*; do
    [ -x "$program" ] && targets+=("${program##*/fuzz_}")
  done
fi

status=0
for name in "${targets[@]}"; do
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$work" "$findings"
  seeds=()
  for kind in corpus regressions; do
    [ -d "$root/fuzz/$kind/$name" ] && seeds+=("$root/fuzz/$kind/$name")
  done
  logs="$build/logs/$name"
  mkdir -p "$logs"
  rm -f "$logs"/fuzz-*.log
  echo "== $name: $seconds s"
  # One worker process: the machine is shared. With -jobs, libFuzzer writes
  # the worker's output to fuzz-0.log in the current folder.
  if ! (cd "$logs" && "$build/fuzz_$name" "$work" "${seeds[@]}" \
      -max_total_time="$seconds" -jobs=1 -workers=1 -rss_limit_mb=2048 \
      -timeout=10 -max_len=4096 -artifact_prefix="$findings/" \
      -print_final_stats=1 >/dev/null 2>&1); then
    echo "== $name: FAILED, inputs in $findings"
    status=1
  fi
  # The run's totals: executions, speed, coverage, and any crash report.
  grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|DONE|ERROR|SUMMARY" \
    "$logs"/fuzz-*.log 2>/dev/null | tail -6 || true
done
exit $status
