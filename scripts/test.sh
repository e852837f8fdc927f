#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test: the
# native suites, the native suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a short run of every fuzzer (the sanitize
# preset), the typed registry API's suite under ThreadSanitizer (tsan),
# then the win32 and win64 suites under Wine in each build tree's
# private prefix (win64 after win32, whose DLL it registers beside its own),
# then the Windows release: scripts/package.sh, the release's contents, a
# later version signed with a throw-away certificate, and the MSI under Wine
# in a fresh prefix. Every wineserver started is stopped at the end.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
jobs="$(nproc)"

stop_wine() {
  local prefix
  for prefix in build/win32/wineprefix build/win64/wineprefix build/package/wineprefix; do
    [ -d "$prefix" ] && WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
  done
}
trap stop_wine EXIT

status=0
for target in native sanitize tsan win32 win64; do
  echo "== $target: build"
  cmake --preset "$target" >/dev/null
  cmake --build --preset "$target" -j "$jobs"
  echo "== $target: test"
  results="$PWD/build/$target/test-results.xml"
  # Under Wine a program started while the previous program's wineserver
  # shuts down is refused ("recvmsg: Connection reset by peer"), whatever
  # it is; a test that fails so gets one more run there.
  retry=()
  case $target in win32 | win64) retry=(--repeat until-pass:2) ;; esac
  ctest --preset "$target" -j "$jobs" --output-junit "$results" "${retry[@]}" \
    --test-output-size-passed 1048576 || status=1
  # The counts the runners print last, as ctest reports each test's output:
  # the table of cases' per-run counts, and how many inputs each fuzzer ran
  # (libFuzzer's final statistics).
  awk '/<testcase / { match($0, /name="[^"]*"/); name = substr($0, RSTART + 6, RLENGTH - 7) }
       { sub(/.*<system-out>/, "") }
       /^case table \(/ { print }
       /^stat::number_of_executed_units/ { print "fuzz " name ": " $2 " executions" }' "$results"
done

echo "== windows release"
bash scripts/package.sh
# shellcheck source=/dev/null
source build/win64/release-identity.sh
bash tests/packaging/release_test.sh dist "$version" || status=1
# The same binaries as a later version, signed with a throw-away
# certificate: the signatures are checked, and the MSI is the upgrade.
IFS=. read -r major minor build revision <<<"$version"
later="$major.$minor.$((build + 1)).$revision"
signed=build/package/signed
rm -rf "$signed" && mkdir -p "$signed"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=ZARN Utils test signing" \
  -addext extendedKeyUsage=codeSigning -keyout "$signed/key.pem" -out "$signed/cert.pem" 2>/dev/null
ZARN_SIGN_CERT="$signed/cert.pem" ZARN_SIGN_KEY="$signed/key.pem" \
  bash scripts/package.sh --version "$later" --out "$signed/dist" >/dev/null
bash tests/packaging/release_test.sh "$signed/dist" "$later" "$signed/cert.pem" || status=1
bash tests/packaging/msi_test.sh "$PWD/cmake/wine-run.sh" "$PWD/build/package/wineprefix" \
  "$PWD/dist/ZarnUtils-$version.msi" "$PWD/$signed/dist/ZarnUtils-$later.msi" \
  "$PWD/tests/component/com/com_both_classes.vbs" || status=1
exit "$status"
