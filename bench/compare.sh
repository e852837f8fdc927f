#!/usr/bin/env bash
# Runs the native benchmarks, their floors and the same calls under Wine in
# one run, and prints the figures as one Markdown table: native µs, the
# floor it is measured against, the ratio of the two, and Wine's µs. Each
# ratio compares two figures of the same run, so it holds on a busy machine
# where the figures themselves do not.
#
#   bash bench/compare.sh [NATIVE_BUILD [WIN32_BUILD]]
#
# Defaults: build/native and build/win32 (built with their presets; the
# win32 build and Wine are optional). The stores and files live in
# $ZARNUTILS_BENCH_DIR (default /dev/shm/zarnutils-bench), made on the first
# run and reused.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
native=${1:-$here/../build/native}
win32=${2:-$here/../build/win32}
[ -d "$win32" ] || win32=""

for program in registry_bench registry_floor_bench ini_bench; do
  if [ ! -x "$native/bench/$program" ]; then
    echo "compare.sh: $native/bench/$program is missing; build the native preset first" >&2
    exit 2
  fi
done

# One table of the rows a part printed, with its growth exponents after it.
table() {
  awk -F'\t' -v title="$1" '
    BEGIN {
      printf "### %s\n\n", title
      print "| call | entries | native µs | floor | floor µs | ratio | Wine µs |"
      print "|---|---:|---:|---|---:|---:|---:|"
    }
    # Three significant digits or so, whatever the size.
    function us(v) {
      if (v == "-" || v == "") return "-"
      return sprintf(v >= 100 ? "%.0f" : v >= 10 ? "%.1f" : "%.2f", v)
    }
    $1 == "exponent" { exponents = exponents sprintf("| %s | %.2f |\n", $2, $3); next }
    {
      ratio = ($4 == "-" || $4 == 0) ? "-" : sprintf("%.2f", $3 / $4)
      printf "| %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, us($3), $5, us($4), ratio, us($6)
    }
    END {
      if (exponents != "") {
        print ""
        print "| growth from 1,000 to 100,000 entries | exponent |"
        print "|---|---:|"
        printf "%s", exponents
      }
      print ""
    }
  '
}

bash "$here/compare-registry.sh" "$native" "$win32" | table Regedit
bash "$here/compare-ini.sh" "$native" ${win32:+"$win32"} | table IniEdit
