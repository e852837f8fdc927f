#!/usr/bin/env bash
# Instructions per call of four Regedit calls and of the raw SQLite floors
# they are measured against, counted by callgrind, and their ratios:
#   operation  instructions  floor_instructions  floor  ratio
# Instruction counts do not depend on what else the machine runs, so this
# is the comparison to make on a shared machine; they leave out time spent
# in the kernel (file locks, writes, syncs), which bench/compare.sh's times
# include.
#
#   bash bench/count-registry.sh [NATIVE_BUILD [ENTRIES]]
#
# ENTRIES (default 1000) picks the key size of the benchmarks' stores in
# $ZARNUTILS_BENCH_DIR.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
native=${1:-$here/../build/native}
entries=${2:-1000}
export ZARNUTILS_BENCH_DIR="${ZARNUTILS_BENCH_DIR:-/dev/shm/zarnutils-bench}"
command -v valgrind >/dev/null || { echo "count-registry.sh: valgrind is missing" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The floors' calls into SQLite: their loops do nothing else.
sqlite_calls=()
for function in sqlite3_bind_int64 sqlite3_bind_blob sqlite3_bind_text sqlite3_step \
  sqlite3_reset sqlite3_column_int64 sqlite3_column_blob sqlite3_column_text; do
  sqlite_calls+=("--toggle-collect=$function")
done

# count NAME PROGRAM BENCHMARK MIN_TIME TOGGLE...: counts inside the toggled
# functions of one benchmark.
count() {
  local name=$1 program=$2 benchmark=$3 time=$4
  shift 4
  valgrind --tool=callgrind --compress-strings=no --compress-pos=no \
    --callgrind-out-file="$work/$name" "$@" "$native/bench/$program" \
    --benchmark_filter="$benchmark/$entries\$" --benchmark_min_time="$time" >/dev/null 2>&1
}
total() { awk '/^summary:/ { print $2 }' "$work/$1"; }
# calls NAME FUNCTION: how often functions whose names begin with FUNCTION,
# lambdas inside them left out, were called. Only the beginning: an
# instantiation such as runPublicMethod<..., Regedit::ReadValue(...)::
# {lambda()#1}> names the method too, and counting it would halve the cost
# of a call.
calls() {
  awk -v f="cfn=$2" '/^cfn=/ { callee = $0; next }
    /^calls=/ { split($1, count, "="); if (index(callee, f) == 1 && !index(callee, "{lambda")) total += count[2] }
    END { print total + 0 }' "$work/$1"
}
# per NAME CALLS: instructions a call.
per() {
  awk -v t="$(total "$1")" -v c="$2" 'BEGIN { if (c == 0) exit 1; printf "%.0f\n", t / c }' || {
    echo "count-registry.sh: no calls counted in $1" >&2
    exit 1
  }
}

echo "registry: counting instructions under callgrind ..." >&2
count read_d registry_bench BM_ReadNumber 0.02 '--toggle-collect=zarn::Regedit::ReadValue*'
count read_s registry_bench BM_ReadText 0.02 '--toggle-collect=zarn::Regedit::ReadValue*'
# Writes run longer: a checkpoint of the log now and then is part of their cost.
count write registry_bench BM_WriteValue 0.3 '--toggle-collect=zarn::Regedit::WriteValue*'
# A listing of one run of one iteration, a row at a time.
count keys registry_bench BM_EnumKeys 0 '--toggle-collect=zarn::Regedit::EnumKeys*'
count lookup registry_floor_bench BM_FloorPointLookup 0.02 "${sqlite_calls[@]}"
count transaction registry_floor_bench BM_FloorWrite 0.3 "${sqlite_calls[@]}"
count walk registry_floor_bench BM_FloorSubKeyWalk 0 "${sqlite_calls[@]}"

steps() { calls "$1" 'sqlite3_step'; }
row() { # operation instructions floor_instructions floor
  awk -v o="$1" -v n="$2" -v f="$3" -v name="$4" \
    'BEGIN { printf "%s\t%s\t%s\t%s\t%.2f\n", o, n, f, name, n / f }'
}
lookup=$(per lookup "$(steps lookup)")
# BEGIN, the write and COMMIT are three steps.
transaction=$(per transaction "$(($(steps transaction) / 3))")
row "ReadValue D" "$(per read_d "$(calls read_d "zarn::Regedit::ReadValue(")")" "$lookup" "point lookup"
row "ReadValue S" "$(per read_s "$(calls read_s "zarn::Regedit::ReadValue(")")" "$lookup" "point lookup"
row "WriteValue" "$(per write "$(calls write "zarn::Regedit::WriteValue(")")" "$transaction" \
  "write transaction"
row "EnumKeys, an entry" "$(per keys "$entries")" "$(per walk "$entries")" "walk, a row"
