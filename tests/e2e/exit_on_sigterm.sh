#!/usr/bin/env bash
# Starts the real program on a virtual mouse that answers "busy" for ever, ends it with
# SIGTERM while it is inside the busy read, and checks that it exits 0 promptly: a mouse that
# never answers must not hold the close.
#   exit_on_sigterm.sh <DeviceDriver> [cable|receiver]
# The start-up wait is a precondition, not the measure; the exit is allowed a generous 3 s
# (the program's own bound is one second), since this asks "does it hang", not "how fast".
set -euo pipefail
program=$(realpath "$1")
attachment=${2:-cable}

fail() { echo "FAILED: $*"; exit 1; }

tmp=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
mkdir -p "$tmp/home" "$tmp/run" "$tmp/wd"
chmod 700 "$tmp/run"

cd "$tmp/wd"
env HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/home/.config" \
  XDG_DATA_HOME="$tmp/home/.local/share" QT_QPA_PLATFORM=offscreen GSETTINGS_BACKEND=memory \
  XDG_CURRENT_DESKTOP= ASAN_OPTIONS=detect_leaks=0 \
  "$program" "--simulate=K7 Mouse:$attachment" --sim-busy >"$tmp/out.log" 2>&1 &
pid=$!

# Wait until the busy mouse has been asked (a read retried on a cable; through the receiver
# the online query answered busy), at most 30 s for start-up.
busy="DriverComm::GetFeatureReport: Retry|EC_CMD_RSP_WAIT"
for _ in $(seq 300); do
  if grep -Eqs "$busy" VexMouse_*.log; then break; fi
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/out.log"; fail "the program ended before the busy read"; }
  sleep 0.1
done
grep -Eqs "$busy" VexMouse_*.log ||
  { cat "$tmp/out.log"; fail "no busy read seen in the trace log"; }

start=$(date +%s%N)
kill -TERM "$pid"
status=0
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$pid" 2>/dev/null; then
  fail "still running 5 s after SIGTERM"
fi
wait "$pid" || status=$?
pid=
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "exit status $status after ${elapsed_ms} ms"
[ "$status" -eq 0 ] || { cat "$tmp/out.log"; fail "exit status $status"; }
[ "$elapsed_ms" -lt 3000 ] || fail "exit took ${elapsed_ms} ms"
# The close routine waits at most a second for the worker; it must not need all of it.
if grep -qs "Worker did not stop within its time" VexMouse_*.log; then
  fail "the worker did not stop within the close routine's wait"
fi
echo "PASSED"
