#!/usr/bin/env bash
# Fault soak: scans through `zavo-driver scan --port` against `zavo-apparatus-sim`, each with one
# fault injected through the simulator's control FIFO while the counted sweep runs, and a table of
# what came of them: exit codes, sweep steps the apparatus sent, points saved, points lost, partial
# scans that exited 0, and hangs (no exit within the time-out). Then the same faults through the
# windows (offscreen, `zavo-soak-windows`): what the window's status said, the points the live scan
# kept, partial scans the status showed as complete, and hangs. Not part of the quick tests.
#
# Usage: scripts/soak.sh [RUNS] [FAULT...]   (default 20 runs of every fault; build/ must be built)
#   faults: none stray silence-end silence-hole halt sigint-early bad-out unplug garbage cut
#           noise-block silence-repos setup-stall sigterm sighup sigquit sigint-twice pipe-closed
#           sigint-handshake
#   (sigint-early, bad-out, silence-repos, setup-stall, pipe-closed and sigint-handshake concern the
#   command line only)
#   noise-block: an 'x' out of turn and 64 random bytes (what a configuration block looks like);
#   silence-repos: a second of silence over the end of the move between two regions;
#   setup-stall: 300 ms of silence while the settings are taken, before the scan.
# The "memory" column counts the runs by the apparatus's configuration memory (arm range in steps)
# before and after the run: "100..2400>100..2400" is unchanged.
# The columns hv-on and open count the runs that left the apparatus with its high voltage on, and
# with its session open (no shutdown sequence ending in '!'), as the simulator reports at its end.
# Environment: SOAK_SCALE (simulator time scale, default 10), SOAK_TIMEOUT (seconds, default 30),
# SOAK_WINDOW_RUNS (runs through the windows per fault, default 5; 0 skips them), SOAK_DRIVER,
# SOAK_SIM and SOAK_WINDOWS (the programs), SOAK_KEEP=1 keeps the work folder.
set -uo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
[ $# -gt 0 ] && shift
faults=("$@")
[ ${#faults[@]} -eq 0 ] && faults=(none stray silence-end silence-hole halt sigint-early bad-out unplug garbage cut
  noise-block silence-repos setup-stall sigterm sighup sigquit sigint-twice pipe-closed sigint-handshake)
scale=${SOAK_SCALE:-10}
timeout=${SOAK_TIMEOUT:-30}
driver=${SOAK_DRIVER:-build/app/zavo-driver}
sim=${SOAK_SIM:-build/simulator/zavo-apparatus-sim}
windows=${SOAK_WINDOWS:-build/tests/app/zavo-soak-windows}
window_runs=${SOAK_WINDOW_RUNS:-5}
expected=101 # 30.00 .. 35.00 degrees in 0.05-degree steps
programs=("$driver" "$sim")
[ "$window_runs" -gt 0 ] && programs+=("$windows")
for program in "${programs[@]}"; do
  [ -x "$program" ] || { echo "soak: $program is missing; build first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/zavo-soak-XXXXXX)
[ -z "${SOAK_KEEP:-}" ] && trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen

# Waits until FILE holds TEXT (up to SECONDS); false when it never does.
wait_for() {
  local file=$1 text=$2 limit=$3 t=0
  until grep -q "$text" "$file" 2>/dev/null; do
    sleep 0.01
    t=$((t + 1))
    [ $t -ge $((limit * 100)) ] && return 1
  done
  return 0
}

# Until the apparatus has sent the first sweep step (asked through the control FIFO); false when
# the driver (process DRIVER) has ended first.
wait_for_sweep() {
  local dir=$1 limit=$2 driverpid=$3 t=0
  while [ $t -lt $((limit * 20)) ] && kill -0 "$driverpid" 2>/dev/null; do
    echo steps >"$dir/faults"
    sleep 0.05
    [ "$(sed -n 's/.*sweep steps sent: \([0-9]*\).*/\1/p' "$dir/sim.err" | tail -1)" -gt 0 ] 2>/dev/null && return 0
    t=$((t + 1))
  done
  return 1
}

# Starts the simulator for one run in DIR with SEED; sets simpid. False when it never came up.
start_sim() {
  local dir=$1 seed=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  "$sim" --time-scale "$scale" --seed "$seed" --link "$dir/port" --control "$dir/faults" \
    </dev/null >/dev/null 2>"$dir/sim.err" &
  simpid=$!
  wait_for "$dir/sim.err" "Ctrl+C ends" 10 || { kill $simpid; wait $simpid 2>/dev/null; return 1; }
}

# The regions a fault's scan covers: two far apart for the silence while the arm moves between
# them (51 + 50 points, as many as the one region of the others).
fault_regions() {
  case $1 in
    silence-repos) echo "--roi 30:32.5 --roi 100:102.45" ;;
    *) echo "--roi 30:35" ;;
  esac
}

# The arm range the configuration memory of the apparatus in DIR holds ("100..2400").
memory_of() {
  local dir=$1 before
  before=$(grep -c 'configuration memory:' "$dir/sim.err")
  echo config >"$dir/faults"
  for _ in $(seq 100); do
    [ "$(grep -c 'configuration memory:' "$dir/sim.err")" -gt "$before" ] && break
    sleep 0.02
  done
  sed -n 's/.*configuration memory:.*arm range \([0-9.]*\).*/\1/p' "$dir/sim.err" | tail -1
}

# The faults that do not wait for the sweep: true when FAULT was one of them (and is injected).
inject_early() {
  local fault=$1 dir=$2 pid=$3
  case $fault in
    setup-stall)
      wait_for "$dir/driver.out" "arm range" "$timeout" && echo "silence 300" >"$dir/faults" ;;
    silence-repos)
      wait_for "$dir/driver.out" "Repositioning to 100.00" "$timeout" && sleep 0.3 &&
        echo "silence 1000" >"$dir/faults" ;;
    *) return 1 ;;
  esac
  return 0
}

