#!/usr/bin/env bash
# Reading every value of a hive file: zarnutils reg export --hive (the hive
# loaded into a scratch store, exported as .reg text, given back unwritten)
# against hivexregedit --export of the same file, in one run, and their
# ratio. The hive holds VALUES values (default 100,000), 1,000 to a key,
# text and numbers in turn; it is made once in $ZARNUTILS_BENCH_DIR.
#
#   bash bench/compare-hive.sh [NATIVE_BUILD [VALUES]]
#
# Prints TSV: operation  values  zarnutils_ms  hivexregedit_ms  ratio
# Each figure is the fastest of three runs.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
native=$(cd "${1:-$here/../build/native}" && pwd)
values=${2:-100000}
zarnutils=$native/zarnutils
bench_dir=${ZARNUTILS_BENCH_DIR:-/dev/shm/zarnutils-bench}
command -v hivexregedit >/dev/null || { echo "compare-hive.sh: hivexregedit is missing" >&2; exit 2; }
mkdir -p "$bench_dir"
hive=$bench_dir/values-$values.hiv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZARNUTILS_REGISTRY_DIR=$work/store

if [ ! -f "$hive" ]; then
  echo "hive: making $hive ..." >&2
  awk -v values="$values" 'BEGIN {
    print "REGEDIT4"
    for (i = 0; i < values; i++) {
      if (i % 1000 == 0) printf "\n[HKEY_CURRENT_USER\\Software\\Bench\\Key%d]\n", i / 1000
      if (i % 2) printf "\"Number%d\"=dword:%08x\n", i, i
      else printf "\"Text%d\"=\"value number %d\"\n", i, i
    }
  }' >"$work/values.reg"
  "$zarnutils" -q reg import "$work/values.reg"
  "$zarnutils" -q reg save 'HKCU\Software\Bench' "$hive.new" /y
  mv "$hive.new" "$hive"
fi

# fastest_ms COMMAND...: the fastest of three runs, in milliseconds.
fastest_ms() {
  local best="" start took
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" >/dev/null
    took=$((($(date +%s%N) - start) / 1000000))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

ours=$(fastest_ms "$zarnutils" -q reg export HKLM - --regedit4 --hive "$hive")
theirs=$(fastest_ms hivexregedit --export "$hive" '\')
awk -v n="$values" -v o="$ours" -v t="$theirs" \
  'BEGIN { printf "read every value\t%d\t%d\t%d\t%.2f\n", n, o, t, o / t }'
