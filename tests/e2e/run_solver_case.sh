#!/usr/bin/env bash
# Runs one end-to-end case of the solver program on its own: a copy of the
# built program in a fresh working directory holding the case's input files,
# then compares status, standard output and files with the expectations.
#
# A case folder holds:
#   args             optional; the command-line arguments (one line)
#   in/              files copied into the working directory first
#   setup.sh         optional; run in the working directory before the program
#   expected/status  the exit status
#   expected/stdout  optional; standard output, exactly
#   expected/<file>  a file the run leaves, exactly
#   present          optional; names of files that must exist afterwards
#                    (their content varies, e.g. with the time taken)
#   absent           optional; names of files that must not exist afterwards
# Standard error must stay empty.
set -u
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

failed=0
fail() { echo "FAIL: $*"; failed=1; }
expected_status=$(cat "$case_dir/expected/status")
[ "$status" = "$expected_status" ] || fail "status $status, expected $expected_status"
if [ -f "$case_dir/expected/stdout" ] && ! cmp -s "$work/stdout" "$case_dir/expected/stdout"; then
  fail "standard output differs"
  diff <(od -c "$case_dir/expected/stdout") <(od -c "$work/stdout") | head -20
fi
if [ -s "$work/stderr" ]; then
  fail "standard error is not empty:"; head -5 "$work/stderr"
fi
for expected in "$case_dir"/expected/*; do
  name=$(basename "$expected")
  case $name in status | stdout) continue ;; esac
  if [ ! -f "$name" ]; then
    fail "$name was not written"
  elif ! cmp -s "$name" "$expected"; then
    fail "$name differs"
    diff <(od -c "$expected") <(od -c "$name") | head -20
  fi
done
for list in present absent; do
  [ -f "$case_dir/$list" ] || continue
  while read -r name; do
    [ -n "$name" ] || continue
    if [ "$list" = present ] && [ ! -e "$name" ]; then
      fail "$name should exist"
    elif [ "$list" = absent ] && [ -e "$name" ]; then
      fail "$name should not exist"
    fi
  done <"$case_dir/$list"
done
exit $failed
