#!/usr/bin/env bash
# The MSI package under Wine, in a fresh 64-bit prefix of its own (made and
# removed here):
# - msiexec /i /qn returns 0; the 64-bit and the 32-bit cscript then create
#   and call both classes; zarnutils.exe runs, the HTML reference and its
#   Start-menu shortcut are there, and PATH is as it was (ADDTOPATH off);
# - installing the same version again changes no file and no key (Windows
#   Installer's own note of where it found the package, its SourceList, may
#   gain the same folder once more under Wine); repairing (REINSTALL=ALL)
#   brings back a deleted program and page;
# - a later version (the same binaries packaged as VERSION+0.0.1), with
#   ADDTOPATH=1, upgrades in place: one product installed, the later one,
#   both hosts work, and the install folder is on PATH, where a prompt
#   finds zarnutils;
# - msiexec /x /qn returns 0 and leaves no file, no key and no shortcut of
#   ours: the registry, PATH and the drive are as before the first install.
# Usage: msi_test.sh WINE_RUN PREFIX MSI LATER_MSI SCRIPT
set -uo pipefail

wine_run=$1
prefix=$2
msi=$3
later=$4
script=$5
windows() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAIL $*"; exit 1; }
wine() { ZARNUTILS_WINEPREFIX=$prefix ZARNUTILS_WINEARCH=win64 "$wine_run" "$@"; }

work=$(mktemp -d)
cleanup() {
  [ -d "$prefix" ] && { WINEPREFIX=$prefix wineserver -k 2>/dev/null; rm -rf "$prefix" "$prefix.lock"; }
  rm -rf "$work"
}
trap cleanup EXIT
rm -rf "$prefix" "$prefix.lock"

