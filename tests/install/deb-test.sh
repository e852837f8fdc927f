#!/usr/bin/env bash
# Builds the three .deb packages from the native build tree and checks them
# as Debian would: what each holds and depends on, nothing outside /usr, the
# program's postinst making the machine store's folder root's with mode
# 0755, the library's soname, shlibs and ldconfig trigger, a static library
# without debug information, and lintian reporting no errors or warnings.
# Then it builds and runs the consumers against the files of libzarnutils1
# and libzarnutils-dev alone.
#
#   deb-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >/dev/null)
failures=0
fail() {
  echo "$1"
  failures=$((failures + 1))
}
deb_of() {
  local deb
  deb=$(echo "$work/$1"_*.deb)
  [ -f "$deb" ] || { echo "cpack made no $1 package" >&2; exit 1; }
  echo "$deb"
}
program=$(deb_of zarnutils)
library=$(deb_of libzarnutils1)
development=$(deb_of libzarnutils-dev)
version=$(dpkg-deb -f "$program" Version)

# What each package holds: file paths, without the folders.
contents() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||'; }
holds() {
  grep -qE "^$2\$" <<<"$(contents "$1")" || fail "$(basename "$1") lacks $2"
}
for deb in "$program" "$library" "$development"; do
  outside=$(contents "$deb" | grep -v '^usr/' || true)
  [ -z "$outside" ] || fail "$(basename "$deb"): files outside /usr: $outside"
  name=$(dpkg-deb -f "$deb" Package)
  holds "$deb" "usr/share/doc/$name/copyright"
  holds "$deb" "usr/share/doc/$name/changelog.gz"
done

holds "$program" usr/bin/zarnutils
holds "$program" usr/share/man/man1/zarnutils.1.gz
holds "$program" usr/share/bash-completion/completions/zarnutils
strays=$(contents "$program" | grep -E '^usr/(lib|include)/' || true)
[ -z "$strays" ] || fail "zarnutils holds library files: $strays"
grep -q 'libsqlite3-0' <<<"$(dpkg-deb -f "$program" Depends)" || fail "zarnutils lacks libsqlite3-0"
dpkg-deb -e "$program" "$work/program-control"
grep -q 'mkdir -p /var/lib/zarnutils' "$work/program-control/postinst" || fail "postinst makes no store folder"
grep -q 'chown root:root /var/lib/zarnutils' "$work/program-control/postinst" || fail "postinst sets no owner"
grep -q 'chmod 0755 /var/lib/zarnutils' "$work/program-control/postinst" || fail "postinst sets no mode"

holds "$library" 'usr/lib/([a-z0-9_-]+/)?libzarnutils\.so\.1'
holds "$library" "usr/lib/([a-z0-9_-]+/)?libzarnutils\\.so\\.$version"
strays=$(contents "$library" | grep -vE '^usr/(lib/.*libzarnutils\.so\.1|share/doc/)' || true)
[ -z "$strays" ] || fail "libzarnutils1 holds more than the library: $strays"
grep -q 'libsqlite3-0' <<<"$(dpkg-deb -f "$library" Depends)" || fail "libzarnutils1 lacks libsqlite3-0"
dpkg-deb -e "$library" "$work/library-control"
grep -qx 'libzarnutils 1 libzarnutils1 (>= [0-9.]*)' "$work/library-control/shlibs" ||
  fail "libzarnutils1 has no shlibs line for libzarnutils.so.1"
grep -qx 'activate-noawait ldconfig' "$work/library-control/triggers" ||
  fail "libzarnutils1 has no ldconfig trigger"

for file in usr/include/zarnutils/zarnutils.h usr/include/zarnutils/registry.h \
            'usr/lib/([a-z0-9_-]+/)?libzarnutils\.a' \
            'usr/lib/([a-z0-9_-]+/)?libzarnutils\.so' \
            'usr/lib/([a-z0-9_-]+/)?cmake/ZarnUtils/ZarnUtilsConfig\.cmake' \
            'usr/lib/([a-z0-9_-]+/)?pkgconfig/zarnutils\.pc'; do
  holds "$development" "$file"
done
grep -qF "libzarnutils1 (= $version)" <<<"$(dpkg-deb -f "$development" Depends)" ||
  fail "libzarnutils-dev does not depend on libzarnutils1 (= $version)"
mkdir "$work/root"
dpkg-deb -x "$library" "$work/root"
dpkg-deb -x "$development" "$work/root"
# As installed, pkg-config finds the headers and library in the system
# folders and so gives no -I or -L at all.
pc=$(find "$work/root" -name zarnutils.pc)
grep -qx 'prefix=/usr' "$pc" || fail "zarnutils.pc does not name prefix /usr"
flags=$(PKG_CONFIG_PATH=$(dirname "$pc") PKG_CONFIG_SYSROOT_DIR='' pkg-config --cflags --libs zarnutils)
[ "$(echo $flags)" = "-lzarnutils" ] || fail "zarnutils.pc gives more than -lzarnutils: $flags"
archive=$(find "$work/root" -name libzarnutils.a)
debug=$(objdump -h "$archive" | grep -c '\.debug_' || true)
[ "$debug" -eq 0 ] || fail "libzarnutils.a carries $debug debug sections"

# No errors, no warnings. The one known warning: cpack writes ldconfig calls
# into a library package's maintainer scripts unless it brings its own, so
# libzarnutils1 brings two that leave the work to its trigger.
for deb in "$program" "$library" "$development"; do
  findings=$(lintian "$deb" 2>/dev/null | grep -E '^[EW]:' |
    grep -v '^W: libzarnutils1: maintainer-script-empty \[post\(inst\|rm\)\]$' || true)
  [ -z "$findings" ] || fail "lintian: $findings"
done
[ "$failures" -eq 0 ] || exit 1

bash "$source/tests/install/consumer-test.sh" "$work/root/usr" "$source"
echo "deb: $(cd "$work" && echo *.deb) check out; lintian reports no errors or warnings"
