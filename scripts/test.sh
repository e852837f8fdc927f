#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test:
# the native suites, the native suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a short run of every fuzzer (the sanitize
# preset), then the win32 suites under Wine in the build tree's private
# prefix, whose wineserver is stopped at the end.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
jobs="$(nproc)"

stop_wine() {
  local prefix="$PWD/build/win32/wineprefix"
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
}
trap stop_wine EXIT

status=0
for target in native sanitize win32; do
  echo "== $target: build"
  cmake --preset "$target" >/dev/null
  cmake --build --preset "$target" -j "$jobs"
  echo "== $target: test"
  ctest --preset "$target" -j "$jobs" || status=1
  # The per-target counts of the table of cases, which ctest keeps in its log.
  grep -ho 'case table (.*' "build/$target/Testing/Temporary/LastTest.log" || true
  # How many inputs each fuzzer ran, from libFuzzer's final statistics.
  awk '/Testing: .*_fuzzer/ { name = $NF }
       /stat::number_of_executed_units/ { print "fuzz " name ": " $2 " executions" }' \
    "build/$target/Testing/Temporary/LastTest.log"
done
exit "$status"
