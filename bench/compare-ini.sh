#!/usr/bin/env bash
# The INI figures of one run: the native benchmarks, their floors, and the
# same IniEdit calls through zarnutils --batch, natively and under Wine.
#
#   bench/compare-ini.sh BUILD_NATIVE_DIR [BUILD_WIN32_DIR]
#
# Prints TSV on standard output, one row per operation and file size:
#   operation  entries  native_us  floor_us  floor_name  wine_us
# then one row per operation with its growth from 1,000 to 100,000 entries
# (the log of the ratio of times over the log of the ratio of sizes):
#   exponent  operation  value
# '-' marks what does not apply, and the Wine column when BUILD_WIN32_DIR
# (with zarnutils.exe and wine-run-here.sh) is not given.
#
# native_us is Google Benchmark's median real time of three repetitions.
# Floors (ini_floor_bench): scan = open, read and count the file; rewrite =
# scan, then write the bytes to a new file, flush and rename it over.
# The wine_us of ReadValueChanged and WriteValue, and the rows NAME.batch,
# come from batches: per call = (time of a batch of S + M calls - time of one
# of S calls) / M, the best of three runs of each. Every call of a batch goes
# to the next of 20 copies of the file in turn, more than either cache holds
# (16 files natively, 10 in Wine), so every read and write parses a file that
# is not cached, on both sides. NAME.batch gives the native figure measured
# that way, for the side-by-side comparison with Wine.
#
# Files live in $ZARNUTILS_BENCH_DIR (default /dev/shm/zarnutils-bench), as
# for the benchmarks; the copies for the batches are removed afterwards.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_NATIVE_DIR [BUILD_WIN32_DIR]" >&2
  exit 2
fi
native_dir=$(cd "$1" && pwd)
win32_dir=${2:-}
export ZARNUTILS_BENCH_DIR=${ZARNUTILS_BENCH_DIR:-/dev/shm/zarnutils-bench}
sizes="10 1000 100000"
copies=20

wine_tool=()
if [ -n "$win32_dir" ] && [ -x "$win32_dir/wine-run-here.sh" ] && [ -f "$win32_dir/zarnutils.exe" ]; then
  wine_tool=("$win32_dir/wine-run-here.sh" "$win32_dir/zarnutils.exe")
elif [ -n "$win32_dir" ]; then
  echo "compare-ini.sh: no zarnutils.exe and wine-run-here.sh in $win32_dir; Wine columns stay '-'" >&2
fi

work="$ZARNUTILS_BENCH_DIR/ini-compare.$$"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
# The batches call IniEdit only; this keeps the real registry store out of
# reach all the same.
export ZARNUTILS_REGISTRY_DIR="$work/registry"

# --- The benchmarks and floors: "name<TAB>microseconds" per line. ----------

# shellcheck source=bench/bench-lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/bench-lib.sh"

# The INI benchmarks' names without their BM_.
ini_medians() { bench_medians "$1" 3 | sed 's/^BM_//'; }

echo "compare-ini.sh: benchmarks ..." >&2
ini_medians "$native_dir/bench/ini_bench" >"$work/native.tsv"
echo "compare-ini.sh: floors ..." >&2
ini_medians "$native_dir/bench/ini_floor_bench" >"$work/floor.tsv"

# --- The batches. -------------------------------------------------------------

# batch_lines OPERATION ENTRIES COUNT PATH_PREFIX PATH_SUFFIX SEPARATOR
batch_lines() {
  awk -v op="$1" -v entries="$2" -v count="$3" -v prefix="$4" -v suffix="$5" -v copies="$copies" '
    BEGIN {
      key = "key" int(entries / 2)
      for (i = 0; i < count; ++i) {
        file = prefix (i % copies) suffix
        if (op == "ReadValueChanged")
          printf "IniEdit.ReadValue\t%s\tMain\t%s\tS\tempty\n", file, key
        else
          printf "IniEdit.WriteValue\t%s\tMain\t%s\ti:%d\n", file, key, i + 1
      }
    }'
}

