#!/usr/bin/env bash
# zarnutils ini from the outside: what get, set, del and list print (as
# text and as JSON, which jq and Python's json must both read), what they
# leave in the file, what their errors name, and their exit codes
# (0 success, 1 failure, 2 usage), through the native INI engine or the
# platform's profile functions.
#
#   ini_verbs_test.sh TARGET ZARNUTILS_COMMAND...
set -uo pipefail
target=$1
shift
zarn=("$@")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A scratch file's name as the program under test spells it.
name_of() { if [[ $target == win* ]]; then local p="Z:$scratch/$1"; echo "${p//\//\\}"; else echo "$scratch/$1"; fi; }
file=$(name_of app.ini)
failures=0 checks=0
global=()       # options before "ini"
reader=(cat)    # what reads the output before it is compared

# expect CODE STDOUT ARGS...
expect() {
  local want_code=$1 want_out
  want_out=$(printf '%s' "$2")
  shift 2
  checks=$((checks + 1))
  local out code
  out=$("${zarn[@]}" "${global[@]}" ini "$@" </dev/null 2>"$scratch/err" | tr -d '\r' | "${reader[@]}"; exit "${PIPESTATUS[0]}")
  code=$?
  [ "$code" = "$want_code" ] || { echo "FAIL: ini $* exited $code, not $want_code ($(cat "$scratch/err"))"; failures=$((failures + 1)); }
  [ "$out" = "$want_out" ] || { echo "FAIL: ini $* printed '$out', not '$want_out'"; failures=$((failures + 1)); }
}

# expect_json CODE JQ_COMPACT ARGS...: the --json form, read back by jq
# (compared compactly) and by Python's json.
expect_json() {
  local want_code=$1 want=$2
  shift 2
  global=(--json) reader=(jq -c .)
  expect "$want_code" "$want" "$@"
  global=() reader=(cat)
  [ "$want_code" = 0 ] || return
  "${zarn[@]}" --json ini "$@" </dev/null 2>/dev/null | python3 -m json.tool >/dev/null ||
    { echo "FAIL: Python's json cannot read ini $*"; failures=$((failures + 1)); }
}

expect_said() {
  checks=$((checks + 1))
  grep -q "$1" "$scratch/err" || { echo "FAIL: the last command did not say '$1'"; failures=$((failures + 1)); }
}

long=$(printf 'x%.0s' $(seq 1 600))
expect 1 "" get "$file" Main Port
expect_said 'cannot open .*app.ini: No such file or directory'
expect 0 "8" get "$file" Main Port --default 8
expect 1 "" list "$scratch"
expect_said 'cannot open .*: Is a directory'
# A named pipe is refused at once, never waited on for a writer (natively;
# Windows' file system has no named pipes, and Wine reads a FIFO as empty).
if [ "$target" = native ]; then
  mkfifo "$scratch/fifo"
  for words in "get $scratch/fifo Main Port" "list $scratch/fifo"; do
    checks=$((checks + 1))
    timeout 60 "${zarn[@]}" ini $words </dev/null 2>"$scratch/err" >/dev/null
    [ $? = 1 ] || { echo "FAIL: ini $words did not fail at once"; failures=$((failures + 1)); }
    expect_said 'cannot open .*fifo: a named pipe, not a regular file'
  done
fi
expect 0 "" set "$file" Main Port 8080
expect 0 "" set "$file" Main Name 'a = b'
expect 0 "" set "$file" Main Long "$long"
expect 0 "" set "$file" Other Key value
# A new file's lines end in CR LF on every target, as Windows writes them.
checks=$((checks + 1))
[ "$(grep -c $'\r$' "$scratch/app.ini")" = "$(wc -l <"$scratch/app.ini")" ] ||
  { echo "FAIL: a new file's lines do not all end in CR LF: $(od -c "$scratch/app.ini" | head -3)"; failures=$((failures + 1)); }
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
expect_json 0 '{"file":"'"${file//\\/\\\\}"'","sections":["Main","Other"]}' list "$file"
expect_json 0 '{"file":"'"${file//\\/\\\\}"'","section":"Main","entries":[{"name":"Port","value":"8080"},{"name":"Name","value":"a = b"},{"name":"Long","value":"'"$long"'"}]}' list "$file" Main

# Control characters in names and data: exact through a pipe, escaped on a
# terminal, and escaped in every error message, which stays one line.
printf '[Main]\nTitle=\033]0;owned\007\n' >"$scratch/control.ini"
expect 0 $'\033]0;owned\007' get "$(name_of control.ini)" Main Title
expect 1 "" get "$(name_of $'forged\nline.ini')" Main Title
expect_said 'cannot open "'
checks=$((checks + 1))
[ "$(wc -l <"$scratch/err")" = 1 ] || { echo "FAIL: an error naming a file with a line break took $(wc -l <"$scratch/err") lines"; failures=$((failures + 1)); }
if [ "$target" = native ]; then
  checks=$((checks + 1))
  shown=$(SHELL=/bin/bash script -qec "$(printf '%q ' "${zarn[@]}" ini get "$scratch/control.ini" Main Title)" /dev/null </dev/null | tr -d '\r')
  [ "$shown" = '"\033]0;owned\a"' ] || { echo "FAIL: ini get on a terminal showed '$shown'"; failures=$((failures + 1)); }
