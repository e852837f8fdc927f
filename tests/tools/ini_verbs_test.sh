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
expect 0 "created [Main] Port=8080" set "$file" Main Port 8080
expect 0 "created [Main] Name=a = b" set "$file" Main Name 'a = b'
expect 0 "created [Main] Long=$long" set "$file" Main Long "$long"
expect 0 "created [Other] Key=value" set "$file" Other Key value
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
  global=(-q)
  expect 0 "" set "$file" Typed Value "$2"
  global=()
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
usage_error "missing VALUE of 'Two'" set "$file" Main One 1 Two
usage_error "missing FRAGMENT" apply "$file"
usage_error "unknown option --frob" apply "$file" - --frob
usage_error "unknown format 'xml' (sh or lines)" list "$file" Main --format=xml
usage_error "--all takes neither --default nor --type" get "$file" Main Port --all --default 1
usage_error "unknown verb 'frob' (get, set, apply, del or list)" frob "$file"
usage_error "a verb expected"
expect 0 "" del "$file" Typed

# Several entries in one write: each reported, the file written once and
# not at all when it already holds them; --check writes nothing, --diff
# shows the change, --detailed-exitcodes exits 3 for a change.
multi=$(name_of multi.ini)
stamp() { stat -c '%i %y' "$scratch/multi.ini"; }
expect 0 "created [Diff] A=1
created [Diff] B=2
created [Diff] C=3" set "$multi" Diff A 1 B 2 C 3
before=$(stamp)
expect 0 "unchanged [Diff] A=1
unchanged [Diff] C=3" set "$multi" Diff A 1 C 3 --detailed-exitcodes
checks=$((checks + 1))
[ "$(stamp)" = "$before" ] || { echo "FAIL: ini set of what the file holds wrote it"; failures=$((failures + 1)); }
expect 3 "changed [Diff] B=20 (was 2)
created [Diff] D=4" set "$multi" Diff B 20 D 4 --check --detailed-exitcodes
expect 3 "--- $multi
+++ $multi
@@ -1,4 +1,5 @@
 [Diff]
 A=1
-B=2
+B=20
 C=3
