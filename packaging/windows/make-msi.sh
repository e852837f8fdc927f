#!/usr/bin/env bash
# Writes the MSI package from the two Windows builds' binaries and
# registration entries (written at build time by the type library generator,
# the same entries as DllRegisterServer writes), the 64-bit zarnutils.exe
# and the rendered HTML reference (docs/render.sh).
# Usage: make-msi.sh IDENTITY VERSION OUT.msi X86_DLL X86_ENTRIES X64_DLL X64_ENTRIES X64_EXE HTML_DIR
#   IDENTITY: a build's release-identity.sh (names and version); VERSION is
#   the package's version: the DLL's file version for a release.
#   The product code follows from it, so that the same version built again
#   is the same product and installing it twice changes nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ $# -ne 9 ]; then
  echo "usage: make-msi.sh IDENTITY VERSION OUT.msi X86_DLL X86_ENTRIES X64_DLL X64_ENTRIES X64_EXE HTML_DIR" >&2
  exit 2
fi
# shellcheck source=/dev/null
source "$1"
version=$2 out=$3 x86_dll=$4 x86_entries=$5 x64_dll=$6 x64_entries=$7 x64_exe=$8 html=$9
[ -f "$html/index.html" ] || { echo "make-msi.sh: no index.html in $html" >&2; exit 2; }

# A name-based identifier: the first 128 bits of the SHA-256 of the text.
guid() {
  local hash
  hash=$(printf 'ZarnUtils %s' "$1" | sha256sum | tr 'a-f' 'A-F')
  printf '%s-%s-%s-%s-%s' "${hash:0:8}" "${hash:8:4}" "${hash:12:4}" "${hash:16:4}" "${hash:20:12}"
}
registry() { awk -v path="[#$1]" -v folder="[$2]" -f "$here/registry-values.awk" "$3"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/x86" "$work/x64" "$work/docs" "$(dirname "$out")"
registry ZarnUtils64.dll INSTALLDIR64 "$x64_entries" >"$work/x64.registry"
registry ZarnUtils32.dll INSTALLDIR32 "$x86_entries" >"$work/x86.registry"
# One component per page, its identifier named after the file, so that a
# page keeps its component from one version to the next; the index carries
# the Start-menu shortcut.
: >"$work/docs.components"
: >"$work/docs.refs"
for file in "$html"/*; do
  name=$(basename "$file")
  id="doc.${name//[^A-Za-z0-9_.]/_}"
  cp "$file" "$work/docs/$name"
  {
    printf '            <Component Id="%s" Guid="%s" Win64="yes">\n' "$id" "$(guid "doc $name")"
    printf '              <File Id="%s" Name="%s" Source="docs/%s" KeyPath="yes" />\n' "$id" "$name" "$name"
    [ "$name" = index.html ] &&
      printf '              <Shortcut Id="Reference" Directory="ProgramMenuFolder" Name="%s Reference" Target="[#%s]" Description="%s: the reference" />\n' \
        "$product_name" "$id" "$title"
    printf '            </Component>\n'
  } >>"$work/docs.components"
  printf '      <ComponentRef Id="%s" />\n' "$id" >>"$work/docs.refs"
done
awk -v x64="$work/x64.registry" -v x86="$work/x86.registry" \
    -v docs="$work/docs.components" -v refs="$work/docs.refs" '
  function insert(file,   line) { while ((getline line < file) > 0) print line }
  /^@X64_REGISTRY@$/ { insert(x64); next }
  /^@X86_REGISTRY@$/ { insert(x86); next }
  /^@DOCS@$/ { insert(docs); next }
  /^@DOC_REFS@$/ { insert(refs); next }
  { print }' "$here/ZarnUtils.wxs.in" |
  sed -e "s|@PRODUCT_CODE@|$(guid "product $version")|" -e "s|@VERSION@|$version|g" \
      -e "s|@PRODUCT_NAME@|$product_name|g" -e "s|@COMPANY_NAME@|$company_name|g" \
      -e "s|@TITLE@|$title|g" >"$work/ZarnUtils.wxs"
# wixl takes the files from below its working folder.
cp "$x86_dll" "$work/x86/ZarnUtils.dll"
cp "$x64_dll" "$work/x64/ZarnUtils.dll"
cp "$x64_exe" "$work/x64/zarnutils.exe"
out=$(realpath "$out")
(cd "$work" && wixl -a x64 -o "$out" ZarnUtils.wxs)

# What wixl cannot write, added as tables: the PATH entry of PathEntry
# (appended to the system PATH on install, taken out on removal), the
# condition that raises the AddToPath feature to the default level when
# ADDTOPATH=1, and the two actions that write and remove environment
# strings, at the places Windows Installer's standard sequence gives them.
printf 'Environment\tName\tValue\tComponent_\ns72\tl255\tS255\ts72\nEnvironment\tEnvironment\n%s\n' \
  $'PathEntry\t=-*PATH\t[~];[INSTALLDIR64]\tPathEntry' >"$work/Environment.idt"
printf 'Feature_\tLevel\tCondition\ns38\ti2\tS255\nCondition\tFeature_\tLevel\n%s\n' \
  $'AddToPath\t1\tADDTOPATH=1' >"$work/Condition.idt"
msiinfo export "$out" InstallExecuteSequence >"$work/InstallExecuteSequence.idt"
printf 'RemoveEnvironmentStrings\t\t3300\nWriteEnvironmentStrings\t\t5200\n' >>"$work/InstallExecuteSequence.idt"
(cd "$work" && msibuild "$out" -i Environment.idt -i Condition.idt -i InstallExecuteSequence.idt)
