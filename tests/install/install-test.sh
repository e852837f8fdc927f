#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, checks the installed
# files, then builds and runs programs against that prefix alone: a CMake
# project through find_package(ZarnUtils) and a one-line pkg-config build.
# Each writes and reads a registry value in a scratch store and an INI
# entry, so the link must have brought SQLite along. A build tree configured
# with BUILD_SHARED_LIBS=ON must install libzarnutils.so with its soname.
#
#   install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
shared=$(sed -n 's/^BUILD_SHARED_LIBS:[A-Z]*=//p' "$build/CMakeCache.txt")
case "$shared" in ON | on | TRUE | true | 1) shared=yes ;; *) shared=no ;; esac

failures=0
expect_file() {
  if [ ! -f "$prefix/$1" ]; then
    echo "not installed: $1"
    failures=$((failures + 1))
  fi
}
if [ "$shared" = yes ]; then
  libraries="lib/libzarnutils.so lib/libzarnutils.so.1"
else
  libraries=lib/libzarnutils.a
fi
for header in automation_error call_status ini_edit regedit store_location text variant \
              zarnutils; do
  expect_file "include/zarnutils/$header.h"
done
for file in bin/zarnutils $libraries \
            lib/cmake/ZarnUtils/ZarnUtilsConfig.cmake \
            lib/cmake/ZarnUtils/ZarnUtilsConfigVersion.cmake \
            lib/cmake/ZarnUtils/ZarnUtilsTargets.cmake lib/pkgconfig/zarnutils.pc \
            share/doc/zarnutils/README.md share/doc/zarnutils/LICENSE \
            share/bash-completion/completions/zarnutils share/man/man1/zarnutils.1.gz; do
  expect_file "$file"
done
# Public headers only: nothing of the implementation's include tree.
strays=$(find "$prefix/include" -type f ! -path "$prefix/include/zarnutils/*")
if [ -n "$strays" ]; then
  echo "files outside include/zarnutils/: $strays"
  failures=$((failures + 1))
fi
if [ "$shared" = yes ]; then
  soname=$(readelf -d "$prefix/lib/libzarnutils.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ "$soname" = libzarnutils.so.1 ] || { echo "soname is '$soname', not libzarnutils.so.1"; exit 1; }
fi
[ "$failures" -eq 0 ] || exit 1

# Runs one consumer in a scratch store and checks what it did there.
run_consumer() {
  local name=$1 program=$2
  local store=$work/$name-registry ini=$work/$name.ini
  local expected answer
  expected=$(printf '%s\n' 'port 8080, keys App' 'ini 8080' 'error 9: Subscript out of range')
  answer=$(ZARNUTILS_REGISTRY_DIR=$store "$program" "$ini")
  [ "$answer" = "$expected" ] || { printf '%s consumer printed:\n%s\n' "$name" "$answer"; exit 1; }
  [ -f "$store/user.sqlite3" ] || { echo "$name consumer made no store in $store"; exit 1; }
  grep -q '^Port=8080' "$ini" || { echo "$name consumer wrote no INI entry"; exit 1; }
  if [ "$shared" = yes ]; then
    local loads
    loads=$(ldd "$program")
    grep -qF "$prefix/lib/libzarnutils.so.1" <<<"$loads" ||
      { echo "$name consumer does not load the installed libzarnutils.so.1"; exit 1; }
  fi
}

cmake -S "$source/tests/install/consumer" -B "$work/consumer" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
run_consumer find_package "$work/consumer/consumer"

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
c++ -o "$work/pkg-consumer" "$source/tests/install/consumer/main.cpp" \
  $(pkg-config --cflags --libs zarnutils)
if [ "$shared" = yes ]; then
  LD_LIBRARY_PATH=$prefix/lib run_consumer pkg-config "$work/pkg-consumer"
else
  run_consumer pkg-config "$work/pkg-consumer"
fi

"$prefix/bin/zarnutils" --version >/dev/null

# The C++ examples of docs/ build against the same install and print what
# their pages show.
bash "$source/tests/docs/run-cpp-examples.sh" "$prefix" "$source/docs"

# The installed manual renders without warnings, fits 80 columns, has the
# sections a reader looks for under short titles, and says word for word
# what --help says (the description's opening moves below the synopsis, so
# the words are compared as sorted lists).
manual=$prefix/share/man/man1/zarnutils.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man -l warns: $warnings"; exit 1; }
page=$(MANWIDTH=80 man -l "$manual" 2>/dev/null)
wide=$(awk 'length > 80' <<<"$page")
[ -z "$wide" ] || { printf 'manual lines wider than 80 columns:\n%s\n' "$wide"; exit 1; }
sections=$(grep -E '^[A-Z][A-Z ]*$' <<<"$page")
expected_sections='NAME SYNOPSIS DESCRIPTION METHODS ARGUMENTS OUTPUT BATCH MODE ADMINISTRATIVE
VERBS ENVIRONMENT FILES EXIT STATUS EXAMPLES'
[ "$(tr -s '[:space:]' ' ' <<<"$sections")" = "$(tr -s '[:space:]' ' ' <<<"$expected_sections")" ] ||
  { printf 'manual sections:\n%s\n' "$sections"; exit 1; }
for wanted in ZARNUTILS_REGISTRY_DIR XDG_DATA_HOME /var/lib/zarnutils/machine.sqlite3 \
              'exits with 1' 'Regedit.ReadValue' 'reg query' '--batch'; do
  grep -qF -- "$wanted" <<<"$page" || { echo "manual lacks: $wanted"; exit 1; }
done
help_words=$("$prefix/bin/zarnutils" --help | grep -vE '^[A-Z][A-Za-z ]*:$' |
  tr -s '[:space:]' '\n' | sed '/^$/d' | sort)
page_words=$(sed '1d;$d;/^NAME$/,/^$/d' <<<"$page" | grep -vE '^[A-Z][A-Z ]*$' |
  tr -s '[:space:]' '\n' | sed '/^$/d' | sort)
[ "$help_words" = "$page_words" ] || {
  echo "manual and --help differ:"
  diff <(echo "$help_words") <(echo "$page_words") || true
  exit 1
}
library=static
[ "$shared" = no ] || library="shared (libzarnutils.so.1)"
echo "install: find_package and pkg-config consumers build and run against $prefix, $library library"
