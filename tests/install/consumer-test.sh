#!/usr/bin/env bash
# Builds and runs programs against an installed ZarnUtils alone (a prefix
# from `cmake --install`, or the files of the libzarnutils1 and
# libzarnutils-dev packages): through find_package(ZarnUtils) with the
# shared and with the static library, and with a one-line pkg-config build,
# which also builds a program on the typed registry header alone.
# Each places its store in a folder it names, in place of the
# ZARNUTILS_REGISTRY_DIR it is given, writes and reads a registry value and
# an INI entry, so the link must have brought SQLite along; the shared ones
# must load the prefix's libzarnutils.so.1.
#
#   consumer-test.sh PREFIX SOURCE_DIR
set -euo pipefail
prefix=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pc=$(find "$prefix" -name zarnutils.pc -path '*/pkgconfig/*' | head -n 1)
[ -n "$pc" ] || { echo "no zarnutils.pc under $prefix"; exit 1; }
libdir=$(dirname "$(dirname "$pc")")

# Runs one consumer and checks what it did, and which library it loads.
run_consumer() {
  local name=$1 library=$2 program=$3
  local store=$work/$name-registry decoy=$work/$name-decoy ini=$work/$name.ini
  local expected answer loads
  expected=$(printf '%s\n' 'port 8080, keys App' 'ini 8080' 'error 9: Subscript out of range')
  answer=$(ZARNUTILS_REGISTRY_DIR=$decoy LD_LIBRARY_PATH=$libdir "$program" "$store" "$ini")
  [ "$answer" = "$expected" ] || { printf '%s consumer printed:\n%s\n' "$name" "$answer"; exit 1; }
  [ -f "$store/user.sqlite3" ] || { echo "$name consumer made no store in $store"; exit 1; }
  [ ! -e "$decoy" ] || { echo "$name consumer used ZARNUTILS_REGISTRY_DIR, not its folder"; exit 1; }
  grep -q '^Port=8080' "$ini" || { echo "$name consumer wrote no INI entry"; exit 1; }
  loads=$(LD_LIBRARY_PATH=$libdir ldd "$program")
  if [ "$library" = shared ]; then
    grep -qF "$libdir/libzarnutils.so.1" <<<"$loads" ||
      { echo "$name consumer does not load $libdir/libzarnutils.so.1"; exit 1; }
  elif grep -q libzarnutils <<<"$loads"; then
    echo "$name consumer loads a shared libzarnutils"
    exit 1
  fi
}

for library in shared static; do
  static=OFF
  [ "$library" = shared ] || static=ON
  cmake -S "$source/tests/install/consumer" -B "$work/consumer-$library" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCONSUMER_STATIC=$static >/dev/null
  cmake --build "$work/consumer-$library" >/dev/null
  run_consumer "find_package-$library" $library "$work/consumer-$library/consumer"
done

export PKG_CONFIG_PATH=$libdir/pkgconfig
# The file names its prefix as an absolute path; package files unpacked
# below a folder (the .deb's /usr in $prefix) are reached through
# pkg-config's sysroot, with the system folders it would leave out kept.
declared=$(pkg-config --variable=prefix zarnutils)
if [ "$declared" != "$prefix" ]; then
  [ "${prefix%"$declared"}" != "$prefix" ] ||
    { echo "zarnutils.pc names prefix $declared, installed in $prefix"; exit 1; }
  export PKG_CONFIG_SYSROOT_DIR=${prefix%"$declared"}
  export PKG_CONFIG_ALLOW_SYSTEM_CFLAGS=1 PKG_CONFIG_ALLOW_SYSTEM_LIBS=1
fi
flags=$(pkg-config --cflags --libs zarnutils)
if grep -qE '(^|/)\.\.?(/|$| )' <<<"$flags"; then
  echo "pkg-config gives paths that are not canonical: $flags"
  exit 1
fi
# shellcheck disable=SC2086
c++ -std=c++17 -o "$work/pkg-consumer" "$source/tests/install/consumer/main.cpp" $flags
run_consumer pkg-config shared "$work/pkg-consumer"
# The typed registry API's header is enough on its own.
# shellcheck disable=SC2086
c++ -std=c++17 -o "$work/typed-consumer" "$source/tests/install/consumer/typed.cpp" $flags
typed=$(LD_LIBRARY_PATH=$libdir "$work/typed-consumer" "$work/typed-registry")
[ "$typed" = $'alpha beta REG_MULTI_SZ\n0' ] || { printf 'typed consumer printed:\n%s\n' "$typed"; exit 1; }
echo "consumers: find_package (shared, static), pkg-config and the typed API's alone build and run against $prefix"
