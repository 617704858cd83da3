#!/bin/sh
# Runs the fuzzer for a bounded time on a fresh copy of its seed corpus, so that the inputs it
# adds never land in the source tree. Usage: run-fuzzer.sh FUZZER SEEDS WORKDIR SECONDS
set -eu
fuzzer=$1 seeds=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/"
# A finding exits with 1: libFuzzer's own default, 77, is the code CTest takes for "skipped".
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -error_exitcode=1 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus"
