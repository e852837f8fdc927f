#!/usr/bin/env bash
# Writes the MSI package from the two Windows builds' binaries and
# registration entries (written at build time by the type library generator,
# the same entries as DllRegisterServer writes).
# Usage: make-msi.sh IDENTITY VERSION OUT.msi X86_DLL X86_ENTRIES X64_DLL X64_ENTRIES
#   IDENTITY: a build's release-identity.sh (names and version); VERSION is
#   the package's version: the DLL's file version for a release.
#   The product code follows from it, so that the same version built again
#   is the same product and installing it twice changes nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ $# -ne 7 ]; then
  echo "usage: make-msi.sh IDENTITY VERSION OUT.msi X86_DLL X86_ENTRIES X64_DLL X64_ENTRIES" >&2
  exit 2
fi
# shellcheck source=/dev/null
source "$1"
version=$2 out=$3 x86_dll=$4 x86_entries=$5 x64_dll=$6 x64_entries=$7

# A name-based identifier: the first 128 bits of the SHA-256 of the text.
product_code() {
  local hash
  hash=$(printf 'ZarnUtils product %s' "$1" | sha256sum | tr 'a-f' 'A-F')
  printf '%s-%s-%s-%s-%s' "${hash:0:8}" "${hash:8:4}" "${hash:12:4}" "${hash:16:4}" "${hash:20:12}"
}
registry() { awk -v path="[#$1]" -v folder="[$2]" -f "$here/registry-values.awk" "$3"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
registry ZarnUtils64.dll INSTALLDIR64 "$x64_entries" >"$work/x64.registry"
registry ZarnUtils32.dll INSTALLDIR32 "$x86_entries" >"$work/x86.registry"
awk -v x64="$work/x64.registry" -v x86="$work/x86.registry" '
  /^@X64_REGISTRY@$/ { while ((getline line < x64) > 0) print line; next }
  /^@X86_REGISTRY@$/ { while ((getline line < x86) > 0) print line; next }
  { print }' "$here/ZarnUtils.wxs.in" |
  sed -e "s|@PRODUCT_CODE@|$(product_code "$version")|" -e "s|@VERSION@|$version|g" \
      -e "s|@PRODUCT_NAME@|$product_name|g" -e "s|@COMPANY_NAME@|$company_name|g" \
      -e "s|@TITLE@|$title|g" >"$work/ZarnUtils.wxs"
# wixl takes the files from below its working folder.
mkdir -p "$work/x86" "$work/x64" "$(dirname "$out")"
cp "$x86_dll" "$work/x86/ZarnUtils.dll"
cp "$x64_dll" "$work/x64/ZarnUtils.dll"
out=$(realpath "$out")
(cd "$work" && wixl -a x64 -o "$out" ZarnUtils.wxs)