# The registry (both hives) and the files of the prefix's drive, as sorted
# lines. Volatile entries that Wine itself changes on every start are left
# out (times and the temporary folder), and so is PATH, which path_value
# compares.
snapshot() {
  local name=$1 hive
  for hive in HKLM HKCU; do
    wine reg export "$hive" "$(windows "$work/$name.$hive.reg")" /y >/dev/null 2>&1 ||
      fail "reg export $hive"
  done
  cat "$work/$name.HKLM.reg" "$work/$name.HKCU.reg" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r' |
    awk '/\\$/ { held = held substr($0, 1, length($0) - 1); next }
         { $0 = held $0; held = "" }
         index($0, "[") == 1 { key = $0; print key; next } NF { print key "\t" $0 }' |
    grep -v -e 'Time\|Date"=' -e '\\Session Manager\\Environment]	"PATH"=' |
    LC_ALL=C sort >"$work/$name.registry"
  (cd "$prefix/drive_c" && find . -path ./users -prune -o -path ./windows/temp -prune -o -print) |
    LC_ALL=C sort >"$work/$name.files"
}
differences() {
  diff "$work/$1.registry" "$work/$2.registry" >"$work/$1-$2.diff"
  diff "$work/$1.files" "$work/$2.files" >>"$work/$1-$2.diff"
}
hosts_work() {
  local cscript out
  for cscript in 'C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe'; do
    out=$(wine "$cscript" //nologo "$(windows "$script")" 2>&1 | tr -d '\r')
    tail -1 <<<"$out" | grep -qx OK || { printf '%s\n' "$out"; fail "$1: $cscript"; }
    echo "  $1: $cscript: $(head -1 <<<"$out"), $(sed -n 's/^ReadValue \(8080\)$/ReadValue \1/p' <<<"$out" | head -1), OK"
  done
}
msiexec() { wine msiexec "$@"; }
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
path_value() { wine reg query "$environment" /v PATH | tr -d '\r' | sed -n 's/^ *PATH *REG_[A-Z_]* *//p'; }
folder='C:\Program Files\ZarnUtils\'
# Wine puts the per-machine package's shortcut into the user's Start Menu
# (its ProgramMenuFolder ignores ALLUSERS=1); Windows, into the one of all
# users. Either counts, and after removal neither may hold it.
shortcuts() { find "$prefix/drive_c" -name 'ZARN Utils Reference.lnk'; }

wine wineboot -i >/dev/null 2>&1; WINEPREFIX=$prefix wineserver -w
# Each cscript registers its own type library on its first run, and the
# first msiexec makes Windows Installer's cache folder: both are there
# before the package comes, so that only the package's traces count.
for cscript in 'C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe'; do
  wine "$cscript" //nologo "$(windows "$script")" >/dev/null 2>&1
done
mkdir -p "$prefix/drive_c/windows/Installer"
snapshot before
path_before=$(path_value)

msiexec /i "$(windows "$msi")" /qn || fail "msiexec /i exited with $?"
echo "msiexec /i $(basename "$msi") /qn: 0"
[ -f "$prefix/drive_c/Program Files/ZarnUtils/ZarnUtils.dll" ] || fail "no 64-bit DLL in Program Files"
[ -f "$prefix/drive_c/Program Files (x86)/ZarnUtils/ZarnUtils.dll" ] || fail "no 32-bit DLL in Program Files (x86)"
hosts_work installed
installed="$prefix/drive_c/Program Files/ZarnUtils"
wine "$installed/zarnutils.exe" --help >/dev/null 2>&1 || fail "the installed zarnutils.exe --help failed"
for page in index.html style.css; do
  [ -f "$installed/docs/$page" ] || fail "no docs\\$page in Program Files\\ZarnUtils"
done
[ -n "$(shortcuts)" ] || fail "no Start-menu shortcut to the reference"
[ "$(path_value)" = "$path_before" ] || fail "PATH changed without ADDTOPATH=1: $(path_value)"
echo "  installed: zarnutils.exe runs; $(find "$installed/docs" -type f | wc -l) files of docs, the shortcut; PATH unchanged"
snapshot installed

msiexec /i "$(windows "$msi")" /qn || fail "second msiexec /i exited with $?"
snapshot again
differences installed again
grep -v '\\Installer\\Products\\[0-9A-F]*\\SourceList[]\\]' "$work/installed-again.diff" |
  grep '^[<>]' >"$work/installed-again.ours"
[ -s "$work/installed-again.ours" ] && { cat "$work/installed-again.diff"; fail "installing again changed something"; }
echo "msiexec /i again: 0, nothing changed"

# Wine's msiexec /fa answers 1605 (no such product) for this per-machine
# package; REINSTALL=ALL through /i is the same repair, on Windows too.
rm "$installed/zarnutils.exe" "$installed/docs/index.html"
msiexec /i "$(windows "$msi")" REINSTALL=ALL REINSTALLMODE=amus /qn || fail "repairing exited with $?"
[ -f "$installed/zarnutils.exe" ] && [ -f "$installed/docs/index.html" ] ||
  fail "repairing did not bring back zarnutils.exe and docs\\index.html"
echo "msiexec /i REINSTALL=ALL: 0, the deleted program and page are back"

msiexec /i "$(windows "$later")" /qn ADDTOPATH=1 || fail "msiexec /i of the later version exited with $?"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products=$(wine reg query "$uninstall" /s /v DisplayName 2>/dev/null | tr -d '\r' | grep -c 'ZARN Utils')
[ "$products" -eq 1 ] || fail "$products products installed after the upgrade"
wine reg query "$uninstall" /s /v DisplayVersion | tr -d '\r' | grep -q "$(basename "$later" .msi | sed 's/^ZarnUtils-//')" ||
  fail "the installed product is not the later version"
echo "msiexec /i $(basename "$later") /qn ADDTOPATH=1: 0, one product, the later version"
hosts_work upgraded
[ "$(path_value)" = "$path_before;$folder" ] || fail "ADDTOPATH=1 gave PATH $(path_value)"
wine cmd /c 'cd /d C:\ && zarnutils --help' >/dev/null 2>&1 || fail "a prompt does not find zarnutils on PATH"
echo "  upgraded: $folder on PATH, where a prompt finds zarnutils"

msiexec /x "$(windows "$later")" /qn || fail "msiexec /x exited with $?"
echo "msiexec /x /qn: 0"
snapshot removed
# Wine's removal leaves the separator that it added before the folder
# (Windows takes both away).
case $(path_value) in
  "$path_before" | "$path_before;") ;;
  *) fail "PATH after removal: $(path_value)" ;;
esac
[ -z "$(shortcuts)" ] || fail "the Start-menu shortcut is left: $(shortcuts)"
differences before removed
# Windows Installer keeps the empty skeleton of its own keys once it has
# been used; any value in them, and anything else, counts.
grep '^[<>]' "$work/before-removed.diff" |
  grep -v -E '^> \[HKEY_LOCAL_MACHINE\\Software\\(Classes|Microsoft\\Windows\\CurrentVersion)\\Installer(\\[^]]*)?\]$' \
  >"$work/before-removed.ours"
if [ -s "$work/before-removed.ours" ]; then
  cat "$work/before-removed.ours"
  fail "uninstalling left changes behind"
fi
echo "after uninstalling: registry, PATH, shortcut and files as before the install ($(grep -c '^>' "$work/before-removed.diff") empty keys of Windows Installer's own)"
echo "OK"
