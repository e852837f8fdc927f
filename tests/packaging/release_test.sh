#!/usr/bin/env bash
# The Windows release as a user receives it: the zip holds exactly the
# binaries of both bitnesses, the MSI, docs\ (every page of docs/ in
# Markdown and in HTML whose links stay among the pages, and the
# stylesheet), README-Windows.txt and SHA256SUMS, whose sums hold; the
# binaries are stripped and name their debug files, which carry the debug
# information, in dist/debug/. The MSI carries the 64-bit DLL and program,
# the 32-bit DLL and the HTML pages, the Start-menu shortcut and the PATH
# entry. Given a CA certificate, every binary and the MSI carry an
# Authenticode signature that verifies against it; without one, none is
# signed.
# Usage: release_test.sh DIST VERSION [CA_CERT]
set -uo pipefail

dist=$1
version=$2
ca=${3:-}
docs="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../docs" && pwd)"
zip="$dist/ZarnUtils-$version-windows.zip"
msi="ZarnUtils-$version.msi"
fail() { echo "FAIL $*"; exit 1; }
[ -f "$zip" ] || fail "no $zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pages=$(cd "$docs" && ls -- *.md | sed 's/\.md$//')
html=$(printf '%s.html\n' $pages; echo style.css)
expected=$( { printf 'README-Windows.txt\nSHA256SUMS\n%s\n' "$msi"
  printf 'docs/%s\n' $html; printf 'docs/%s.md\n' $pages
  printf '%s\n' x64/ZarnUtils.dll x64/zarnutils.exe x86/ZarnUtils.dll x86/zarnutils.exe; } | LC_ALL=C sort)
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || { diff <(echo "$expected") <(echo "$listed"); fail "unexpected zip contents"; }
unzip -q "$zip" -d "$work"
(cd "$work" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"
[ "$(wc -l <"$work/SHA256SUMS")" -eq "$(($(wc -l <<<"$expected") - 1))" ] ||
  fail "SHA256SUMS does not list every other file"
cmp -s "$work/$msi" "$dist/$msi" || fail "the zip's MSI is not dist's"
grep -q '<h1' "$work/docs/index.html" || fail "docs/index.html has no heading"
grep -l 'href="[^":]*\.md[#"]' "$work"/docs/*.html && fail "HTML pages link to Markdown pages"
grep -q '<link rel="stylesheet" href="style.css">' "$work/docs/index.html" || fail "no stylesheet"
echo "  docs: $(wc -w <<<"$pages") pages in Markdown and HTML"
# The renderer on two pages of its own: links between pages and to
# headings (GitHub's anchors, a repeated heading's too) turn into .html
# links; a link to a missing page or heading fails, naming it.
mkdir -p "$work/render/docs"
cp "$docs/render.sh" "$work/render/docs/"
printf '# Index\n\n[m](more.md#enumkeysskey-sdelim) [n](#notes-1)\n\n## Notes\n\n## Notes\n' \
  >"$work/render/docs/index.md"
printf '# More\n\n## EnumKeys(sKey, sDelim)\n\n| a | b |\n|---|---|\n| 1 | [i](index.md) |\n' \
  >"$work/render/docs/more.md"
bash "$work/render/docs/render.sh" "$work/render/ok" 2>/dev/null || fail "render.sh failed on good pages"
grep -q '<a href="more.html#enumkeysskey-sdelim">m</a> <a href="#notes-1">n</a>' "$work/render/ok/index.html" &&
  grep -q '<h2 id="notes-1">Notes</h2>' "$work/render/ok/index.html" &&
  grep -q '<td><a href="index.html">i</a></td>' "$work/render/ok/more.html" ||
  fail "render.sh: links, anchors or tables rendered wrong"
printf '[x](gone.md) [y](more.md#gone)\n' >>"$work/render/docs/index.md"
errors=$(bash "$work/render/docs/render.sh" "$work/render/bad" 2>&1) && fail "render.sh let broken links through"
grep -q 'gone.html' <<<"$errors" && grep -q 'more.html#gone' <<<"$errors" ||
  fail "render.sh does not name the broken links: $errors"

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

# The package's tables: its files, the shortcut to the index, the PATH
# entry and the condition that turns its feature on.
table() { msiinfo export "$work/$msi" "$1" | tail -n +4 | tr -d '\r'; }
files=$(table File | cut -f3 | sed 's/.*|//' | LC_ALL=C sort)
[ "$files" = "$(printf '%s\n' ZarnUtils.dll ZarnUtils.dll zarnutils.exe $html | LC_ALL=C sort)" ] ||
  { printf 'the MSI holds:\n%s\n' "$files"; fail "unexpected MSI files"; }
table Shortcut | grep -q $'^Reference\tProgramMenuFolder\t[^\t]*\tdoc.index.html\t\\[#doc.index.html\\]' ||
  fail "no Start-menu shortcut to docs\\index.html"
table Environment | grep -qx $'PathEntry\t=-\\*PATH\t\\[~\\];\\[INSTALLDIR64\\]\tPathEntry' ||
  fail "no PATH entry"
table Condition | grep -qx $'AddToPath\t1\tADDTOPATH=1' || fail "ADDTOPATH=1 does not turn on AddToPath"
table Feature | grep -q $'^AddToPath\tComplete\t.*\t1000\t' || fail "AddToPath is not off by default"
echo "  $msi: $(wc -l <<<"$files") files, the shortcut, the PATH entry (ADDTOPATH=1)"

signed=("$work/$msi" "$work"/x86/* "$work"/x64/*)
for file in "${signed[@]}"; do
  if [ -n "$ca" ]; then
    osslsigncode verify -CAfile "$ca" -in "$file" >"$work/verify.log" 2>&1 ||
      { cat "$work/verify.log"; fail "${file#"$work/"}: the signature does not verify"; }
  elif osslsigncode verify -in "$file" >/dev/null 2>&1; then
    fail "${file#"$work/"} is signed, though no certificate was named"
  fi
done
echo "  ${#signed[@]} files $([ -n "$ca" ] && echo "signed, each signature verified" || echo "unsigned")"

grep -q 'regsvr32 /n /i:user' "$work/README-Windows.txt" || fail "README-Windows.txt lacks the per-user command"
grep -q 'WOW6432Node' "$work/README-Windows.txt" || fail "README-Windows.txt lacks the registry views"
grep -q 'ADDTOPATH=1' "$work/README-Windows.txt" || fail "README-Windows.txt lacks ADDTOPATH"
grep -q 'docs\\index.html' "$work/README-Windows.txt" || fail "README-Windows.txt does not point to the reference"
grep -q $'\r$' "$work/README-Windows.txt" || fail "README-Windows.txt has no Windows line ends"
echo "OK"
