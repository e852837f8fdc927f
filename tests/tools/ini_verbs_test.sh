#!/usr/bin/env bash
# zarnutils ini from the outside: what get, set, del and list print, what
# they leave in the file, and their exit codes (0 success, 1 failure,
# 2 usage), through the native INI engine or the platform's profile
# functions.
#
#   ini_verbs_test.sh TARGET ZARNUTILS_COMMAND...
set -uo pipefail
target=$1
shift
zarn=("$@")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$target" = win32 ]; then file="Z:${scratch//\//\\}\\app.ini"; else file=$scratch/app.ini; fi
failures=0 checks=0

# expect CODE STDOUT ARGS...
expect() {
  local want_code=$1 want_out
  want_out=$(printf '%s' "$2")
  shift 2
  checks=$((checks + 1))
  local out code
  out=$("${zarn[@]}" ini "$@" </dev/null 2>"$scratch/err" | tr -d '\r'; exit "${PIPESTATUS[0]}")
  code=$?
  [ "$code" = "$want_code" ] || { echo "FAIL: ini $* exited $code, not $want_code ($(cat "$scratch/err"))"; failures=$((failures + 1)); }
  [ "$out" = "$want_out" ] || { echo "FAIL: ini $* printed '$out', not '$want_out'"; failures=$((failures + 1)); }
}

expect_said() {
  checks=$((checks + 1))
  grep -q "$1" "$scratch/err" || { echo "FAIL: the last command did not say '$1'"; failures=$((failures + 1)); }
}

long=$(printf 'x%.0s' $(seq 1 600))
expect 1 "" get "$file" Main Port
expect_said 'no such file'
expect 0 "" set "$file" Main Port 8080
expect 0 "" set "$file" Main Name 'a = b'
expect 0 "" set "$file" Main Long "$long"
expect 0 "" set "$file" Other Key value
expect 0 "8080" get "$file" main PORT
expect 0 "a = b" get "$file" Main Name
# The whole value, not the methods' 254 characters.
expect 0 "$long" get "$file" Main Long
expect 1 "" get "$file" Main Missing
expect_said 'no entry Missing in \[Main\]'
expect 1 "" get "$file" Nowhere Port
expect_said 'no section \[Nowhere\]'
expect 0 "Main
Other" list "$file"
expect 0 "Port=8080
Name=a = b
Long=$long" list "$file" Main
expect 0 "" del "$file" Main Name
expect 1 "" get "$file" Main Name
expect 0 "8080" get "$file" Main Port
expect 0 "" del "$file" Other
expect 0 "Main" list "$file"
expect 1 "" list "$file" Other
expect 0 "" del "$file" Other Gone
expect 1 "" del "$scratch/none.ini" Main
# Every refused write says why, with the file's name.
expect 1 "" set "$file" Main 'Bad
Key' v
expect_said "app.ini: cannot write Bad"
expect_said 'a key name the file format cannot hold'
expect 1 "" set "$file" 'Ma]in' k v
expect_said 'a section name the file format cannot hold'
if [ "$target" = win32 ]; then nofolder="${file%app.ini}none\app.ini"; else nofolder=$scratch/none/app.ini; fi
expect 1 "" set "$nofolder" Main k v
expect_said 'cannot write k in \[Main\]: folder missing'
# A file without write permission is read-only, as the platform's read-only
# files are, even for root; Wine run by root opens it for writing anyway.
if [ "$target" = native ] || [ "$(id -u)" != 0 ]; then
  cp "$scratch/app.ini" "$scratch/readonly.ini"
  chmod 444 "$scratch/readonly.ini"
  expect 1 "" set "${file%app.ini}readonly.ini" Main Port 1
  expect_said 'readonly.ini: cannot write Port in \[Main\]: permission denied'
  expect 1 "" del "${file%app.ini}readonly.ini" Main Port
  expect_said 'readonly.ini: cannot delete from \[Main\]: permission denied'
fi
# A link in a shared (sticky, world-writable) folder that belongs to neither
# the writer nor the folder's owner is not followed (native engine).
if [ "$target" = native ] && [ "$(id -u)" = 0 ]; then
  mkdir -m 1777 "$scratch/shared"
  ln -s "$scratch/app.ini" "$scratch/shared/link.ini"
  chown -h nobody "$scratch/shared/link.ini"
  expect 1 "" set "$scratch/shared/link.ini" Main k v
  expect_said 'link.ini: cannot write k in \[Main\]: a link refused'
fi
expect 2 "" get "$file" Main
# Bytes that are not UTF-8 would become U+FFFD, and sections S\xFF and S\xFE
# one section; on win32 the arguments arrive as UTF-16 and are always text.
if [ "$target" = native ]; then
  expect 2 "" set "$file" $'S\xff' k v
  expect_said 'argument 4 is not UTF-8: "S\\xFF"'
  expect 0 "Main" list "$file"
fi
expect 2 "" frob "$file"
expect 2 ""

echo "ini verbs ($target): $checks checks, $failures failed"
[ "$failures" = 0 ]
