#!/bin/sh
# Runs one fuzzer as a test: FOUND is where the inputs it finds go (emptied
# first when FRESH is 1), and it gets a scratch folder of its own, in memory
# where there is some, removed afterwards whatever the outcome (libFuzzer
# ends at a fault without running exit handlers).
#
#   run-fuzzer.sh FOUND FRESH FUZZER [ARG...]
set -u
found=$1 fresh=$2
shift 2
[ "$fresh" = 1 ] && rm -rf "$found"
mkdir -p "$found" || exit 1
base=/dev/shm
[ -d "$base" ] || base=${TMPDIR:-/tmp}
ZARN_FUZZ_SCRATCH=$(mktemp -d "$base/zarn-fuzz-XXXXXX") || exit 1
export ZARN_FUZZ_SCRATCH
"$@"
status=$?
rm -rf "$ZARN_FUZZ_SCRATCH"
exit "$status"
