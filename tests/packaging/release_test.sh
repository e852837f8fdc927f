#!/usr/bin/env bash
# The Windows release as a user receives it: the zip holds exactly the
# binaries of both bitnesses, the MSI, README-Windows.txt and SHA256SUMS,
# whose sums hold; the binaries are stripped and name their debug files,
# which carry the debug information, in dist/debug/.
# Usage: release_test.sh DIST VERSION
set -uo pipefail

dist=$1
version=$2
zip="$dist/ZarnUtils-$version-windows.zip"
fail() { echo "FAIL $*"; exit 1; }
[ -f "$zip" ] || fail "no $zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected="README-Windows.txt
SHA256SUMS
ZarnUtils-$version.msi
x64/ZarnUtils.dll
x64/zarnutils.exe
x86/ZarnUtils.dll
x86/zarnutils.exe"
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || { printf 'zip holds:\n%s\n' "$listed"; fail "unexpected zip contents"; }
unzip -q "$zip" -d "$work"
(cd "$work" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"
[ "$(wc -l <"$work/SHA256SUMS")" -eq 6 ] || fail "SHA256SUMS does not list the six other files"
cmp -s "$work/ZarnUtils-$version.msi" "$dist/ZarnUtils-$version.msi" || fail "the zip's MSI is not dist's"

for arch in x86 x64; do
  case $arch in x86) tools=i686-w64-mingw32 format=pei-i386 ;; x64) tools=x86_64-w64-mingw32 format=pei-x86-64 ;; esac
  for name in ZarnUtils.dll zarnutils.exe; do
    binary="$work/$arch/$name"
    headers=$("$tools-objdump" -h "$binary")
    grep -q "file format $format" <<<"$headers" || fail "$arch/$name is not $format"
    grep -q '\.debug_' <<<"$headers" && fail "$arch/$name still carries debug information"
    grep -q '\.gnu_debuglink' <<<"$headers" || fail "$arch/$name names no debug file"
    debug="$dist/debug/$arch/$name.debug"
    "$tools-objdump" -h "$debug" | grep -q '\.debug_info' || fail "$debug holds no debug information"
    echo "  $arch/$name: $(wc -c <"$binary") bytes stripped, $(wc -c <"$debug") bytes of debug information"
  done
done
grep -q 'regsvr32 /n /i:user' "$work/README-Windows.txt" || fail "README-Windows.txt lacks the per-user command"
grep -q 'WOW6432Node' "$work/README-Windows.txt" || fail "README-Windows.txt lacks the registry views"
grep -q $'\r$' "$work/README-Windows.txt" || fail "README-Windows.txt has no Windows line ends"
echo "OK"
