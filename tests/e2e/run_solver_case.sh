#!/usr/bin/env bash
# Runs one end-to-end case of the solver program on its own: a copy of the
# built program in a fresh working directory holding the case's input files,
# then compares status, standard output and files with the expectations.
#
# A case folder holds:
#   args             optional; the command-line arguments (one line)
#   in/              files copied into the working directory first
#   setup.sh         optional; run in the working directory before the program
#   expected/, present, absent   what the run must leave (see expect.sh)
# Standard error must stay empty.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$1
case_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/tool"
cp "$program" "$work/tool/solver"
[ -d "$case_dir/in" ] && cp -R "$case_dir/in/." "$work/run/"

cd "$work/run"
[ -f "$case_dir/setup.sh" ] && bash "$case_dir/setup.sh"
args=$(cat "$case_dir/args" 2>/dev/null || true)
# shellcheck disable=SC2086
"$work/tool/solver" $args >"$work/stdout" 2>"$work/stderr" </dev/null
status=$?

stderr_allowed=0
source "$here/expect.sh"
