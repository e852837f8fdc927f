#!/usr/bin/env bash
# In one 64-bit prefix with both DLLs registered, each by its own regsvr32:
# - the 64-bit cscript (system32) and the 32-bit one (syswow64) both create
#   and call both classes and give the same answers;
# - registry views: a value written through the 32-bit DLL under
#   HKLM\Software\X is found by the 64-bit one under
#   HKLM\Software\WOW6432Node\X and not under HKLM\Software\X, and one
#   written through the 64-bit DLL stays out of the 32-bit view;
# - once the 32-bit registration is removed, 32-bit hosts cannot create the
#   classes, and the 64-bit ones can (after registering the 64-bit DLL
#   again, as the two share the ProgIDs).
# Leaves the 64-bit DLL registered, as the other tests of the prefix expect.
# Usage: com_bitness_test.sh WINE_RUN DLL64 DLL32 BOTH_SCRIPT VIEW_SCRIPT
# Exits 77 (skipped) when the 32-bit DLL has not been built.
set -uo pipefail

wine_run=$1
dll64=$2
dll32=$3
both=$4
view=$5
[ -f "$dll32" ] || { echo "SKIP: no 32-bit DLL at $dll32 (build the win32 preset first)"; exit 77; }
windows() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAIL $*"; exit 1; }
system32='C:\windows\system32'
syswow64='C:\windows\syswow64'
run() { "$wine_run" "$@" 2>&1 | tr -d '\r'; }
script() { run "$1\\cscript.exe" //nologo "$(windows "$2")" "${@:3}"; }

"$wine_run" "$system32\\regsvr32.exe" /s "$(windows "$dll64")" || fail "64-bit regsvr32"
"$wine_run" "$syswow64\\regsvr32.exe" /s "$(windows "$dll32")" || fail "32-bit regsvr32"
restore() {
  "$wine_run" "$syswow64\\regsvr32.exe" /s /u "$(windows "$dll32")"
  "$wine_run" "$system32\\regsvr32.exe" /s "$(windows "$dll64")"
}
trap restore EXIT

from64=$(script "$system32" "$both")
from32=$(script "$syswow64" "$both")
printf '64-bit cscript:\n%s\n32-bit cscript:\n%s\n' "$from64" "$from32"
[ "$(head -1 <<<"$from64")" = "host AMD64" ] || fail "system32 cscript is not a 64-bit host"
[ "$(head -1 <<<"$from32")" = "host x86" ] || fail "syswow64 cscript is not a 32-bit host"
tail -1 <<<"$from64" | grep -qx OK || fail "64-bit cscript did not run through"
[ "$(tail -n +2 <<<"$from64")" = "$(tail -n +2 <<<"$from32")" ] || fail "the two hosts answer differently"

script "$system32" "$view" clean >/dev/null
[ "$(script "$syswow64" "$view" write From32)" = "written True" ] || fail "32-bit write"
[ "$(script "$system32" "$view" write From64)" = "written True" ] || fail "64-bit write"
seen64=$(script "$system32" "$view" read From32)
seen32=$(script "$syswow64" "$view" read From64)
script "$system32" "$view" clean >/dev/null
printf 'From32 seen by the 64-bit DLL:\n%s\nFrom64 seen by the 32-bit DLL:\n%s\n' "$seen64" "$seen32"
[ "$seen64" = $'Software none\nWOW6432Node From32' ] || fail "the 32-bit DLL did not write the 32-bit view"
grep -qx 'Software none' <<<"$seen32" || fail "the 32-bit DLL sees the 64-bit view"

trap - EXIT
restore
script "$syswow64" "$both" | grep -qx OK && fail "32-bit hosts still create the classes"
tail -1 <<<"$(script "$system32" "$both")" | grep -qx OK || fail "64-bit hosts no longer create them"
echo "OK"
