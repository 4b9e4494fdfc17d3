#!/bin/sh
# run-fuzzer.sh FUZZER SEEDS CORPUS ARTIFACTS SECONDS: runs a libFuzzer harness for SECONDS on a
# working corpus CORPUS started from the committed SEEDS; a crash's input lands in ARTIFACTS.
set -eu
fuzzer=$1 seeds=$2 corpus=$3 artifacts=$4 seconds=$5
mkdir -p "$corpus" "$artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus" "$seeds"
