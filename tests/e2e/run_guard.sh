#!/usr/bin/env bash
# Real-process checks of what guards a run: signals sent to mclp or to the
# solver program, and one run per folder. Each case starts the programs in a
# fresh folder, acts on the running processes, and checks statuses, time
# taken, the processes left and the files left.
#
#   run_guard.sh CASE MCLP SOLVER
set -u
case_name=$1
tool=$(realpath "$2")
solver=$(realpath "$3")
work=$(mktemp -d)
pids=()
# Whatever a failed check leaves running is stopped here.
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# Background jobs get their own process group and keep SIGINT, as under an
# interactive shell.
set -m
mkdir -p "$work/run" "$work/bin"
cd "$work/run" || exit 2

failed=0
fail() { echo "FAIL: $*"; failed=1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Waits up to $2 seconds for the command $1 to succeed.
wait_for() {
  local deadline=$(($(now_ms) + $2 * 1000))
  until eval "$1"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

alive() { kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1")" != Z ]; }

# The matrix of the worked example; a run takes no time but the solver's.
write_small_instance() {
  printf '4 2 10\n9 7 30\n9 15\n11\n' >inst.txt
}

# A random connected network of $1 vertices, about five edges per vertex:
# slow enough that the real solver is still at work after seconds.
write_network() {
  awk -v n="$1" 'BEGIN {
    srand(7); m = 0
    for (v = 2; v <= n; ++v) e[++m] = v " " int(1 + rand() * (v - 1)) " " int(1 + rand() * 100)
    while (m < 5 * n) {
      a = int(1 + rand() * n); b = int(1 + rand() * n)
      if (a != b) e[++m] = a " " b " " int(1 + rand() * 100)
    }
    print n, m, 30, 40
    for (i = 1; i <= m; ++i) print e[i]
  }' >net.txt
}

# A stand-in solver: leaves a partial answer, then runs the given command
# (exec'd, so that it is the solver process itself).
stand_in() {
  printf '#!/bin/sh\nprintf "1 2" >solucao.txt.tmp\n%s\n' "$1" >"$work/bin/Corvadel.exe"
  chmod +x "$work/bin/Corvadel.exe"
}

real_solver() { ln -sf "$solver" "$work/bin/Corvadel.exe"; }

# A stand-in that answers only once asked to stop (SIGUSR1), $1 seconds
# later, as a real solver stopping slowly would: two centres, 1 and 2 (which
# leave vertex 4 out of the small instance), with no bound, for its one p
# or each p of its -P list. It leaves "stopping" when asked.
stopping_stand_in() {
  cat >"$work/bin/Corvadel.exe" <<PY
#!/usr/bin/env python3
import signal, sys, time
def answer(*_):
    open("stopping", "w").close()
    time.sleep($1)
    if "-P" in sys.argv:
        p = sys.argv[sys.argv.index("-P") + 1]
        with open("curva.txt", "w") as f:
            f.write("1\\n%s 0 0 0.5 0\\n0 1\\n9999999\\n" % p)
    with open("solucao.txt", "w") as f:
        f.write("0 0 0.5\\n9999999\\n1\\n0 1\\n")
    sys.exit(130)
signal.signal(signal.SIGUSR1, answer)
signal.pthread_sigmask(signal.SIG_UNBLOCK, [signal.SIGUSR1])
open("solucao.txt.tmp", "w").close()
time.sleep(60)
PY
  chmod +x "$work/bin/Corvadel.exe"
}

# Starts mclp in the background in the current folder; sets $tool_pid.
start_tool() {
  PATH="$work/bin:/usr/bin:/bin" "$tool" "$@" >"$work/stdout" 2>"$work/stderr" &
  tool_pid=$!
  pids+=("$tool_pid")
}

# The solver process mclp started; waits up to 20 s for it.
solver_of() {
  wait_for "pgrep -P $1 >/dev/null" 20 || return 1
  pgrep -P "$1"
}

# Sends signal $1 to $2 and waits for $3 to end; sets $status and $elapsed
# (milliseconds).
signal_and_wait() {
  local start
  start=$(now_ms)
  kill -s "$1" -- "$2"
  wait "$3" 2>/dev/null
  status=$?
  elapsed=$(($(now_ms) - start))
}

