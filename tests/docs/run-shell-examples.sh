#!/usr/bin/env bash
# Runs the sh examples of the pages named with the zarnutils program given,
# natively: each page's examples in order, as a reader follows them, in one
# fresh registry store and working folder of their own. An example followed
# by shown output must print exactly that (standard output and error
# together); every zarnutils command in it must exit 0 or 2 (reg compare's
# "different", reg apply's "changed"), never 1.
#
#   run-shell-examples.sh ZARNUTILS PAGE...
set -uo pipefail
program=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0 failed=0 checked=0
for page in "$@"; do
  examples=$work/$(basename "$page" .md)
  bash "$here/extract-examples.sh" sh sh "$examples" "$page" || exit 1
  folder=$examples.run
  mkdir -p "$folder" "$examples.store"
  for example in "$examples"/*.sh; do
    [ -e "$example" ] || continue
    base=${example%.sh}
    where=$(cat "$base.where")
    : >"$work/refused"
    actual=$(cd "$folder" && ZARNUTILS_REGISTRY_DIR=$examples.store PROGRAM=$program \
      REFUSED=$work/refused bash -c '
        zarnutils() {
          "$PROGRAM" "$@"
          local code=$?
          [ "$code" = 0 ] || [ "$code" = 2 ] || echo "zarnutils $* exited $code" >>"$REFUSED"
          return "$code"
        }
        source "$1"' example "$example" 2>&1)
    problem=
    if [ -s "$work/refused" ]; then
      problem=$(cat "$work/refused")
    elif [ -f "$base.out" ] && [ "$actual" != "$(cat "$base.out")" ]; then
      problem="its output differs from the page's"
    fi
    if [ -n "$problem" ]; then
      failed=$((failed + 1))
      echo "FAIL $where: $problem"
      if [ -f "$base.out" ]; then
        diff <(cat "$base.out") <(printf '%s\n' "$actual") | sed 's/^/  /'
      else
        printf '%s\n' "$actual" | sed 's/^/  /'
      fi
    else
      passed=$((passed + 1))
      [ -f "$base.out" ] && checked=$((checked + 1))
    fi
  done
done
echo "shell examples: $passed passed ($checked with their output compared), $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
