#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, checks the installed
# files (both libraries, the shared one with its soname), then builds and
# runs programs against that prefix alone (consumer-test.sh), and the C++
# examples of the documentation, and checks the manual page.
#
#   install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
pc=$(cd "$prefix" && find lib -name zarnutils.pc -path '*/pkgconfig/*' | head -n 1)
libdir=$(dirname "$(dirname "${pc:-lib/pkgconfig/zarnutils.pc}")")

failures=0
expect_file() {
  if [ ! -f "$prefix/$1" ]; then
    echo "not installed: $1"
    failures=$((failures + 1))
  fi
}
for header in automation_error call_status ini_edit ini_file regedit registry store_location text variant \
              zarnutils; do
  expect_file "include/zarnutils/$header.h"
done
for file in bin/zarnutils "$libdir/libzarnutils.a" "$libdir/libzarnutils.so" \
            "$libdir/libzarnutils.so.1" \
            "$libdir/cmake/ZarnUtils/ZarnUtilsConfig.cmake" \
            "$libdir/cmake/ZarnUtils/ZarnUtilsConfigVersion.cmake" \
            "$libdir/cmake/ZarnUtils/ZarnUtilsTargets.cmake" "$libdir/pkgconfig/zarnutils.pc" \
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
[ "$failures" -eq 0 ] || exit 1
soname=$(readelf -d "$prefix/$libdir/libzarnutils.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libzarnutils.so.1 ] || { echo "soname is '$soname', not libzarnutils.so.1"; exit 1; }
# The shared library exports the public API alone: no symbol of the
# store, the INI engine, the component's inner classes or the libraries
# linked into it.
exported=$(nm -D --defined-only "$prefix/$libdir/libzarnutils.so" | c++filt | awk '$2 ~ /^[TDBRVWu]$/')
inner=$(grep -E 'RegistryDatabase|RegistryStore|RegistryService|IniDocument|ProfileService|SqliteError|Query|zarn::Transaction|Procedures|Described|LateBound|registry_calls|sqlite3' <<<"$exported" || true)
[ -z "$inner" ] || { printf 'libzarnutils.so exports internal symbols:\n%s\n' "$inner"; exit 1; }
foreign=$(grep -vE 'zarn::|_init$|_fini$' <<<"$exported" || true)
[ -z "$foreign" ] || { printf 'libzarnutils.so exports symbols outside zarn::\n%s\n' "$foreign"; exit 1; }
# A program catches the public exceptions by type only when their type
# information is exported with them.
for exception in zarn::RegistryError zarn::AutomationError zarn::registry::Error zarn::ini::Error; do
  grep -q "typeinfo for $exception\$" <<<"$exported" ||
    { echo "libzarnutils.so does not export the type information of $exception"; exit 1; }
done

bash "$source/tests/install/consumer-test.sh" "$prefix" "$source"
# --version names the version as the packages do.
shown_version=$("$prefix/bin/zarnutils" --version | cut -d' ' -f2)
package_version=$(sed -n 's/^Version: //p' "$prefix/$libdir/pkgconfig/zarnutils.pc")
[ "$shown_version" = "$package_version" ] ||
  { echo "--version says $shown_version, the package $package_version"; exit 1; }

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
echo "install: $libdir holds libzarnutils.a and libzarnutils.so.1; consumers, examples and manual check out"
