#!/usr/bin/env bash
# Registers ZarnUtils.dll with regsvr32 in the build's Wine prefix, then runs
# one script with cscript. Fails on a non-zero exit, on any FAIL line, or
# when the script printed no OK line.
# Usage: com_script_test.sh WINE_RUN DLL SCRIPT
set -uo pipefail

wine_run=$1
dll=$2
script=$3
windows() { printf 'Z:%s' "${1//\//\\}"; }

"$wine_run" regsvr32 /s "$(windows "$dll")" || { echo "regsvr32 failed"; exit 1; }
output=$("$wine_run" cscript //nologo "$(windows "$script")" 2>&1)
status=$?
printf '%s\n' "$output" | tr -d '\r'
[ "$status" -eq 0 ] || { echo "cscript exited with $status"; exit 1; }
printf '%s\n' "$output" | grep -q '^FAIL' && exit 1
printf '%s\n' "$output" | grep -q '^OK' || { echo "no OK line"; exit 1; }
exit 0
