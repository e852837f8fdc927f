#!/usr/bin/env bash
# Per-user registration (regsvr32 /n /i:user) writes exactly the values that
# per-machine registration writes, below HKCU\Software\Classes instead of
# HKLM\Software\Classes, and nothing below the machine's classes; the
# per-user removal takes back exactly that, and in a fresh prefix leaves no
# key behind, not even the empty CLSID, Interface and TypeLib keys that
# registration had to create. Wine does not merge per-user classes into
# HKEY_CLASSES_ROOT, as Windows does, so the set is proven complete apart:
# in a throw-away prefix, the per-user entries copied into the machine's
# classes are all a script needs to create and call both classes.
# Usage: com_per_user_test.sh WINE_RUN ARCH PREFIX SCRATCH_PREFIX DLL SCRIPT
#   WINE_RUN: cmake/wine-run.sh; ARCH: win32 or win64; PREFIX: the build's
#   prefix; SCRATCH_PREFIX: the throw-away one, made and removed here.
set -uo pipefail

wine_run=$1
arch=$2
prefix=$3
scratch=$4
dll=$5
script=$6
windows() { printf 'Z:%s' "${1//\//\\}"; }
in_prefix() { ZARNUTILS_WINEPREFIX=$1 ZARNUTILS_WINEARCH=$arch "$wine_run" "${@:2}"; }
fail() { echo "FAIL $*"; exit 1; }

work=$(mktemp -d)
cleanup() {
  [ -d "$scratch" ] && { WINEPREFIX=$scratch wineserver -k 2>/dev/null; rm -rf "$scratch" "$scratch.lock"; }
  [ -n "${ZARN_KEEP_WORK:-}" ] && cp -r "$work" "$ZARN_KEEP_WORK"; rm -rf "$work"
}
trap cleanup EXIT

# Every value below KEY, one line each: its key (below KEY, in lower case,
# as key names match in any case), then the value as the export writes it.
# Keys without values do not show, nor does Wow6432Node\TypeLib, which is
# TypeLib itself (both views share it) seen a second time.
values_below() {
  local key=$1 name=$2
  in_prefix "$prefix" reg export "$key" "$(windows "$work/$name.reg")" /y >/dev/null 2>&1 ||
    fail "reg export $key"
  iconv -f UTF-16LE -t UTF-8 "$work/$name.reg" | tr -d '\r' | awk -v length_of_root=$((${#key} + 1)) '
    index($0, "[") == 1 { current = tolower(substr($0, length_of_root + 1)); sub(/\]$/, "", current); next }
    index(current, "\\wow6432node\\typelib") == 1 { next }
    /^(@|")/ { print current "\t" $0 }' | LC_ALL=C sort >"$work/$name"
}
# Every key below KEY in PREFIX, in lower case; none when KEY is missing
# (then it fails).
keys_below() {
  local prefix=$1 key=$2 name=$3
  : >"$work/$name"
  in_prefix "$prefix" reg export "$key" "$(windows "$work/$name.reg")" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16LE -t UTF-8 "$work/$name.reg" | tr -d '\r' |
    awk -v root="[$key]" 'index($0, "[") == 1 && tolower($0) != tolower(root) { print tolower($0) }' |
    LC_ALL=C sort >"$work/$name"
}
added() { LC_ALL=C comm -13 "$work/$1" "$work/$2"; }
regsvr32() { in_prefix "$prefix" regsvr32 /s "$@" "$(windows "$dll")" || fail "regsvr32 $*"; }

machine='HKEY_LOCAL_MACHINE\Software\Classes'
user='HKEY_CURRENT_USER\Software\Classes'
# From no registration of ours; the prefix's other tests find the DLL
# registered per machine again at the end.
regsvr32 /u
regsvr32 /u /n /i:user
values_below "$machine" machine-before
values_below "$user" user-before

regsvr32
values_below "$machine" machine-registered
regsvr32 /u
values_below "$machine" machine-removed
regsvr32 /n /i:user
values_below "$machine" machine-during-user
values_below "$user" user-registered
regsvr32 /u /n /i:user
values_below "$user" user-removed

added machine-before machine-registered >"$work/per-machine"
added user-before user-registered >"$work/per-user"
grep -qi 'inprocserver32' "$work/per-machine" || fail "per-machine registration wrote no server"
grep -qi 'zarnutils.iniedit' "$work/per-machine" || fail "per-machine registration wrote no ProgID"
cmp -s "$work/per-machine" "$work/per-user" ||
  { diff "$work/per-machine" "$work/per-user"; fail "per-user entries differ from per-machine ones"; }
cmp -s "$work/machine-before" "$work/machine-during-user" || fail "per-user registration wrote machine classes"
cmp -s "$work/machine-before" "$work/machine-removed" || fail "per-machine removal left values"
cmp -s "$work/user-before" "$work/user-removed" || fail "per-user removal left values"
echo "per-user registration: $(wc -l <"$work/per-user") values, the per-machine set; removed again"
regsvr32

# The throw-away prefix: registered for the user only and removed again,
# then the registration is copied over.
# A fresh Wine prefix has no HKCU\Software\Classes, which registration
# then creates and removal leaves (Windows always has it: it is the user's
# classes hive, not ours to remove).
rm -rf "$scratch"
keys_below "$scratch" "$user" scratch-before
in_prefix "$scratch" regsvr32 /s /n /i:user "$(windows "$dll")" || fail "per-user regsvr32 in $scratch"
in_prefix "$scratch" reg export "$user" "$(windows "$work/copy.reg")" /y >/dev/null 2>&1 ||
  fail "reg export in $scratch"
in_prefix "$scratch" regsvr32 /s /u /n /i:user "$(windows "$dll")" ||
  fail "per-user regsvr32 /u in $scratch"
keys_below "$scratch" "$user" scratch-removed || fail "reg export $user in $scratch"
cmp -s "$work/scratch-before" "$work/scratch-removed" ||
  { diff "$work/scratch-before" "$work/scratch-removed"; fail "per-user removal left keys behind"; }
echo "per-user removal in a fresh prefix: the user's classes as before ($(wc -l <"$work/scratch-before") keys)"
iconv -f UTF-16LE -t UTF-8 "$work/copy.reg" | sed 's/^\[HKEY_CURRENT_USER\\/[HKEY_LOCAL_MACHINE\\/' |
  iconv -f UTF-8 -t UTF-16LE >"$work/copied.reg"
in_prefix "$scratch" reg import "$(windows "$work/copied.reg")" >/dev/null 2>&1 || fail "reg import"
output=$(in_prefix "$scratch" cscript //nologo "$(windows "$script")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"
printf '%s\n' "$output" | grep -qx 'ReadValue 8080' || fail "Regedit did not answer from the copied set"
printf '%s\n' "$output" | grep -qx 'OK' || fail "the script did not run through"
echo "OK"