# Once the sweep runs, injects FAULT into the apparatus in DIR (or into the client PID).
inject() {
  local fault=$1 dir=$2 pid=$3
  inject_early "$fault" "$dir" "$pid" && return
  # Ctrl+C while the program connects: before the sweep, during the handshake.
  [ "$fault" = sigint-handshake ] && { sleep 0.15; kill -INT "$pid"; return; }
  wait_for_sweep "$dir" "$timeout" "$pid" || return
  case $fault in
    stray) sleep 0.3; echo stray >"$dir/faults" ;;
    silence-end) sleep 0.5; echo "silence 3000" >"$dir/faults" ;;
    silence-hole) sleep 0.2; echo "silence 300" >"$dir/faults" ;;
    halt) sleep 0.5; echo halt >"$dir/faults" ;;
    sigint-early) sleep 0.01; kill -INT "$pid" ;;
    unplug) sleep 0.5; echo unplug >"$dir/faults"; sleep 1; echo replug >"$dir/faults" ;;
    garbage) sleep 0.5; echo "garbage 40" >"$dir/faults" ;;
    cut) sleep 0.5; echo cut >"$dir/faults" ;;
    noise-block) sleep 0.3; printf 'stray 120\ngarbage 64\n' >"$dir/faults" ;;
    sigterm) sleep 0.5; kill -TERM "$pid" ;;
    sighup) sleep 0.5; kill -HUP "$pid" ;;
    sigquit) sleep 0.5; kill -QUIT "$pid" ;;
    sigint-twice) sleep 0.5; kill -INT "$pid"; sleep 0.03; kill -INT "$pid" ;;
  esac
}

# Waits for the client PID to end (up to the time-out); sets client_code to its exit code, or to
# "hang" after stopping it. (Not in a subshell: only this shell may wait for its children.)
wait_client() {
  local pid=$1 t=0
  while kill -0 "$pid" 2>/dev/null && [ $t -lt $((timeout * 10)) ]; do
    sleep 0.1
    t=$((t + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -INT "$pid"
    sleep 5
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    client_code=hang
  else
    wait "$pid"
    client_code=$?
  fi
}

# Ends the simulator of a run; sets sim_sent to the sweep steps it sent whole, sim_left to how the
# apparatus was left: "HV-SESSION" (HV on or off, session ended or open).
stop_sim() {
  local dir=$1
  kill -TERM $simpid
  wait $simpid
  sim_sent=$(sed -n 's/.*sweep steps sent: \([0-9]*\).*/\1/p' "$dir/sim.err" | tail -1)
  sim_sent=${sim_sent:-0}
  sim_left=$(sed -n 's/.*left with HV \([a-z]*\), session \([a-z]*\).*/\1-\2/p' "$dir/sim.err" | tail -1)
  sim_left=${sim_left:-unknown-unknown}
}

# One scan with one fault. Prints: exit-code sent saved memory (exit code "hang" when it never
# ended; memory: the arm range in the configuration memory before and after, "A..B>C..D").
one_run() {
  local fault=$1 seed=$2 dir=$work/run
  start_sim "$dir" "$seed" || { echo "nosim 0 0 -"; return; }
  local out=$dir/scan.rtg memory
  [ "$fault" = bad-out ] && out=$dir/missing-folder/scan.rtg
  memory=$(memory_of "$dir")
  if [ "$fault" = pipe-closed ]; then
    # Standard output into a reader that goes away after the first line (`... | head -1`).
    # shellcheck disable=SC2046 # the regions are separate words
    "$driver" scan --port "$dir/port" $(fault_regions "$fault") --time 0.1 --out "$out" \
      > >(head -1 >"$dir/driver.out") 2>"$dir/driver.err" </dev/null &
  else
    # shellcheck disable=SC2046 # the regions are separate words
    "$driver" scan --port "$dir/port" $(fault_regions "$fault") --time 0.1 --out "$out" \
      >"$dir/driver.out" 2>"$dir/driver.err" </dev/null &
  fi
  local drvpid=$!
  inject "$fault" "$dir" $drvpid
  local saved=0 file
  wait_client $drvpid
  memory+=">$(memory_of "$dir")"
  stop_sim "$dir"
  # Where the points went: the --out file, or the place the driver names when it could not write it.
  file=$out
  [ -f "$file" ] || file=$(sed -n 's/.*points were written to \(.*\) instead.*/\1/p' "$dir/driver.err" | tail -1)
  if [ -n "$file" ] && [ -f "$file" ]; then
    saved=$("$driver" info "$file" 2>/dev/null | sed -n 's/.*"validCells": \([0-9]*\).*/\1/p')
  fi
  echo "$client_code $sim_sent ${saved:-0} $sim_left $memory"
}

# One scan through the windows with one fault. Prints: outcome sent kept, the outcome being
# "complete" or "incomplete" as the window's status reports the ended scan, "hang" when the scan
# or the program never ended, "nostart" when the windows found no apparatus.
one_window_run() {
  local fault=$1 seed=$2 dir=$work/run
  start_sim "$dir" "$seed" || { echo "nosim 0 0 -"; return; }
  local memory
  memory=$(memory_of "$dir")
  "$windows" --port "$dir/port" --roi 30:35 --time 0.1 --limit "$timeout" \
    >"$dir/windows.out" 2>"$dir/windows.err" </dev/null &
  local pid=$!
  inject "$fault" "$dir" $pid
  local line outcome kept
  wait_client $pid
  memory+=">$(memory_of "$dir")"
  stop_sim "$dir"
  line=$(grep '^ended=' "$dir/windows.out" | tail -1)
  kept=$(sed -n 's/.* points=\([0-9]*\).*/\1/p' <<<"$line")
  case "$client_code:$line" in
    hang:* | *ended=no*) outcome=hang ;;
    *complete=yes*) outcome=complete ;;
    *complete=no*) outcome=incomplete ;;
    *) outcome=nostart ;;
  esac
  echo "$outcome $sim_sent ${kept:-0} $sim_left $memory"
}

