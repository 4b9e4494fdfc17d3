#!/usr/bin/env bash
# zeb-trace as a user runs it: a viewer in the background, "send" from the shell, a second
# viewer, messages that cannot be sent, a stopped viewer, a bad option, Ctrl+C.
# Usage: zeb_trace_cli_test.sh PATH/TO/zeb-trace [RUNNER]
# RUNNER runs the program (cmake/wine-run.sh for zeb-trace.exe); it must keep the exit status and
# pass SIGINT on, and its process group (its pid) holds the program.
set -euo pipefail
bin=$1
runner=${2:-}
dir=$(mktemp -d)
chmod 700 "$dir"
viewer=""
cleanup() {
  if [ -n "$viewer" ]; then kill "$viewer" 2>/dev/null || true; fi
  rm -rf "$dir"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in stdout stderr; do echo "--- viewer $f" >&2; cat "$dir/$f" >&2 || true; done
  exit 1
}
export XDG_RUNTIME_DIR=$dir
zeb_trace() { ${runner:+"$runner"} "$bin" "$@"; }
# Stops or continues the viewer: the program, or the runner's whole process group.
pause_viewer() { if [ -n "$runner" ]; then kill "$1" -- "-$viewer"; else kill "$1" "$viewer"; fi; }

${runner:+"$runner"} "$bin" --grep '^keep' --output "$dir/out.log" >"$dir/stdout" 2>"$dir/stderr" </dev/null &
viewer=$!
for _ in $(seq 1 1000); do
  grep -q "listening on" "$dir/stderr" && break
  sleep 0.01
done
grep -q "listening on" "$dir/stderr" || fail "the viewer never said it was listening"

if zeb_trace 2>"$dir/second"; then fail "a second viewer started"; fi
grep -q "already running" "$dir/second" || fail "second viewer: $(cat "$dir/second")"

zeb_trace send 'keep x=%d %s %.1f' 5 $'a\tb' 2.25
zeb_trace send 'dropped by --grep %d' 1
# Not sent, each for its reason: a non-zero status and one line saying why.
expect_refusal() { # STATUS TEXT ARGS...
  local want=$1 text=$2 status=0
  shift 2
  zeb_trace "$@" 2>"$dir/err" || status=$?
  [ "$status" -eq "$want" ] || fail "$* exited with $status, not $want"
  grep -q -- "$text" "$dir/err" || fail "$*: $(head -c 300 "$dir/err")"
  [ "$(wc -l <"$dir/err")" -eq 1 ] || fail "$*: more than one line: $(head -c 300 "$dir/err")"
}
expect_refusal 2 'argument 1 ("abc") is not an integer' send 'x=%d' abc
expect_refusal 2 'longer than 67108864 bytes' send "$(printf '%%0:1048576d%.0s' $(seq 65))" 1
expect_refusal 2 'not expected: --bogus (see zeb-trace --help)' --bogus

# A stopped viewer costs a sender its 2 s bound, not more (10 s allows for a loaded machine).
pause_viewer -STOP
start=$(date +%s%N)
expect_refusal 1 'message not sent: the viewer did not answer in time' send 'stalled %d' 1
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
pause_viewer -CONT
[ "$elapsed_ms" -lt 10000 ] || fail "the sender waited ${elapsed_ms} ms on a stopped viewer"

kill -INT "$viewer"
status=0
wait "$viewer" || status=$?
viewer=""
[ "$status" -eq 0 ] || fail "the viewer exited with $status after Ctrl+C"
grep -q "^zeb-trace: stopped$" "$dir/stderr" || fail "the viewer did not stop cleanly on Ctrl+C"
[ ! -e "$dir/TFormTrace" ] || fail "the socket is still there after Ctrl+C"  # POSIX only
expect_refusal 1 'message not sent: no viewer is running' send 'x=%d' 5

# send returns after the viewer has handled the message, so both lines are written by now.
grep -Eq '^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} \[[0-9]+ zeb-trace\] keep x=5 a\\tb 2\.3\|0\|\.\|\.\|\.$' \
  "$dir/stdout" || fail "the message line is not as expected"
[ "$(wc -l <"$dir/stdout")" -eq 1 ] || fail "--grep let another message through"
cmp -s "$dir/stdout" "$dir/out.log" || fail "--output differs from what was printed"
echo "zeb-trace command line: ok"
