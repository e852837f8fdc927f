#!/usr/bin/env bash
# The registry half of bench/compare.sh: Regedit on the native store, the
# raw SQLite floors on the same file, and the same calls through
# zarnutils.exe under Wine, in one run. Prints tab-separated rows:
#   operation  entries  native_us  floor_us  floor_name  wine_us
# and, per listing, "exponent  operation  value": how its whole cost grows
# from 1,000 to 100,000 entries (1 is linear).
#
#   bash bench/compare-registry.sh NATIVE_BUILD [WIN32_BUILD]
#
# Without a win32 build (or without Wine) the Wine column is "-". Wine runs
# in a prefix of its own under the win32 build, so that its registry of
# 200,000 entries never slows the tests' prefix down.
set -euo pipefail

native=$1
win32=${2:-}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ZARNUTILS_BENCH_DIR="${ZARNUTILS_BENCH_DIR:-/dev/shm/zarnutils-bench}"
sizes=(10 1000 100000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/bench-lib.sh
. "$here/bench-lib.sh"

echo "registry: native benchmarks and floors ..." >&2
{
  bench_medians "$native/bench/registry_bench" 5
  bench_medians "$native/bench/registry_floor_bench" 5
} >"$work/native.tsv"

# --- Wine ---------------------------------------------------------------
wine_exe="$win32/zarnutils.exe"
wine_available() { [ -n "$win32" ] && [ -x "$wine_exe" ] && command -v wine >/dev/null; }
export ZARNUTILS_WINEPREFIX="${win32:-.}/bench-wineprefix"
wine_run=(bash "$here/../cmake/wine-run.sh" "$wine_exe")
wine_batch() { "${wine_run[@]}" --batch <"$1" >/dev/null; }
# µs a call: a batch of the calls less a batch of the lines that set them up.
per_call() { # calls-file baseline-file count
  awk -v calls="$(best_batch_us "$1" "${wine_run[@]}")" \
    -v base="$(best_batch_us "$2" "${wine_run[@]}")" -v n="$3" \
    'BEGIN { v = (calls - base) / n; printf "%.3f\n", (v > 0 ? v : 0) }'
}
key() { echo "HKCU\\Software\\ZarnBench\\$1$2"; }
repeat() { local n=$1; shift; for ((i = 0; i < n; i++)); do printf '%s\n' "$@"; done; }

wine_rows() {
  WINEPREFIX="$ZARNUTILS_WINEPREFIX" wineserver -p 2>/dev/null || true
  : >"$work/empty.tsv"
  local n values keys calls listings marker
  for n in "${sizes[@]}"; do
    values=$(key Values "$n"); keys=$(key Keys "$n")
    marker=$("${wine_run[@]}" Regedit.ReadValue "$values\\~populated" S no)
    if [ "${marker%$'\r'}" != yes ]; then
      echo "registry: populating $n entries under Wine ..." >&2
      for ((i = 0; i < n; i++)); do
        printf 'Regedit.WriteValue\t%s\\v%d\tD\ti:%d\n' "$values" "$i" "$i"
        printf 'Regedit.WriteValue\t%s\\k%d\\x\tD\ti:1\n' "$keys" "$i"
      done >"$work/populate.tsv"
      printf 'Regedit.WriteValue\t%s\\text\tS\tC:\\Program Files\\ZarnBench\\data\n' "$values" \
        >>"$work/populate.tsv"
      printf 'Regedit.WriteValue\t%s\\~populated\tS\tyes\n' "$values" >>"$work/populate.tsv"
      wine_batch "$work/populate.tsv"
    fi
    calls=5000
    repeat $calls "$(printf 'Regedit.ReadValue\t%s\\v%d\tD\ti:-1' "$values" $((n / 2)))" >"$work/d.tsv"
    repeat $calls "$(printf 'Regedit.ReadValue\t%s\\text\tS\tnone' "$values")" >"$work/s.tsv"
    for ((i = 0; i < calls; i++)); do
      printf 'Regedit.WriteValue\t%s\\written\tD\ti:%d\n' "$values" "$i"
    done >"$work/w.tsv"
    repeat $calls "$(printf 'Regedit.WriteValue\t%s\\unchanged\tD\ti:7' "$values")" >"$work/same.tsv"
    repeat $calls "$(printf 'Regedit.WriteValue\t%s\\deleted\tD\ti:1' "$values")" >"$work/set.tsv"
    repeat $calls "$(printf 'Regedit.WriteValue\t%s\\deleted\tD\ti:1' "$values")" \
      "$(printf 'Regedit.DeleteValue\t%s\\deleted' "$values")" >"$work/del.tsv"
    repeat $calls "$(printf 'Regedit.DeleteValue\t%s\\never-written' "$values")" >"$work/miss.tsv"
    listings=$((20000 / n > 0 ? 20000 / n : 1))
    repeat $listings "$(printf 'Regedit.EnumKeys\t%s\t,' "$keys")" >"$work/ek.tsv"
    repeat $listings "$(printf 'Regedit.EnumValues\t%s' "$values")" >"$work/ev.tsv"
    printf 'ReadValue D\t%s\t%s\n' "$n" "$(per_call "$work/d.tsv" "$work/empty.tsv" $calls)"
    printf 'ReadValue S\t%s\t%s\n' "$n" "$(per_call "$work/s.tsv" "$work/empty.tsv" $calls)"
    printf 'WriteValue\t%s\t%s\n' "$n" "$(per_call "$work/w.tsv" "$work/empty.tsv" $calls)"
    printf 'WriteValue, same value\t%s\t%s\n' "$n" \
      "$(per_call "$work/same.tsv" "$work/empty.tsv" $calls)"
    printf 'DeleteValue\t%s\t%s\n' "$n" "$(per_call "$work/del.tsv" "$work/set.tsv" $calls)"
    printf 'DeleteValue, missing\t%s\t%s\n' "$n" \
      "$(per_call "$work/miss.tsv" "$work/empty.tsv" $calls)"
    printf 'EnumKeys, an entry\t%s\t%s\n' "$n" \
      "$(per_call "$work/ek.tsv" "$work/empty.tsv" $((listings * n)))"
    printf 'EnumValues, an entry\t%s\t%s\n' "$n" \
      "$(per_call "$work/ev.tsv" "$work/empty.tsv" $((listings * n)))"
  done
  printf 'zarnutils --batch, a ReadValue with process start\t1000\t%s\n' \
    "$(per_call "$ZARNUTILS_BENCH_DIR/batch-input.txt" "$work/empty.tsv" 10000)"
  WINEPREFIX="$ZARNUTILS_WINEPREFIX" wineserver -k 2>/dev/null || true
}

if wine_available; then
  echo "registry: the same calls under Wine ..." >&2
  wine_rows >"$work/wine.tsv"
else
  : >"$work/wine.tsv"
fi

# --- The table -------------------------------------------------------------
# operation, native benchmark, floor benchmark, floor's name; listings are
# divided by their entries.
cat >"$work/pairs.tsv" <<'EOF'
ReadValue D	BM_ReadNumber	BM_FloorPointLookup	point lookup
ReadValue S	BM_ReadText	BM_FloorPointLookup	point lookup
WriteValue	BM_WriteValue	BM_FloorWrite	write transaction
WriteValue, same value	BM_WriteSameValue	BM_FloorWrite	write transaction
DeleteValue	BM_DeleteValue	BM_FloorDelete	delete transaction
DeleteValue, missing	BM_DeleteMissingValue	BM_FloorPointLookup	point lookup
EnumKeys, an entry	BM_EnumKeys	BM_FloorSubKeyWalk	walk, a row
EnumValues, an entry	BM_EnumValues	BM_FloorValueWalk	walk, a row
EOF
awk -F'\t' -v sizes="${sizes[*]}" '
  FILENAME == ARGV[1] { native[$1] = $2; next }
  FILENAME == ARGV[2] { wine[$1 "/" $2] = $3; next }
  {
    split(sizes, n, " ")
    perEntry = ($1 ~ /an entry$/)
    for (i = 1; i <= length(n); i++) {
      subject = native[$2 "/" n[i]]; floor = native[$3 "/" n[i]]
      if (subject == "" || floor == "") continue
      if (perEntry) { subject /= n[i]; floor /= n[i] }
      w = wine[$1 "/" n[i]]
      printf "%s\t%s\t%.3f\t%.3f\t%s\t%s\n", $1, n[i], subject, floor, $4, (w == "" ? "-" : w)
      if (perEntry) total[$1 "/" n[i]] = subject * n[i]
    }
    if (perEntry && total[$1 "/1000"] > 0) {
      printf "exponent\t%s\t%.2f\n", $1,
        log(total[$1 "/100000"] / total[$1 "/1000"]) / log(100)
    }
  }
  END {
    batch = native["BM_BatchOf10000Reads/iterations:3"]
    w = wine["zarnutils --batch, a ReadValue with process start/1000"]
    if (batch != "") {
      printf "zarnutils --batch, a ReadValue with process start\t1000\t%.3f\t-\t-\t%s\n",
        batch / 10000, (w == "" ? "-" : w)
    }
  }
' "$work/native.tsv" "$work/wine.tsv" "$work/pairs.tsv"