expect_status() { [ "$status" = "$1" ] || fail "status $status, expected $1"; }
# Ended within a second of the signal.
expect_prompt() { [ "$elapsed" -lt 1000 ] || fail "took ${elapsed} ms after the signal"; }
expect_gone() {
  [ -n "$1" ] || return
  # The kernel finishes a killed process asynchronously; half a second is
  # ample, and far shorter than the solver would need to write anything.
  wait_for "! alive $1" 1 || fail "solver $1 still running"
}
expect_absent() {
  for name in "$@"; do [ ! -e "$name" ] || fail "$name was left"; done
}
expect_no_report() { [ ! -s "$work/stdout" ] || fail "standard output: $(head -c 200 "$work/stdout")"; }

signal_number() { kill -l "$1"; }

# The report's first line, and the warning of a run stopped by Ctrl-C.
expect_stopped_report() {
  grep -q '^Vertices' "$work/stdout" || fail "no report: $(head -c 300 "$work/stdout")"
  grep -q '^aviso: interrompido' "$work/stderr" || fail "no warning: $(cat "$work/stderr")"
}

case $case_name in
  # A signal to mclp alone stops the solver it started; the partial answer
  # goes, and no report is printed. A first SIGINT only asks the solver to
  # stop, which this one does not: the second ends the run.
  signal_INT | signal_TERM | signal_HUP)
    sig=${case_name#signal_}
    write_small_instance
    stand_in 'exec sleep 60'
    start_tool -g inst.txt
    child=$(solver_of "$tool_pid") || fail "solver not started"
    wait_for "[ -e solucao.txt.tmp ]" 10 || fail "stand-in did not start"
    if [ "$sig" = INT ]; then
      kill -INT "$tool_pid"
      sleep 0.5
      alive "$tool_pid" || fail "mclp ended on the first SIGINT"
      alive "$child" || fail "the solver ended on the first SIGINT"
    fi
    signal_and_wait "$sig" "$tool_pid" "$tool_pid"
    expect_status $((128 + $(signal_number "$sig")))
    expect_prompt
    expect_gone "$child"
    expect_absent solucao.txt solucao.txt.tmp solucaoR.txt
    expect_no_report
    ;;
  # A solver that ignores the signal is killed after the grace time, still
  # within the second.
  signal_solver_ignores_it)
    write_small_instance
    stand_in "trap '' INT TERM HUP; exec sleep 60"
    start_tool -g inst.txt
    child=$(solver_of "$tool_pid") || fail "solver not started"
    wait_for "[ -e solucao.txt.tmp ]" 10 || fail "stand-in did not start"
    signal_and_wait TERM "$tool_pid" "$tool_pid"
    expect_status 143
    expect_prompt
    expect_gone "$child"
    expect_absent solucao.txt solucao.txt.tmp
    expect_no_report
    ;;
  # Stopped before any p tried reaches the target: the report is for every
  # site open.
  interrupt_target_before_answer)
    write_small_instance
    stopping_stand_in 0
    start_tool -g inst.txt --target-coverage 100
    child=$(solver_of "$tool_pid") || fail "solver not started"
    wait_for "[ -e solucao.txt.tmp ]" 10 || fail "stand-in did not start"
    signal_and_wait INT "$tool_pid" "$tool_pid"
    expect_status 130
    expect_prompt
    expect_stopped_report
    grep -q '^Facilidades       :     4$' "$work/stdout" || fail "not every site: $(cat "$work/stdout")"
    grep -q '^Menor p para 100.00% da demanda ([0-9]*): entre 0 e 4$' "$work/stdout" ||
      fail "no interval: $(cat "$work/stdout")"
    ;;
  # A second Ctrl-C while the solver is still stopping ends the run at once,
  # the solver with it, and nothing is left.
  interrupt_twice)
    write_small_instance
    stopping_stand_in 30
    start_tool -g inst.txt --csv r.csv
    child=$(solver_of "$tool_pid") || fail "solver not started"
    wait_for "[ -e solucao.txt.tmp ]" 10 || fail "stand-in did not start"
    kill -INT "$tool_pid"
    wait_for "[ -e stopping ]" 10 || fail "the solver was not asked to stop"
    alive "$tool_pid" || fail "mclp ended on the first SIGINT"
    signal_and_wait INT "$tool_pid" "$tool_pid"
    expect_status 130
    expect_prompt
    expect_gone "$child"
    expect_absent solucao.txt solucao.txt.tmp solucaoR.txt r.csv
    expect_no_report
    ;;
  # Before any solver: blocked opening an instance that is a pipe nobody
  # writes to.
  signal_while_reading)
    mkfifo inst.txt
    stand_in 'exit 0'
    start_tool -g inst.txt
    sleep 1
    alive "$tool_pid" || fail "mclp ended before the signal"
    signal_and_wait INT "$tool_pid" "$tool_pid"
    expect_status 130
    expect_prompt
    expect_absent pmeddata.dat pmedmtrx.dat solucaoR.txt
    expect_no_report
    ;;
  # Ctrl-C reaches the whole process group, with the real solver well into
  # its search: it stops at its best answer, which the run reports, result
  # files and all, for one p, a curve and a target. Twice, it ends the run
  # at once.
  interrupt_real_solver)
    write_network 1200
    real_solver
    for run in "" "--facilities 10:40:10" "--target-coverage 99"; do
      rm -f solucao.txt solucaoR.txt r.csv
      # shellcheck disable=SC2086
      start_tool -b net.txt --csv r.csv $run
      child=$(solver_of "$tool_pid") || fail "$run: solver not started"
      sleep 3
      # A target's search runs the solver once for each p it tries.
      [[ $run == --tar* ]] || alive "$child" || fail "$run: solver ended before the signal"
      start=$(now_ms)
      kill -INT -- "-$tool_pid"
      wait "$tool_pid"
      status=$?
      elapsed=$(($(now_ms) - start))
      expect_status 130
      expect_gone "$child"
      [ "$elapsed" -lt 5000 ] || fail "$run: stopped ${elapsed} ms after the signal"
      expect_stopped_report
      [ -s solucaoR.txt ] && [ -s r.csv ] || fail "$run: no solucaoR.txt or result file"
      case $run in
        --fac*) grep -q '^Curva de cobertura' "$work/stdout" || fail "no curve" ;;
        --tar*) grep -q '^Menor p para' "$work/stdout" || fail "no target line" ;;
      esac
    done
    ;;
  # kill -9 of mclp alone: the solver goes with it and writes nothing later.
  kill_tool_outright)
    write_network 1200
    real_solver
    start_tool -b net.txt
    child=$(solver_of "$tool_pid") || fail "solver not started"
    sleep 2
    signal_and_wait KILL "$tool_pid" "$tool_pid"
    expect_status 137
    expect_gone "$child"
    sleep 2
    expect_absent solucao.txt solucao.txt.tmp solucaoR.txt
    ;;
  # The solver program alone, three seconds in: past its short search, in
  # the branch and cut, whose library would otherwise finish normally.
  # SIGTERM and SIGHUP end it at once with nothing written; a first SIGINT,
  # or SIGUSR1, stops it at its best answer, written whole. (A second SIGINT
  # cannot be timed here to land while the solver is still stopping: two
  # sent at once are one.)
  solver_interrupted_in_branch_and_cut)
    write_network 1200
    stand_in 'exit 0'
    PATH="$work/bin:/usr/bin:/bin" "$tool" -b net.txt >/dev/null
    [ -s pmeddata.dat ] || fail "no solver input"
    for sig in TERM HUP INT USR1; do
      rm -f solucao.txt
      "$solver" -T 0.2 -t 30 >"$work/solver.out" 2>&1 &
      child=$!
      pids+=("$child")
      sleep 3
      alive "$child" || fail "solver ended before the signal"
      signal_and_wait "$sig" "$child" "$child"
      case $sig in
        INT | USR1)
          expect_status 130
          grep -q ' 9999999 ' <(tr '\n' ' ' <solucao.txt) || fail "$sig: no whole answer"
          grep -q '^Corvadel:' "$work/solver.out" || fail "$sig: no summary line"
          ;;
        *)
          expect_status $((128 + $(signal_number "$sig")))
          expect_absent solucao.txt
          [ ! -s "$work/solver.out" ] || fail "solver printed: $(cat "$work/solver.out")"
          ;;
      esac
      expect_prompt
      expect_absent solucao.txt.tmp
    done
    ;;
  # A second run in a folder in use fails at once and touches nothing; a run
  # in another folder is not held up; the folder is free again afterwards.
  lock_one_run_per_folder)
    write_small_instance
    printf '25 21 30 40\n' >demanda.txt
    stand_in 'exec sleep 60'
    start_tool -a inst.txt
    first=$tool_pid
    child=$(solver_of "$first") || fail "solver not started"
    wait_for "[ -e solucao.txt.tmp ]" 10 || fail "stand-in did not start"
    before=$(cat pmeddata.dat pmedmtrx.dat solucao.txt.tmp | md5sum)
    start=$(now_ms)
    PATH="$work/bin:/usr/bin:/bin" "$tool" -a inst.txt >"$work/second" 2>&1
    status=$?
    elapsed=$(($(now_ms) - start))
    expect_status 1
    [ "$elapsed" -lt 1000 ] || fail "second run took ${elapsed} ms"
    printf '\n>>> Pasta de trabalho em uso por outra execucao' | cmp -s - "$work/second" ||
      fail "second run said: $(cat "$work/second")"
    [ "$(cat pmeddata.dat pmedmtrx.dat solucao.txt.tmp | md5sum)" = "$before" ] ||
      fail "second run touched the first run's files"
    expect_absent solucaoR.txt
    alive "$child" || fail "first run's solver ended"
    # Another folder, with a solver that answers at once.
    mkdir "$work/other" "$work/other/bin"
    cp inst.txt demanda.txt "$work/other/"
    printf '#!/bin/sh\nprintf "0 9999999 7 2 0" >solucao.txt\n' >"$work/other/bin/Corvadel.exe"
    chmod +x "$work/other/bin/Corvadel.exe"
    (cd "$work/other" && PATH="$work/other/bin:/usr/bin:/bin" "$tool" -a inst.txt >"$work/third" 2>&1) ||
      fail "run in another folder failed: $(cat "$work/third")"
    signal_and_wait TERM "$first" "$first"
    expect_status 143
    stand_in 'printf "0 9999999 7 2 0" >solucao.txt'
    PATH="$work/bin:/usr/bin:/bin" "$tool" -a inst.txt >"$work/fourth" 2>&1 ||
      fail "folder still locked: $(cat "$work/fourth")"
    ;;
  # The kernel drops the lock of a run killed outright.
  lock_released_by_kill)
    write_small_instance
    stand_in 'exec sleep 60'
    start_tool -g inst.txt
    child=$(solver_of "$tool_pid") || fail "solver not started"
    signal_and_wait KILL "$tool_pid" "$tool_pid"
    expect_gone "$child"
    stand_in 'printf "0 9999999 7 2 0" >solucao.txt'
    PATH="$work/bin:/usr/bin:/bin" "$tool" -g inst.txt >"$work/next" 2>&1 ||
      fail "folder still locked: $(cat "$work/next")"
    ;;
  # With --workdir the lock is on the folder named, whichever folder the runs
  # start from; the folder a run starts from is free for a run of its own.
  lock_workdir)
    write_small_instance
    printf '25 21 30 40\n' >demanda.txt
    stand_in 'exec sleep 60'
    start_tool --workdir "$work/shared" -a inst.txt
    first=$tool_pid
    solver_of "$first" >/dev/null || fail "solver not started"
    wait_for "[ -e '$work/shared/solucao.txt.tmp' ]" 10 ||
      fail "the solver does not run in the folder named"
    mkdir "$work/elsewhere"
    cp inst.txt demanda.txt "$work/elsewhere/"
    (cd "$work/elsewhere" &&
      PATH="$work/bin:/usr/bin:/bin" "$tool" --workdir ../shared -a inst.txt >"$work/second" 2>&1)
    status=$?
    expect_status 1
    printf '\n>>> Pasta de trabalho em uso por outra execucao' | cmp -s - "$work/second" ||
      fail "second run said: $(cat "$work/second")"
    stand_in 'printf "0 9999999 7 2 0" >solucao.txt'
    PATH="$work/bin:/usr/bin:/bin" "$tool" -a inst.txt >"$work/third" 2>&1 ||
      fail "the starting folder is locked too: $(cat "$work/third")"
    signal_and_wait TERM "$first" "$first"
    expect_status 143
    ;;
  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
exit $failed
