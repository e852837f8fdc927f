#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, checks the installed
# files, then builds and runs programs against that prefix alone: a CMake
# project through find_package(ZarnUtils) and a one-line pkg-config build.
#
#   install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
expect_file() {
  if [ ! -f "$prefix/$1" ]; then
    echo "not installed: $1"
    failures=$((failures + 1))
  fi
}
for file in bin/zarnutils lib/libzarnutils.a include/zarnutils/store_location.h \
            lib/cmake/ZarnUtils/ZarnUtilsConfig.cmake \
            lib/cmake/ZarnUtils/ZarnUtilsConfigVersion.cmake \
            lib/cmake/ZarnUtils/ZarnUtilsTargets.cmake lib/pkgconfig/zarnutils.pc \
            share/doc/zarnutils/README.md share/doc/zarnutils/LICENSE \
            share/bash-completion/completions/zarnutils share/man/man1/zarnutils.1.gz; do
  expect_file "$file"
done
# Public headers only: nothing of the implementation's include tree.
if find "$prefix/include" -type f ! -path "$prefix/include/zarnutils/*" | grep .; then
  echo "files outside include/zarnutils/"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1

expected="ZARNUTILS_REGISTRY_DIR /var/lib/zarnutils"

cmake -S "$source/tests/install/consumer" -B "$work/consumer" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
answer=$("$work/consumer/consumer")
[ "$answer" = "$expected" ] || { echo "find_package consumer printed: $answer"; exit 1; }

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
c++ -o "$work/pkg-consumer" "$source/tests/install/consumer/main.cpp" \
  $(pkg-config --cflags --libs zarnutils)
answer=$("$work/pkg-consumer")
[ "$answer" = "$expected" ] || { echo "pkg-config consumer printed: $answer"; exit 1; }

"$prefix/bin/zarnutils" --version >/dev/null

# The installed manual renders without warnings and has the sections a
# reader looks for.
manual=$prefix/share/man/man1/zarnutils.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man -l warns: $warnings"; exit 1; }
page=$(MANWIDTH=80 man -l "$manual" 2>/dev/null)
for wanted in SYNOPSIS DESCRIPTION BATCH 'ADMINISTRATIVE VERBS' EXAMPLES \
              ZARNUTILS_REGISTRY_DIR XDG_DATA_HOME /var/lib/zarnutils 'exits with 1' \
              'Regedit.ReadValue' 'reg query'; do
  grep -qF -- "$wanted" <<<"$page" || { echo "manual lacks: $wanted"; exit 1; }
done
echo "install: find_package and pkg-config consumers build and run against $prefix"
