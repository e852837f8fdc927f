#!/usr/bin/env bash
# Builds the .deb from the native build tree and checks it as Debian would:
# its dependencies, that it holds nothing outside /usr, that its postinst
# makes the machine store's folder root's with mode 0755, and that lintian
# finds no errors.
#
#   deb-test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >/dev/null)
deb=$(echo "$work"/zarnutils_*.deb)
[ -f "$deb" ] || { echo "cpack made no .deb"; exit 1; }

failures=0
fail() {
  echo "$1"
  failures=$((failures + 1))
}
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libsqlite3-0' <<<"$depends" || fail "Depends lacks libsqlite3-0"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
dpkg-deb -e "$deb" "$work/control"
grep -q 'mkdir -p /var/lib/zarnutils' "$work/control/postinst" || fail "postinst makes no store folder"
grep -q 'chown root:root /var/lib/zarnutils' "$work/control/postinst" || fail "postinst sets no owner"
grep -q 'chmod 0755 /var/lib/zarnutils' "$work/control/postinst" || fail "postinst sets no mode"

errors=$(lintian "$deb" 2>/dev/null | grep '^E:' || true)
[ -z "$errors" ] || fail "lintian: $errors"
[ "$failures" -eq 0 ] || exit 1
echo "deb: $(basename "$deb") depends on $(dpkg-deb -f "$deb" Depends); lintian reports no errors"
