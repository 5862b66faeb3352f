# Compares a finished run with the expectations of its case folder; sourced
# by the case drivers, with the current directory the run's working
# directory. Uses $case_dir, $work (holding stdout and stderr), $status, and
# $stderr_allowed (1 when standard error may hold something). Exits with 0
# when everything matches.
#
#   expected/status  the exit status
#   expected/stdout  optional; standard output, exactly
#   expected/stderr  optional; standard error, exactly (the warnings)
#   expected/<file>  a file the run leaves, exactly
#   present          optional; files that must exist (content varies)
#   absent           optional; files that must not exist afterwards
#   check.sh         optional; run in the working directory with the path of
#                    the run's standard output; it fails the case when it
#                    fails (for files whose bytes are not fixed, read back by
#                    the programs a user would read them with)
failed=0
fail() { echo "FAIL: $*"; failed=1; }
expected_status=$(cat "$case_dir/expected/status")
[ "$status" = "$expected_status" ] || fail "status $status, expected $expected_status"
if [ -f "$case_dir/expected/stdout" ] && ! cmp -s "$work/stdout" "$case_dir/expected/stdout"; then
  fail "standard output differs"
  diff <(od -c "$case_dir/expected/stdout") <(od -c "$work/stdout") | head -20
fi
if [ -f "$case_dir/expected/stderr" ]; then
  if ! cmp -s "$work/stderr" "$case_dir/expected/stderr"; then
    fail "standard error differs:"
    diff "$case_dir/expected/stderr" "$work/stderr" | head -10
  fi
elif [ "$stderr_allowed" != 1 ] && [ -s "$work/stderr" ]; then
  fail "standard error is not empty:"
  head -5 "$work/stderr"
fi
for expected in "$case_dir"/expected/*; do
  name=$(basename "$expected")
  case $name in status | stdout | stderr) continue ;; esac
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
if [ -f "$case_dir/check.sh" ] && ! bash "$case_dir/check.sh" "$work/stdout"; then
  fail "check.sh failed"
fi
exit $failed
