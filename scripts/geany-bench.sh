#!/usr/bin/env bash
# Runs the Geany bridge's benchmark plugin (zeb-geany-bench, bench/geany) inside a real Geany on
# an X display of its own, with a configuration folder and user folders of its own, and writes the
# plugin's results (Google Benchmark's JSON) to OUTPUT. scripts/bench.sh calls it.
#
#   scripts/geany-bench.sh PLUGIN OUTPUT [REPETITIONS]
set -euo pipefail
plugin=$(realpath "$1")
out=$2
repetitions=${3:-3}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it once it serves.
Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "geany-bench: Xvfb did not start" >&2; exit 1; }
display=:$(head -n1 "$work/display")

mkdir -p "$work/config" "$work/data"
printf '[plugins]\nload_plugins=true\ncustom_plugin_path=%s\nactive_plugins=%s;\n' \
  "$(dirname "$plugin")" "$plugin" >"$work/config/geany.conf"
DISPLAY=$display XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/data" NO_AT_BRIDGE=1 \
  ZEB_GEANY_BENCH_OUT="$work/results.json" ZEB_GEANY_BENCH_REPETITIONS="$repetitions" \
  geany -c "$work/config" -i -s >"$work/geany.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do [ -f "$work/results.json" ] && break; sleep 1; done
[ -f "$work/results.json" ] || { cat "$work/geany.log" >&2; echo "geany-bench: no results" >&2; exit 1; }
cp "$work/results.json" "$out"