# One table: every fault run COUNT times by RUN (one_run or one_window_run), whose first word is
# the outcome; a partial scan passes for complete when that outcome is COMPLETE. FAULT... follow.
tabulate() {
  local run=$1 count=$2 complete=$3 heading=$4
  shift 4
  printf "%-16s %4s  %-26s %6s %6s %5s %8s %5s %5s %5s  %s\n" fault runs "$heading" sent kept lost partial0 hangs \
    hv-on open memory
  local fault i outcome sent kept left memory
  for fault in "$@"; do
    declare -A outcomes=() memories=()
    local sent_total=0 kept_total=0 lost=0 partial=0 hangs=0 hv_on=0 open=0 summary="" memory_summary="" c
    for ((i = 1; i <= count; i++)); do
      read -r outcome sent kept left memory < <("$run" "$fault" "$i")
      [[ $left == on-* ]] && hv_on=$((hv_on + 1))
      [[ $left == *-open ]] && open=$((open + 1))
      outcomes[$outcome]=$((${outcomes[$outcome]:-0} + 1))
      memories[$memory]=$((${memories[$memory]:-0} + 1))
      sent_total=$((sent_total + sent))
      kept_total=$((kept_total + kept))
      [ "$kept" -lt "$sent" ] && lost=$((lost + sent - kept))
      [ "$outcome" = "$complete" ] && [ "$kept" -lt "$expected" ] && partial=$((partial + 1))
      [ "$outcome" = hang ] && hangs=$((hangs + 1))
    done
    for c in $(printf "%s\n" "${!outcomes[@]}" | sort); do summary+="$c:${outcomes[$c]} "; done
    for c in $(printf "%s\n" "${!memories[@]}" | sort); do memory_summary+="$c:${memories[$c]} "; done
    printf "%-16s %4d  %-26s %6d %6d %5d %8d %5d %5d %5d  %s\n" "$fault" "$count" "$summary" "$sent_total" \
      "$kept_total" "$lost" "$partial" "$hangs" "$hv_on" "$open" "$memory_summary"
    unset outcomes memories
  done
}

echo "Command line (zavo-driver scan --port): exit codes, points saved"
tabulate one_run "$runs" 0 "exit codes" "${faults[@]}"
if [ "$window_runs" -gt 0 ]; then
  window_faults=()
  for fault in "${faults[@]}"; do
    case $fault in
      sigint-early | bad-out | silence-repos | setup-stall | pipe-closed | sigint-handshake) ;;
      *) window_faults+=("$fault") ;;
    esac
  done
  if [ ${#window_faults[@]} -gt 0 ]; then
    echo
    echo "Windows (offscreen): the status after the scan, points kept in the live scan"
    tabulate one_window_run "$window_runs" complete "window status" "${window_faults[@]}"
  fi
fi
