#!/usr/bin/env bash
# Builds every C++ example of docs/*.md against an installed ZarnUtils (its
# pkg-config file) and runs it in a scratch registry store and working
# folder; an example followed by shown output must print exactly that.
#
#   run-cpp-examples.sh PREFIX DOCS_DIR
set -uo pipefail
shopt -s nullglob
prefix=$1
docs=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash "$here/extract-examples.sh" cpp cpp "$work/examples" "$docs"/*.md || exit 1
examples=("$work"/examples/*.cpp)
[ "${#examples[@]}" -gt 0 ] || { echo "no C++ examples found in $docs"; exit 1; }
pc=$(find "$prefix" -name zarnutils.pc -path '*/pkgconfig/*' | head -n 1)
libdir=$(dirname "$(dirname "$pc")")
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046
flags=$(pkg-config --cflags --libs zarnutils) || exit 1

failed=0
for example in "${examples[@]}"; do
  base=${example%.cpp}
  where=$(cat "$base.where")
  # shellcheck disable=SC2086
  if ! c++ -std=c++17 -Wall -Wextra -Werror -o "$base" "$example" $flags 2>"$base.log"; then
    echo "FAIL $where: does not compile"
    sed 's/^/  /' "$base.log"
    failed=$((failed + 1))
    continue
  fi
  mkdir "$base.run"
  actual=$(cd "$base.run" && ZARNUTILS_REGISTRY_DIR=$base.run/registry \
             LD_LIBRARY_PATH=$libdir "$base" 2>&1)
  status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL $where: exited with $status"
    printf '%s\n' "$actual" | sed 's/^/  /'
    failed=$((failed + 1))
  elif [ -f "$base.out" ] && [ "$actual" != "$(cat "$base.out")" ]; then
    echo "FAIL $where: its output differs from the page's"
    diff "$base.out" <(printf '%s\n' "$actual") | sed 's/^/  /'
    failed=$((failed + 1))
  fi
done
echo "docs C++ examples: $((${#examples[@]} - failed)) of ${#examples[@]} built and ran as shown"
[ "$failed" -eq 0 ]
