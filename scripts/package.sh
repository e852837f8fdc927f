#!/usr/bin/env bash
# Builds both Windows presets and writes the Windows release into dist/:
#   ZarnUtils-VERSION.msi          one per-machine package: both DLLs, the
#                                  64-bit zarnutils.exe, the HTML reference
#                                  with a Start-menu shortcut, and PATH as a
#                                  feature (off unless ADDTOPATH=1)
#   ZarnUtils-VERSION-windows.zip  x86\ and x64\ ZarnUtils.dll and
#                                  zarnutils.exe (stripped), the MSI, docs\
#                                  (the reference in HTML and in Markdown),
#                                  README-Windows.txt and SHA256SUMS
#   debug/x86/, debug/x64/         the binaries' debug information
#                                  (NAME.debug, linked from the stripped files)
# VERSION is the DLL's file version. Installs what it needs first.
#
# Usage: package.sh [--version VERSION] [--out DIR]
#   --version: the package's version instead of the DLL's (the release test
#              packages the same binaries as a later version, to upgrade);
#   --out: the folder instead of dist/.
# Authenticode signing, when ZARN_SIGN_CERT and ZARN_SIGN_KEY name a
# certificate and its key: the four binaries and the MSI are signed with
# osslsigncode (docs/development.md, "Signing a release"). Unsigned otherwise.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

package_version='' dist=dist
while [ $# -gt 0 ]; do
  case $1 in
    --version) package_version=${2:?--version needs a value}; shift 2 ;;
    --out) dist=${2:?--out needs a folder}; shift 2 ;;
    *) echo "usage: package.sh [--version VERSION] [--out DIR]" >&2; exit 2 ;;
  esac
done
if [ -n "$package_version" ] && ! [[ $package_version =~ ^[0-9]+(\.[0-9]+){3}$ ]]; then
  echo "package: --version takes four numbers, as 1.2.3.4" >&2
  exit 2
fi
if [ -n "${ZARN_SIGN_CERT:-}${ZARN_SIGN_KEY:-}" ] &&
   ! { [ -f "${ZARN_SIGN_CERT:-}" ] && [ -f "${ZARN_SIGN_KEY:-}" ]; }; then
  echo "package: ZARN_SIGN_CERT and ZARN_SIGN_KEY must both name files" >&2
  exit 2
fi

bash scripts/setup.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target ZarnUtils zarnutils
done

# shellcheck source=/dev/null
source build/win64/release-identity.sh
version=${package_version:-$version}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
rm -rf "$dist/debug" "$dist/ZarnUtils-$version.msi" "$dist/ZarnUtils-$version-windows.zip"
mkdir -p "$dist"

# Signs FILE in place when a certificate is named: SHA-256, the product's
# name as the description, an RFC 3161 timestamp when a server is named.
sign() {
  [ -n "${ZARN_SIGN_CERT:-}" ] || return 0
  local options=(-h sha256 -n "$product_name" -certs "$ZARN_SIGN_CERT" -key "$ZARN_SIGN_KEY")
  [ -n "${ZARN_SIGN_KEY_PASSWORD_FILE:-}" ] && options+=(-readpass "$ZARN_SIGN_KEY_PASSWORD_FILE")
  [ -n "${ZARN_SIGN_TIMESTAMP_URL:-}" ] && options+=(-ts "$ZARN_SIGN_TIMESTAMP_URL")
  osslsigncode sign "${options[@]}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}

# Copies BINARY stripped and signed into the staging folder ARCH, its debug
# information into dist/debug/ARCH/NAME.debug, which the stripped file names.
release_binary() {
  local arch=$1 tools=$2 binary=$3
  local name
  name=$(basename "$binary")
  mkdir -p "$stage/$arch" "$dist/debug/$arch"
  "$tools-objcopy" --only-keep-debug "$binary" "$dist/debug/$arch/$name.debug"
  "$tools-strip" --strip-all -o "$stage/$arch/$name" "$binary"
  (cd "$dist/debug/$arch" && "$tools-objcopy" --add-gnu-debuglink="$name.debug" "$stage/$arch/$name")
  sign "$stage/$arch/$name"
}
for binary in ZarnUtils.dll zarnutils.exe; do
  release_binary x86 i686-w64-mingw32 "build/win32/$binary"
  release_binary x64 x86_64-w64-mingw32 "build/win64/$binary"
done

bash docs/render.sh "$stage/docs"

entries=src/component/com/resources/registration-entries.txt
msi="ZarnUtils-$version.msi"
bash packaging/windows/make-msi.sh build/win64/release-identity.sh "$version" "$stage/$msi" \
  "$stage/x86/ZarnUtils.dll" "build/win32/$entries" "$stage/x64/ZarnUtils.dll" "build/win64/$entries" \
  "$stage/x64/zarnutils.exe" "$stage/docs"
sign "$stage/$msi"
# The zip's docs\ holds the Markdown beside the HTML.
cp docs/*.md "$stage/docs/"
sed -e "s|@VERSION@|$version|g" packaging/windows/README-Windows.txt | sed 's/$/\r/' \
  >"$stage/README-Windows.txt"
(cd "$stage" && find "$msi" README-Windows.txt x86 x64 docs -type f | LC_ALL=C sort |
  xargs sha256sum >SHA256SUMS)
(cd "$stage" && zip -q -X -r -D "ZarnUtils-$version-windows.zip" \
  "$msi" README-Windows.txt SHA256SUMS x86 x64 docs)
cp "$stage/$msi" "$stage/ZarnUtils-$version-windows.zip" "$dist/"

echo "package: $dist/$msi, $dist/ZarnUtils-$version-windows.zip, $dist/debug/${ZARN_SIGN_CERT:+ (signed)}"
(cd "$stage" && wc -c -- x86/* x64/* "$msi" "ZarnUtils-$version-windows.zip" |
  sed '$d' | awk '{ printf "  %-28s %9d bytes\n", $2, $1 }')