+D=4" set "$multi" --diff Diff B 20 D 4 --check --detailed-exitcodes
checks=$((checks + 1))
[ "$(stamp)" = "$before" ] || { echo "FAIL: ini set --check wrote the file"; failures=$((failures + 1)); }
expect 0 "--- $(name_of new.ini)
+++ $(name_of new.ini)
@@ -0,0 +1,2 @@
+[S]
+A=1" set "$(name_of new.ini)" S A 1 --check --diff
checks=$((checks + 1))
[ ! -e "$scratch/new.ini" ] || { echo "FAIL: ini set --check made a new file"; failures=$((failures + 1)); }
expect 0 "created [Diff] Opt=--verbose" set "$multi" Diff Opt --verbose --check
expect 0 "created [Diff] Opt=--diff" set --check "$multi" Diff Opt -- --diff
expect 1 "" set "$multi" Diff B 21 'C=' 3
expect_said 'multi.ini: cannot write C= in \[Diff\]: a key name the file format cannot hold'
expect 0 "2" get "$multi" Diff B
# ini apply: a fragment's sets and deletions, from a file or standard input.
printf '; the wanted state\r\n[Diff]\r\nA = 10\r\n-C\r\n-Gone\r\n[-Other]\r\n[New]\r\nK="x y"\r\n' >"$scratch/fragment.ini"
cp "$scratch/app.ini" "$scratch/app.before"
printf '[Other]\r\nKey=value\r\n' >>"$scratch/multi.ini"
expect_json 3 '{"file":"'"${multi//\\/\\\\}"'","changed":true,"written":false,"changes":[{"outcome":"changed","section":"Diff","key":"A","value":"10","before":"1"},{"outcome":"deleted","section":"Diff","key":"C","value":null,"before":"3"},{"outcome":"unchanged","section":"Diff","key":"Gone","value":null,"before":null},{"outcome":"deleted","section":"Other"},{"outcome":"created","section":"New","key":"K","value":"\"x y\"","before":null}]}' apply "$multi" "$(name_of fragment.ini)" --check --detailed-exitcodes
expect 0 "changed [Diff] A=10 (was 1)
deleted [Diff] C
unchanged [Diff] Gone (not there)
deleted [Other]
created [New] K=\"x y\"" apply "$multi" "$(name_of fragment.ini)"
expect 0 "[Diff] A = 10
[Diff] B = 2
[New] K = x y" list "$multi" --format=lines
checks=$((checks + 1))
out=$(printf '[New]\n-K\n' | "${zarn[@]}" ini apply "$multi" - --detailed-exitcodes 2>&1 | tr -d '\r'; echo "exit ${PIPESTATUS[1]}")
[ "$out" = $'deleted [New] K\nexit 3' ] || { echo "FAIL: ini apply - printed '$out'"; failures=$((failures + 1)); }
printf '[Diff]\nA=11\nstray\n' >"$scratch/bad-fragment.ini"
expect 1 "" apply "$multi" "$(name_of bad-fragment.ini)"
expect_said "bad-fragment.ini: line 3: 'stray' is neither NAME=VALUE nor -NAME"
printf 'A=11\n' >"$scratch/bad-fragment.ini"
expect 1 "" apply "$multi" "$(name_of bad-fragment.ini)"
expect_said 'line 1: an entry before the first \[SECTION\]'
expect 0 "10" get "$multi" Diff A
expect 1 "" apply "$multi" "$(name_of none.ini)"
expect_said 'cannot open .*none.ini: No such file or directory'
# Repeated entries: get answers the first, --all every one; --format=sh
# gives the first of each name, quoted for eval, and refuses a name that is
# no shell variable.
printf "[Peer]\r\nAllowedIPs=10.0.0.1\r\nNote=it's\r\nallowedips = '10.0.0.2'\r\n" >"$scratch/peer.ini"
expect 0 "10.0.0.1" get "$(name_of peer.ini)" Peer AllowedIPs
expect 0 "10.0.0.1
10.0.0.2" get "$(name_of peer.ini)" peer allowedIPs --all
expect_json 0 '{"file":"'"$(name_of peer.ini | sed 's/\\/\\\\/g')"'","section":"Peer","key":"AllowedIPs","values":["10.0.0.1","10.0.0.2"]}' get "$(name_of peer.ini)" Peer AllowedIPs --all
expect 0 "AllowedIPs='10.0.0.1'
Note='it'\\''s'" list "$(name_of peer.ini)" Peer --format=sh
checks=$((checks + 1))
eval "$("${zarn[@]}" ini list "$(name_of peer.ini)" Peer --format sh | tr -d '\r')"
[ "$Note" = "it's" ] || { echo "FAIL: eval of --format=sh set Note to '$Note'"; failures=$((failures + 1)); }
printf '[Bad]\r\nrm -rf x=1\r\n' >>"$scratch/peer.ini"
expect 1 "" list "$(name_of peer.ini)" Bad --format=sh
expect_said "entry rm -rf x in \[Bad\] is no shell variable name"
# Processes applying different changes to one file at once keep them all.
racers=4 rounds=6
for racer in $(seq 1 $racers); do
  (for round in $(seq 1 $rounds); do
    printf '[Race]\nR%s_%s=%s\n' "$racer" "$round" "$round" | "${zarn[@]}" -q ini apply "$(name_of race.ini)" - || echo "FAIL: racer $racer round $round failed"
  done) &
done
wait
checks=$((checks + 1))
count=$("${zarn[@]}" ini list "$(name_of race.ini)" Race </dev/null | grep -c '^R')
[ "$count" = $((racers * rounds)) ] || { echo "FAIL: $racers processes applying at once kept $count of $((racers * rounds)) entries"; failures=$((failures + 1)); }

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
expect 1 "" set "$nofolder" Main k v --check
expect_said 'cannot write k in \[Main\]: folder missing'
printf '[Main]\n-k\n' >"$scratch/deletion.ini"
expect 0 "unchanged [Main] k (not there)" apply "$nofolder" "$(name_of deletion.ini)" --check
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
expect 0 "zarnutils ini del FILE SECTION [KEY]
  Deletes the entry, or the whole section; nothing to delete is no failure." del --help
checks=$((checks + 1))
"${zarn[@]}" ini --help </dev/null | grep -q 'ini list FILE \[SECTION\]' ||
  { echo "FAIL: ini --help does not list the verbs"; failures=$((failures + 1)); }

echo "ini verbs ($target): $checks checks, $failures failed"
[ "$failures" = 0 ]