fi

# --default answers for a missing file, section or entry only; --type reads
# the value (or the default) as the profile functions read numbers, or as
# a Boolean word.
expect 0 "8080" get "$file" Main Port --default 1
expect 0 "none" get "$file" Main Missing --default none
expect 0 "none" get "$file" Nowhere Port --default none
expect 0 "none" get "$(name_of none.ini)" Main Port --default none
expect_json 0 '{"file":"x","section":"S","key":"K","value":"d","found":false}' get x S K --default d
expect_json 0 '{"file":"'"${file//\\/\\\\}"'","section":"main","key":"PORT","value":8080,"found":true}' get "$file" main PORT --type int
expect_json 0 '{"file":"x","section":"S","key":"K","value":-3,"found":false}' get --type int x S K --default -3
expect_json 0 '{"file":"x","section":"S","key":"K","value":true,"found":false}' get x S K --type bool --default on
# typed KIND VALUE CODE OUT: VALUE written, then read back with --type KIND.
typed() {
  expect 0 "" set "$file" Typed Value "$2"
  expect "$3" "$4" get "$file" Typed Value --type "$1"
}
typed int ' 0x1F' 0 31
typed int '12abc' 1 ""
expect_said "is '12abc', not a number"
typed int 'example.org' 1 ""
expect_said "entry Value in \[Typed\] is 'example.org', not a number"
typed int '3.9' 1 ""
typed int '0X1F' 1 ""
typed int '0x' 1 ""
typed int '+0b101' 0 5
typed int '0o17' 0 15
typed int '010' 0 10
typed int '"42"' 0 42
typed int '-1' 0 -1
typed int '4294967297' 0 1
typed int '' 1 ""
expect_said 'entry Value in \[Typed\] is empty'
typed bool 'Yes' 0 true
typed bool 'OFF' 0 false
typed bool 'true' 0 true
typed bool '0' 0 false
typed bool "'on'" 0 true
typed bool 'maybe' 1 ""
expect_said "is 'maybe', not true/false"
# A usage error names the word it could not use, then gives the usage.
usage_error() {
  local said=$1
  shift
  expect 2 "" "$@"
  expect_said "^zarnutils ini: $said"
  expect_said '^usage:'
}
usage_error "unknown type 'float' (int or bool)" get "$file" Main Port --type float
usage_error "--json is an option of zarnutils: it goes before \"ini\"" get "$file" Main Port --json
usage_error "unknown option --frob" get "$file" Main Port --frob
usage_error "--default of --type int is '0x10', not a decimal number" get "$file" Main Port --type int --default 0x10
usage_error "--default of --type bool is 'maybe'" get "$file" Main Port --type bool --default maybe
usage_error "--default needs a value" get "$file" Main Port --default
usage_error "missing KEY" get "$file" Main
usage_error "unexpected word 'Extra'" get "$file" Main Port Extra
usage_error "missing VALUE" set "$file" Main Port
usage_error "unexpected word 'Extra'" del "$file" Main Port Extra
usage_error "unknown verb 'frob' (get, set, del or list)" frob "$file"
usage_error "a verb expected"
expect 0 "" del "$file" Typed

expect 0 "" del "$file" Main Name
expect 1 "" get "$file" Main Name
expect 0 "8080" get "$file" Main Port
expect 0 "" del "$file" Other
expect 0 "Main" list "$file"
expect 1 "" list "$file" Other
expect 0 "" del "$file" Other Gone
expect 1 "" del "$(name_of none.ini)" Main
expect_said 'cannot open .*none.ini: No such file or directory'
# Every refused write says why, with the file's name.
expect 1 "" set "$file" Main 'Bad
Key' v
expect_said 'app.ini: cannot write "Bad\\nKey" in \[Main\]'
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
# Bytes that are not UTF-8 would become U+FFFD, and sections S\xFF and S\xFE
# one section; on win32 the arguments arrive as UTF-16 and are always text.
if [ "$target" = native ]; then
  expect 2 "" set "$file" $'S\xff' k v
  expect_said 'argument 4 is not UTF-8: "S\\xFF"'
  expect 0 "Main" list "$file"
fi
# --help, alone or after a verb, is no usage error.
expect 0 "zarnutils ini set FILE SECTION KEY VALUE
  Writes the entry, creating the section and the file when missing." set --help
checks=$((checks + 1))
"${zarn[@]}" ini --help </dev/null | grep -q 'ini list FILE \[SECTION\]' ||
  { echo "FAIL: ini --help does not list the verbs"; failures=$((failures + 1)); }

echo "ini verbs ($target): $checks checks, $failures failed"
[ "$failures" = 0 ]