# per_call_us SIDE OPERATION ENTRIES: microseconds per call of one side.
per_call_us() {
  local side=$1 op=$2 entries=$3 prefix
  local -a tool
  local source="$ZARNUTILS_BENCH_DIR/ini/flat$entries.ini"
  local folder="$work/$side"
  local extra
  # Enough calls that Wine's start-up, which varies by a tenth of a second,
  # stays small beside them.
  case $entries in 10) extra=4000 ;; 1000) extra=1500 ;; *) extra=60 ;; esac
  mkdir -p "$folder"
  for ((i = 0; i < copies; ++i)); do cp "$source" "$folder/copy$i.ini"; done
  if [ "$side" = native ]; then
    tool=("$native_dir/zarnutils")
    prefix="$folder/copy"
  else
    tool=("${wine_tool[@]}")
    prefix="Z:${folder//\//\\}\\copy"
  fi
  batch_lines "$op" "$entries" "$copies" "$prefix" .ini >"$work/short.tsv"
  batch_lines "$op" "$entries" $((copies + extra)) "$prefix" .ini >"$work/long.tsv"
  local short long
  short=$(best_batch_us "$work/short.tsv" "${tool[@]}")
  long=$(best_batch_us "$work/long.tsv" "${tool[@]}")
  rm -rf "$folder"
  awk -v s="$short" -v l="$long" -v m="$extra" 'BEGIN { printf "%.6g", (l - s) / m }'
}

: >"$work/batch.tsv"
for side in native wine; do
  [ "$side" = wine ] && [ ${#wine_tool[@]} -eq 0 ] && continue
  echo "compare-ini.sh: $side batches ..." >&2
  # Starts the prefix's wineserver, so that no batch pays for it.
  if [ "$side" = wine ]; then echo | "${wine_tool[@]}" --batch >/dev/null; fi
  for op in ReadValueChanged WriteValue; do
    for entries in $sizes; do
      printf '%s\t%s\t%s\t%s\n' "$side" "$op" "$entries" "$(per_call_us "$side" "$op" "$entries")" \
        >>"$work/batch.tsv"
    done
  done
done

# --- The table. ----------------------------------------------------------------

awk -F'\t' -v sizes="$sizes" '
  FILENAME ~ /native.tsv$/ { native[$1] = $2; next }
  FILENAME ~ /floor.tsv$/ { floor[$1] = $2; next }
  { batch[$1, $2, $3] = $4 }
  function value(table, key) { return (key in table) ? table[key] : "-" }
  function batched(side, op, entries) {
    return ((side, op, entries) in batch) ? batch[side, op, entries] : "-"
  }
  function row(op, entries, native_us, floor_us, floor_name, wine_us) {
    printf "%s\t%s\t%s\t%s\t%s\t%s\n", op, entries, native_us, floor_us, floor_name, wine_us
    if (entries == 1000) low[op] = native_us
    if (entries == 100000) high[op] = native_us
    if (!(op in seen)) { seen[op] = 1; order[++count] = op }
  }
  END {
    n = split("ReadValueCached ReadValueChanged WriteValue EnumSections EnumValues " \
              "SectionNamesFirstBuffer SectionLinesFirstBuffer", ops, " ")
    split("- ScanFlat RewriteFlat ScanSections ScanFlat - -", floors, " ")
    split(sizes, entries, " ")
    for (i = 1; i <= n; ++i) {
      for (j = 1; j in entries; ++j) {
        e = entries[j]
        f = floors[i] == "-" ? "-" : value(floor, floors[i] "/" e)
        name = floors[i] == "-" ? "-" : (floors[i] == "RewriteFlat" ? "rewrite" : "scan")
        row(ops[i], e, value(native, ops[i] "/" e), f, name, batched("wine", ops[i], e))
      }
    }
    split("ReadValueChanged WriteValue", both, " ")
    for (i = 1; i in both; ++i) {
      for (j = 1; j in entries; ++j) {
        e = entries[j]
        row(both[i] ".batch", e, batched("native", both[i], e), "-", "-",
            batched("wine", both[i], e))
      }
    }
    for (i = 1; i <= count; ++i) {
      op = order[i]
      if (low[op] != "-" && high[op] != "-" && low[op] > 0 && high[op] > 0)
        printf "exponent\t%s\t%.3f\n", op, log(high[op] / low[op]) / log(100000 / 1000)
    }
  }
' "$work/native.tsv" "$work/floor.tsv" "$work/batch.tsv"
