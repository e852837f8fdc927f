#!/usr/bin/env bash
# Runs every fenced block marked `console` of docs/*.md: a shell session
# whose lines starting with "$ " are commands and whose other lines are what
# they print, standard output and error together (line ends aside). Each
# block runs alone in a fresh bash, working folder and registry store, with
# zarnutils on PATH; /tmp/ in the block stands for a folder of its own.
#
#   run-cli-examples.sh ZARNUTILS DOCS_DIR
set -uo pipefail
shopt -s nullglob
zarnutils=$1
docs=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash "$here/extract-examples.sh" console console "$work/examples" "$docs"/*.md || exit 1
examples=("$work"/examples/*.console)
[ "${#examples[@]}" -gt 0 ] || { echo "no console examples found in $docs"; exit 1; }
mkdir "$work/bin"
ln -s "$(realpath "$zarnutils")" "$work/bin/zarnutils"

failed=0
for example in "${examples[@]}"; do
  base=${example%.console}
  where=$(cat "$base.where")
  mkdir -p "$base.run/tmp"
  sed "s#/tmp/#$base.run/tmp/#g" "$example" >"$base.session"
  sed -n 's/^\$ //p' "$base.session" >"$base.sh"
  grep -v '^\$ ' "$base.session" >"$base.expected"
  (cd "$base.run" && PATH=$work/bin:$PATH ZARNUTILS_REGISTRY_DIR=$base.run/registry \
     bash "$base.sh" </dev/null 2>&1 | tr -d '\r') >"$base.actual"
  if ! diff -u "$base.expected" "$base.actual" >"$base.diff"; then
    echo "FAIL $where: the session prints otherwise"
    sed 's/^/  /' "$base.diff"
    failed=$((failed + 1))
  fi
done
echo "docs console examples: $((${#examples[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
