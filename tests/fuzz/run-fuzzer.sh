#!/bin/sh
# run-fuzzer.sh FUZZER SEEDS WORK ARTIFACTS SECONDS: runs a libFuzzer harness for SECONDS on a
# working corpus WORK started from the committed SEEDS; a crash's input lands in ARTIFACTS.
set -eu
fuzzer=$1 seeds=$2 work=$3 artifacts=$4 seconds=$5
mkdir -p "$work" "$artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" "$seeds"
