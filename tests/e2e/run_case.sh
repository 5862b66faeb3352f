#!/usr/bin/env bash
# Runs one end-to-end case: a copy of the built mclp in a fresh working
# directory, with a scripted stand-in solver, then compares status, standard
# output and files byte for byte with the case's expectations.
#
# A case folder holds:
#   args             the command-line arguments (one line; may be empty)
#   in/              files copied into the working directory first
#   setup.sh         optional; run in the working directory before the tool
#   solucao.txt      optional; what the stand-in solver writes
#   solver.sh        optional; the stand-in solver itself (instead of the above)
#   no-solver        optional; no solver program anywhere
#   solver-beside    optional; the stand-in lies beside mclp, not on PATH
#   expected/, present, absent, check.sh   what the run must leave (see
#                    expect.sh)
#   stderr-any       optional; standard error may hold anything (what a
#                    stand-in solver prints there)
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool=$1
case_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/bin" "$work/tool"
cp "$tool" "$work/tool/mclp"
[ -d "$case_dir/in" ] && cp -R "$case_dir/in/." "$work/run/"

solver_dir="$work/bin"
[ -e "$case_dir/solver-beside" ] && solver_dir="$work/tool"
if [ ! -e "$case_dir/no-solver" ]; then
  if [ -f "$case_dir/solver.sh" ]; then
    cp "$case_dir/solver.sh" "$solver_dir/Corvadel.exe"
  else
    printf '#!/bin/sh\n[ -f "%s" ] && cp "%s" solucao.txt\nexit 0\n' \
      "$case_dir/solucao.txt" "$case_dir/solucao.txt" >"$solver_dir/Corvadel.exe"
  fi
  chmod +x "$solver_dir/Corvadel.exe"
fi

cd "$work/run"
[ -f "$case_dir/setup.sh" ] && bash "$case_dir/setup.sh"
args=$(cat "$case_dir/args" 2>/dev/null || true)
# shellcheck disable=SC2086
PATH="$work/bin:/usr/bin:/bin" "$work/tool/mclp" $args >"$work/stdout" 2>"$work/stderr"
status=$?

stderr_allowed=0
[ -e "$case_dir/stderr-any" ] && stderr_allowed=1
source "$here/expect.sh"
