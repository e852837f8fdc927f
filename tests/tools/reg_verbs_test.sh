#!/usr/bin/env bash
# The reg verbs from the outside: standard output and exit code of each
# command through zarnutils reg (over the native store, or zarnutils.exe
# over Wine's registry) and, on win32, through Wine's own reg.exe and
# regedit, checked against the same expectations. Wine's reg.exe words its
# messages differently from Windows' (which the verbs follow), so for
# commands that only report failure just the exit codes are compared with
# it; commands that change the registry run once through each, on the same
# key in turn. Wine's reg.exe is never run without /f, as its prompts do not
# stop at the end of input, and never shows REG_QWORD values, which it
# shows as (null).
#
#   reg_verbs_test.sh TARGET FILES_DIR ZARNUTILS_COMMAND...
set -uo pipefail
target=$1 files=$2
shift 2
zarn=("$@")
if [ "$target" = win32 ]; then
  wine_run=("${zarn[@]:0:${#zarn[@]}-1}")
  scratch_path() { echo "Z:${1//\//\\}"; }
else
  scratch_path() { echo "$1"; }
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ZARNUTILS_REGISTRY_DIR=$scratch/registry
failures=0 checks=0
global=()  # zarnutils' options before "reg"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run WHO ARGS...: sets out (CRs removed), err and code.
run() {
  local who=$1
  shift
  local command
  case $who in
    zarn) command=("${zarn[@]}" "${global[@]}" reg "$@") ;;
    wine) command=("${wine_run[@]}" reg "$@") ;;
  esac
  "${command[@]}" </dev/null >"$scratch/out" 2>"$scratch/err"
  code=$?
  out=$(tr -d '\r' <"$scratch/out")
  err=$(tr -d '\r' <"$scratch/err")
}

# expect COMPARE CODE STDOUT ARGS...: COMPARE is "out" (Wine's reg.exe must
# print the same), "code" (the same exit code) or "-" (zarnutils only).
expect() {
  local compare=$1 want_code=$2 want_out
  # Compared as the shell captures output: without trailing line ends.
  want_out=$(printf '%s' "$3")
  shift 3
  checks=$((checks + 1))
  run zarn "$@"
  [ "$code" = "$want_code" ] || fail "reg $* exited $code, not $want_code ($err)"
  [ "$out" = "$want_out" ] || fail "reg $* printed"$'\n'"$out"$'\n'"instead of"$'\n'"$want_out"
  if [ "$target" = win32 ] && [ "$compare" != - ]; then
    run wine "$@"
    [ "$code" = "$want_code" ] || fail "Wine's reg $* exited $code, not $want_code"
    if [ "$compare" = out ] && [ "$out" != "$want_out" ]; then
      fail "Wine's reg $* printed"$'\n'"$out"$'\n'"instead of"$'\n'"$want_out"
    fi
  fi
}

# expect_error CODE MESSAGE ARGS...: zarnutils says MESSAGE on standard error.
expect_error() {
  local want_code=$1 message=$2
  shift 2
  checks=$((checks + 1))
  run zarn "$@"
  [ "$code" = "$want_code" ] || fail "reg $* exited $code, not $want_code"
  [[ "$err" == *"$message"* ]] || fail "reg $* said '$err', not '$message'"
}

done_ok='The operation completed successfully.'
K='HKCU\Software\ZarnVerbsTest'
L='HKEY_CURRENT_USER\Software\ZarnVerbsTest'
run zarn delete "$K" /f
run zarn delete "$K.copy" /f

# Values are added in name order: Wine lists them sorted, Windows and the
# native store in creation order.
build_tree() {
  local add=(expect - 0 "$done_ok" add)
  "${add[@]}" "$K" /v A_text /d 'one two' /f
  "${add[@]}" "$K" /v B_number /t reg_dword /d 42 /f
  "${add[@]}" "$K" /v C_multi /t REG_MULTI_SZ /d 'a\0b' /f
  "${add[@]}" "$K" /v D_binary /t REG_BINARY /d 0aff -f
  "${add[@]}" "$K" /v E_expand /t REG_EXPAND_SZ /d '%TEMP%\x' /f
  "${add[@]}" "$K\Sub" /ve /d 'sub default' /f
}
build_tree
values="    A_text    REG_SZ    one two
    B_number    REG_DWORD    0x2a
    C_multi    REG_MULTI_SZ    a\0b
    D_binary    REG_BINARY    0AFF
    E_expand    REG_EXPAND_SZ    %TEMP%\x"
tree="
$L
$values

$L\Sub
    (Default)    REG_SZ    sub default
"

# query
expect out 0 "
$L
$values

$L\Sub" query "$K"
expect out 0 "$tree" query "$K" /s
expect out 0 "
$L
    B_number    REG_DWORD    0x2a
" query "$K" /V B_number
expect out 0 "
$L
    (Default)    REG_SZ    (value not set)" query "$K" /ve
expect - 0 "
$L
    C_multi    REG_MULTI_SZ    a,b
" query "$K" /v C_multi /se ,
expect - 0 "
$L\Sub
    (Default)    REG_SZ    sub default

End of search: 1 match(es) found." query "$K" /ve /s
expect code 1 "" query "$K\Missing"
expect_error 1 'unable to find the specified registry key or value' query "$K\Missing"
# Exit codes only: Wine's reg.exe writes a blank line and its message to
# standard output here, where Windows' prints the error alone on standard
# error (second_line checks that zarnutils prints nothing there).
expect code 1 "" query "$K" /v Missing
expect_error 1 'Invalid key name.' query 'HKXX\Software'
expect code 1 "" query "$K" /bogus
expect_error 1 'Type "REG QUERY /?" for usage.' query "$K" /bogus

# Every type the Registry class writes, as query shows it.
printf 'Registry.Write\t%s\t%s\t%s\t%s\n' \
  "$K\Script" A_text 'one two' REG_SZ \
  "$K\Script" B_expand '%TEMP%\x' REG_EXPAND_SZ \
  "$K\Script" C_multi 'a:a;b' REG_MULTI_SZ \
  "$K\Script" D_number i:-1 REG_DWORD \
  "$K\Script" E_binary 'a:i:0;i:255' REG_BINARY |
  "${zarn[@]}" --batch >/dev/null
expect out 0 "
$L\Script
    A_text    REG_SZ    one two
    B_expand    REG_EXPAND_SZ    %TEMP%\x
    C_multi    REG_MULTI_SZ    a\0b
    D_number    REG_DWORD    0xffffffff
    E_binary    REG_BINARY    00FF" query "$K\Script"
printf 'Registry.Write\t%s\tF_quad\t18446744073709551615\tREG_QWORD\n' "$K\Script" |
  "${zarn[@]}" --batch >/dev/null
expect - 0 "
$L\Script
    F_quad    REG_QWORD    0xffffffffffffffff" query "$K\Script" /v F_quad
printf 'Registry.DeleteKey\t%s\n' "$K\Script" | "${zarn[@]}" --batch >/dev/null

# add: a question that standard input cannot answer is answered no.
expect - 1 "Value A_text exists, overwrite (Yes/No)? No (standard input is not a terminal; /f or /y answers yes)" \
  add "$K" /v A_text /d replaced
expect code 1 "" add "$K" /v Bad /t REG_DWORD /d 12abc /f
expect code 1 "" add "$K" /v Bad /t REG_WRONG /d 1 /f
# Wine's reg.exe shows every REG_QWORD as (null); Windows and the verbs
# show the number. REG_DWORD_BIG_ENDIAN is stored little-endian by both.
expect code 0 "$done_ok" add "$K\Numbers" /v Big /t REG_DWORD_BIG_ENDIAN /d 0x102 /f
expect - 0 "$done_ok" add "$K\Numbers" /v Quad /t REG_QWORD /d 0x1122334455667788 /f
expect - 0 "
$L\Numbers
    Big    REG_DWORD_BIG_ENDIAN    0x102
    Quad    REG_QWORD    0x1122334455667788
" query "$K\Numbers"
expect - 0 "$done_ok" delete "$K\Numbers" /f

# What reg add stores, one row per case, seen in the line an export writes:
#   add_row COMPARE CODE LINE ARGS...  (COMPARE as for expect; "out": Wine's
#   reg.exe stores the same bytes). Every row ends in /f.
A="$K\Add"
stored_line() {
  run zarn export "$A" "$(scratch_path "$scratch/line.reg")" /y --regedit4
  tr -d '\r' <"$scratch/line.reg" | grep -m1 -F -- "$1"
}
add_row() {
  local compare=$1 want_code=$2 want_line=$3 who
  shift 3
  checks=$((checks + 1))
  for who in zarn wine; do
    if [ "$who" = wine ] && { [ "$target" != win32 ] || [ "$compare" = - ]; }; then break; fi
    run "$who" add "$A" "$@"
    [ "$code" = "$want_code" ] || fail "$who: reg add $A $* exited $code, not $want_code ($err)"
    [ "$want_code" = 0 ] || continue
    local line
    line=$(stored_line "${want_line%%=*}=")
    [ "$line" = "$want_line" ] || fail "$who: reg add $A $* stored '$line', not '$want_line'"
  done
}
add_row out 0 '@=dword:00000005' /ve /t REG_DWORD /d 5 /f
# No value named: the default value becomes an empty REG_SZ, replacing any.
add_row out 0 '@=""' /f
add_row out 0 '"none0"=hex(0):64,00,65,00,61,00,64,00,62,00,65,00,65,00,66,00,00,00' \
  /v none0 /t REG_NONE /d deadbeef /f
add_row out 0 '"none1"=hex(0):00,00' /v none1 /t REG_NONE /f
add_row out 0 '"le"=dword:000001c8' /v le /t REG_DWORD_LITTLE_ENDIAN /d 456 /f
add_row out 0 '"be"=hex(5):c8,01,00,00' /v be /t REG_DWORD_BIG_ENDIAN /d 456 /f
add_row code 1 '' /v be2 /t REG_DWORD_BIG_ENDIAN /f
add_row code 1 '' /v d1 /t REG_DWORD /f
add_row code 1 '' /v d2 /t REG_DWORD /d -1 /f
add_row out 0 '"d3"=dword:0000007b' /v d3 /t REG_DWORD /d 0123 /f
add_row out 0 '"q1"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff' /v q1 /t REG_QWORD /d -1 /f
add_row out 0 '"q2"=hex(b):00,00,00,00,00,00,00,00' /v q2 /t REG_QWORD /f
add_row code 1 '' /v q3 /t REG_QWORD /d -0x1 /f
add_row out 0 '"m1"=hex(7):61,00,00' /v m1 /t REG_MULTI_SZ /s '#' /d 'a#' /f
add_row out 0 '"m2"=hex(7):61,00,00' /v m2 /t REG_MULTI_SZ /d 'a\0' /f
add_row out 0 '"m3"=hex(7):00,00' /v m3 /t REG_MULTI_SZ /s '#' /d '#' /f
add_row out 0 '"m4"=hex(7):00,00' /v m4 /t REG_MULTI_SZ /d '\0' /f
add_row out 0 '"m5"=hex(7):00' /v m5 /t REG_MULTI_SZ /d '' /f
add_row code 1 '' /v m6 /t REG_MULTI_SZ /s '#' /d '##' /f
add_row code 1 '' /v m7 /t REG_MULTI_SZ /s '#' /d '#a' /f
run zarn delete "$A" /f
# A root with a trailing backslash is not a key name; a key's may have one.
expect code 1 "" add 'HKCU\' /v ZarnRootValue /d foo /f
expect code 1 "" query HKCU /v ZarnRootValue
run zarn delete HKCU /v ZarnRootValue /f
expect code 0 "$done_ok" add "$K\\Trailing\\" /v x /d y /f
expect - 0 "$done_ok" delete "$K\\Trailing\\" /f

# query /s names every subkey it walks into, values or not, each followed by
# a blank line; the key asked for only when it has values.
run zarn add "$K\\Tree\\s1\\deep" /ve /d x /f
run zarn add "$K\\Tree\\s2" /v v /d y /f
expect out 0 "
$L\\Tree\\s1

$L\\Tree\\s1\\deep
    (Default)    REG_SZ    x

$L\\Tree\\s2
    v    REG_SZ    y
" query "$K\\Tree" /s
run zarn delete "$K\\Tree" /f

# Help: /?, /h and -H alone after any verb; beside other words a syntax error.
for verb in query add delete copy export import compare apply; do
  for word in /? /h -H; do
    checks=$((checks + 1))
    run zarn "$verb" "$word"
    [[ $code = 0 && "$out" == "REG ${verb^^} "* ]] || fail "reg $verb $word: $code '$out'"
  done
done
expect code 1 "" copy /? /f
expect code 1 "" copy /? /s

# /reg:32 and /reg:64 choose the registry view; both, or one twice, is a
# usage error. 64-bit Windows keeps the 32-bit view of HKLM\Software under
# Wow6432Node; 32-bit Windows and the native store have one view.
expect code 1 "" query "$K" /reg:32 /reg:64
expect code 1 "" add "$K" /v x /d y /f /reg:64 /reg:64
V='HKLM\Software\ZarnViewTest'
run zarn delete "$V" /f /reg:32
run zarn delete "$V" /f /reg:64
expect code 0 "$done_ok" add "$V" /v bits /d 32 /f /reg:32
if [[ ${zarn[-1]} == */win64/* ]]; then
  expect - 0 "
HKEY_LOCAL_MACHINE\Software\Wow6432Node\ZarnViewTest
    bits    REG_SZ    32
" query 'HKLM\Software\Wow6432Node\ZarnViewTest' /v bits
  expect - 1 "" query "$V" /v bits /reg:64
else
  expect out 0 "
HKEY_LOCAL_MACHINE\Software\ZarnViewTest
    bits    REG_SZ    32
" query "$V" /v bits /reg:64
fi
expect - 0 "$done_ok" delete "$V" /f /reg:32
expect code 1 "" query "$V" /reg:32

# Console output ends its lines in CRLF on Windows, also through a pipe.
checks=$((checks + 1))
"${zarn[@]}" reg query "$K" >"$scratch/raw" 2>/dev/null </dev/null
"${zarn[@]}" reg query "$K\\Missing" 2>>"$scratch/raw" >/dev/null </dev/null
lines=$(tr -cd '\n' <"$scratch/raw" | wc -c) crlf=$(grep -c $'\r$' "$scratch/raw")
if [ "$target" = native ]; then want_crlf=0; else want_crlf=$lines; fi
[ "$lines" -gt 3 ] && [ "$crlf" = "$want_crlf" ] || fail "$crlf of $lines lines end in CRLF"
expect out 0 "$tree" query "$K" /s

# copy and delete
expect - 0 "$done_ok" copy "$K" "$K.copy" /s /f
expect out 0 "${tree//ZarnVerbsTest/ZarnVerbsTest.copy}" query "$K.copy" /s
expect_error 1 'cannot be the same' copy "$K" 'hkey_current_user\software\zarnverbstest'
expect - 0 "$done_ok" delete "$K.copy" /v A_text /f
expect code 1 "" delete "$K.copy" /v A_text /f
expect - 0 "$done_ok" delete "$K.copy" /va /f
expect out 0 "
$L.copy\Sub" query "$K.copy"
expect - 1 "Permanently delete the registry key $L.copy (Yes/No)? No (standard input is not a terminal; /f or /y answers yes)" \
  delete "$K.copy"
expect - 0 "$done_ok" delete "$K.copy" /f
expect code 1 "" query "$K.copy"
# Wine's reg.exe empties a whole root here; reg.exe on Windows refuses.
expect_error 1 'Invalid key name.' delete HKCU /f

# export, then import into an emptied key, in both forms
file5=$(scratch_path "$scratch/v5.reg")
file4=$(scratch_path "$scratch/v4.reg")
expect - 0 "$done_ok" export "$K" "$file5"
expect - 1 "File $file5 already exists. Overwrite (Yes/No)? No (standard input is not a terminal; /f or /y answers yes)" \
  export "$K" "$file5"
expect - 0 "$done_ok" export "$K" "$file4" /y --regedit4
head -c 2 "$scratch/v5.reg" | od -An -tx1 | grep -q 'ff fe' || fail "the 5.00 export has no UTF-16LE byte order mark"
head -c 10 "$scratch/v4.reg" | grep -q '^REGEDIT4' || fail "the REGEDIT4 export does not start REGEDIT4"
for file in "$file5" "$file4"; do
  expect - 0 "$done_ok" delete "$K" /f
  expect - 0 "$done_ok" import "$file"
  expect out 0 "$tree" query "$K" /s
done
# Names and data outside every narrow code page come through whole, in a
# query and through a 5.00 file.
file_uni=$(scratch_path "$scratch/uni.reg")
expect - 0 "$done_ok" add "$K.uni\\日本" /v "名前" /d "データ €" /f
for step in query import; do
  expect - 0 $'\n'"$L.uni\\日本"$'\n'"    名前    REG_SZ    データ €" query "$K.uni\\日本" /v "名前"
  [ $step = import ] && break
  expect - 0 "$done_ok" export "$K.uni" "$file_uni"
  expect - 0 "$done_ok" delete "$K.uni" /f
  expect - 0 "$done_ok" import "$file_uni"
done
expect - 0 "$done_ok" delete "$K.uni" /f

if [ "$target" = win32 ]; then
  # What Wine's reg.exe writes, the verbs read; what it copies and deletes
  # leaves what the verbs' own copy and delete leave.
  run zarn delete "$K" /f
  wine_step() {
    run wine "$@"
    [ "$code" = 0 ] || fail "Wine's reg $* exited $code"
  }
  wine_step add "$K" /v A_text /d 'one two' /f
  wine_step add "$K" /v B_number /t REG_DWORD /d 42 /f
  wine_step add "$K" /v C_multi /t REG_MULTI_SZ /d 'a\0b' /f
  wine_step add "$K" /v D_binary /t REG_BINARY /d 0aff /f
  wine_step add "$K" /v E_expand /t REG_EXPAND_SZ /d '%TEMP%\x' /f
  wine_step add "$K\Sub" /ve /d 'sub default' /f
  wine_step copy "$K" "$K.copy" /s /f
  wine_step delete "$K.copy" /v A_text /f
  wine_step delete "$K.copy" /va /f
  expect out 0 "$tree" query "$K" /s
  expect out 0 "
$L.copy\Sub" query "$K.copy"
  run wine delete "$K.copy" /f
  # What the verbs export, Wine's regedit and reg.exe import the same way.
  for file in "$file5" "$file4"; do
    run zarn delete "$K" /f
    "${wine_run[@]}" regedit /s "$file" || fail "Wine's regedit did not import $file"
    expect out 0 "$tree" query "$K" /s
    run zarn delete "$K" /f
    "${wine_run[@]}" reg import "$file" >/dev/null || fail "Wine's reg import failed on $file"
    expect out 0 "$tree" query "$K" /s
  done
fi

# A file that Wine's regedit exported: imported, exported again and imported
# again, it lists the same keys, values, types and bytes.
W='HKCU\Software\ZarnWineExport'
run zarn delete "$W" /f
expect - 0 "$done_ok" import "$(scratch_path "$files/wine_export.reg")"
run zarn query "$W" /s
wine_tree=$out
[[ "$wine_tree" == *"Qw    REG_QWORD    0x1122334455667788"* ]] || fail "the Wine export lost its REG_QWORD"
expect - 0 "$done_ok" export "$W" "$(scratch_path "$scratch/again.reg")" /y
run zarn delete "$W" /f
expect - 0 "$done_ok" import "$(scratch_path "$scratch/again.reg")"
expect - 0 "$wine_tree" query "$W" /s
run zarn delete "$W" /f

# Import reads line by line as Windows does: what it cannot use is skipped,
# each skipped line named on standard error with why, the rest applied, exit
# 0. --strict refuses such a file whole. Wine's reg.exe reads the same way.
# (Names in alphabetical order: Wine lists values sorted by name.)
printf '%s\r\n' 'REGEDIT4' '' "[$L\\New]" '"a_ok"="1"' '"bad"=dword:xyz' '"w10"="Value 1"#comment' \
  '"b_spaced"=dword:  00000008' '"cont"=hex:11,\' '' '@="swallowed"' '#comment\' '"c_after"="2"' \
  '[HKEY_CURRENT_USER\No_Closing_Bracket' "[-$L\\Gone]" '"under"="deleted"' >"$scratch/skips.reg"
skips=$(scratch_path "$scratch/skips.reg")
imported="
$L\\New
    a_ok    REG_SZ    1
    b_spaced    REG_DWORD    0x8
    c_after    REG_SZ    2
"
for who in zarn wine; do
  [ "$who" = wine ] && [ "$target" != win32 ] && break
  run zarn delete "$K\\New" /f
  checks=$((checks + 1))
  run "$who" import "$skips"
  [ "$code" = 0 ] || fail "$who: reg import of skips.reg exited $code ($err)"
  expect - 0 "$imported" query "$K\\New"
done
run zarn import "$skips"
for line in 5 6 8 10 13 15; do
  [[ "$err" == *"skips.reg, line $line: skipped: "* ]] || fail "no word on skipped line $line: $err"
done
[ "$(grep -c 'skipped:' <<<"$err")" = 6 ] || fail "more lines named skipped than 6: $err"
run zarn delete "$K\\New" /f
expect_error 1 'could not be used; nothing was imported.' import "$skips" --strict
expect code 1 "" query "$K\\New"
# A header that starts REGEDIT but is no known one: taken, nothing applied.
printf 'REGEDIT4 FOO\r\n\r\n[%s\\New]\r\n"ok"="1"\r\n' "$L" >"$scratch/fuzzy.reg"
expect code 0 "$done_ok" import "$(scratch_path "$scratch/fuzzy.reg")"
expect code 1 "" query "$K\\New"
printf 'regedit4\r\n\r\n[%s\\New]\r\n"ok"="1"\r\n' "$L" >"$scratch/bad.reg"
expect code 1 "" import "$(scratch_path "$scratch/bad.reg")"
expect_error 1 'line 1: not a registry file' import "$(scratch_path "$scratch/bad.reg")"

# A line that begins with a NUL is lost to Windows (which reads a line only
# up to a NUL) without a word: it is named, and --strict applies nothing.
printf 'REGEDIT4\r\n[%s\\Nul]\r\n\0"a"="1"\r\n"b"="2"\r\n' "$L" >"$scratch/nul-byte.reg"
nul_reg=$(scratch_path "$scratch/nul-byte.reg")
expect_error 1 'nul-byte.reg, line 3: skipped: the line begins with a NUL' import "$nul_reg" --strict
expect - 1 "" query "$K\\Nul"
expect_error 0 'nul-byte.reg, line 3: skipped: the line begins with a NUL' import "$nul_reg"
expect - 0 "
$L\\Nul
    b    REG_SZ    2
" query "$K\\Nul"
run zarn delete "$K\\Nul" /f

# Key names ending in several backslashes: the registry passes over repeated
# and trailing backslashes, so [KEY\Four\\\\] creates Four, which a program
# then opens as Four\\\\, Four\\, Four\ or Four (here through the methods,
# which hand the key path to the registry as written). Both forms, and
# Wine's reg.exe alike.
printf '%s\r\n' 'REGEDIT4' "[$L\\Slash\\Four\\\\\\\\]" '"v"="4"' "[$L\\Slash\\Two\\\\]" '"v"="2"' \
  >"$scratch/slashes4.reg"
{
  printf '\xff\xfe'
  sed 's/^REGEDIT4/Windows Registry Editor Version 5.00/' "$scratch/slashes4.reg" |
    iconv -f UTF-8 -t UTF-16LE
} >"$scratch/slashes5.reg"
for form in 4 5; do
  for who in zarn wine; do
    [ "$who" = wine ] && [ "$target" != win32 ] && break
    run zarn delete "$K\\Slash" /f
    checks=$((checks + 1))
    run "$who" import "$(scratch_path "$scratch/slashes$form.reg")"
    [ "$code" = 0 ] || fail "$who: reg import of slashes$form.reg exited $code ($err)"
    expect - 0 "
$L\\Slash\\Four
$L\\Slash\\Two" query "$K\\Slash"
    checks=$((checks + 1))
    calls='' want=''
    for name in 'Four\\\\' 'Four\\' 'Four\' Four 'Two\\' 'Two\' Two; do
      case $name in Four*) value=4 ;; *) value=2 ;; esac
      calls+="Regedit.ReadValue	$K\\Slash\\$name\\v	S	none"$'\n'
      want+="{\"type\":\"String\",\"value\":\"$value\"}"$'\n'
    done
    read_values=$("${zarn[@]}" --batch <<<"$calls" | tr -d '\r')
    [ "$read_values" = "${want%$'\n'}" ] ||
      fail "$who: after importing slashes$form.reg, the names read"$'\n'"$read_values"
  done
done
run zarn delete "$K\\Slash" /f

# What import reads is bounded: a line of at most 16 MiB, a file of at most
# 1 GiB (reg_file_test holds both bounds); an endless line on standard input
# is refused once it passes its bound, not read until memory runs out.
checks=$((checks + 1))
head -c $((17 << 20)) /dev/zero | "${zarn[@]}" reg import - >/dev/null 2>"$scratch/err"
code=$?
[ "$code" = 1 ] && grep -q -- '-, line 1: longer than 16 MiB' "$scratch/err" ||
  fail "an endless line on standard input: exit $code, '$(cat "$scratch/err")'"
# What is no regular file is refused, saying what it is, and never waited
# on: a device such as /dev/zero would never end, a named pipe without a
# writer would block the open for ever. Windows' file system has no named
# pipes; Wine shows a FIFO as an empty file and /dev/zero as an endless one,
# which the line's bound stops.
if [ "$target" != native ]; then
  expect_error 1 'zero, line 1: longer than 16 MiB' import 'Z:\dev\zero'
else
  expect_error 1 'cannot open /dev/zero: a character device, not a regular file' import /dev/zero
  mkfifo "$scratch/fifo"
  checks=$((checks + 1))
  timeout 60 "${zarn[@]}" reg import "$scratch/fifo" </dev/null >/dev/null 2>"$scratch/err"
  code=$?
  [ "$code" = 1 ] && grep -q 'fifo: a named pipe, not a regular file' "$scratch/err" ||
    fail "reg import of a named pipe: exit $code, '$(cat "$scratch/err")'"
fi

# A REG_SZ is exported as regedit writes it, its text up to the first NUL
# ("" when empty), and copied so: the copy differs from a source that holds
# more after its NUL.
S="$K\\Sz"
printf '%s\r\n' 'REGEDIT4' "[$L\\Sz]" '"empty"=hex(1):' '"nul"=hex(1):61,00,62,00' >"$scratch/sz.reg"
expect - 0 "$done_ok" import "$(scratch_path "$scratch/sz.reg")" --strict
expect - 0 "$done_ok" export "$S" "$(scratch_path "$scratch/sz-out.reg")" /y --regedit4
checks=$((checks + 1))
[ "$(tr -d '\r' <"$scratch/sz-out.reg" | grep -c -x -e '"empty"=""' -e '"nul"="a"')" = 2 ] ||
  fail "REG_SZ exported as $(cat "$scratch/sz-out.reg")"
expect - 0 "$done_ok" copy "$S" "$S.copy" /f
expect - 2 "< $L\\Sz    empty    REG_SZ    
> $L\\Sz.copy    empty    REG_SZ    
< $L\\Sz    nul    REG_SZ    a
> $L\\Sz.copy    nul    REG_SZ    a

Result Compared: Different
$done_ok" compare "$S" "$S.copy"
run zarn delete "$S" /f
run zarn delete "$S.copy" /f

# Names holding CR, LF and ']' make the round trip through both forms; a key
# name with a line break, which no .reg file can carry, refuses the export by
# name and writes nothing.
R="$K\\Names"
odd_value=$'line\r\nbreak]'
run zarn add "$R\\a]b" /v "$odd_value" /d x /f
run zarn add "$R\\a]b" /v '[HKEY_LOCAL_MACHINE\Injected]' /t REG_DWORD /d 1 /f
run zarn query "$R" /s
names_tree=$out
[[ "$names_tree" == *'a]b'* ]] || fail "the odd names were not added: $names_tree"
for form in "" --regedit4; do
  expect - 0 "$done_ok" export "$R" "$(scratch_path "$scratch/names.reg")" /y $form
  run zarn delete "$R" /f
  expect - 0 "$done_ok" import "$(scratch_path "$scratch/names.reg")" --strict
  expect - 0 "$names_tree" query "$R" /s
done
run zarn delete 'HKLM\Injected' /f
expect code 1 "" query 'HKLM\Injected'
run zarn add "$R\\bad"$'\r\n''[HKEY_LOCAL_MACHINE]' /f
rm -f "$scratch/refused.reg"
expect_error 1 'HKEY_CURRENT_USER\Software\ZarnVerbsTest\Names\bad\r\n[HKEY_LOCAL_MACHINE] holds a line break' \
  export "$R" "$(scratch_path "$scratch/refused.reg")"
[ ! -e "$scratch/refused.reg" ] || fail "a refused export wrote a file"
run zarn delete "$R" /f

# Natively an import or a recursive delete is one transaction: a change the
# store refuses only when applying it (a key name over 255 characters, a
# deletion a trigger planted in the store refuses) leaves nothing applied.
# Windows applies each change at once, so this holds only for the store.
if [ "$target" != win32 ]; then
  long_name=$(printf 'k%.0s' {1..300})
  printf 'REGEDIT4\r\n\r\n[%s\\First]\r\n"ok"="1"\r\n\r\n[%s\\%s]\r\n' \
    "$L" "$L" "$long_name" >"$scratch/long.reg"
  expect - 1 "" import "$scratch/long.reg" --strict
  expect - 1 "" query "$K\First"
  expect - 1 "" apply "$scratch/long.reg"
  expect - 1 "" query "$K\First"
  # Without --strict the key the store refuses is skipped and named.
  expect_error 0 'long.reg, line 6: skipped: The parameter is incorrect.' import "$scratch/long.reg"
  expect - 0 "$done_ok" delete "$K\First" /f
  expect - 0 "$done_ok" add "$K\Half\Deep" /f
  store=$ZARNUTILS_REGISTRY_DIR/user.sqlite3
  sqlite3 "$store" "CREATE TRIGGER refuse BEFORE DELETE ON keys WHEN old.name = 'Half'
    BEGIN SELECT RAISE(ABORT, 'refused'); END;" || fail "could not plant a trigger in $store"
  expect - 1 "" delete "$K\Half" /f
  expect - 0 "
$L\Half\Deep
    (Default)    REG_SZ    
" query "$K\Half\Deep"
  sqlite3 "$store" "DROP TRIGGER refuse"
  expect - 0 "$done_ok" delete "$K\Half" /f
fi

# query /f searches subkey names, value names and data (Wine's reg.exe has
# no /f): one row per search, over a tree of two keys alike but for one value.
F="$K\\Find" G="$L\\Find"
run zarn add "$F\\A" /v one /d hello /f
run zarn add "$F\\A\\Sub" /v two /t REG_DWORD /d 5 /f
run zarn add "$F\\A\\Hello" /ve /d x /f
run zarn copy "$F\\A" "$F\\B" /s /f
run zarn add "$F\\B" /v one /d other /f
run zarn add "$F\\B\\Only" /v three /d 3 /f
expect - 0 "
$G\\A
    one    REG_SZ    hello

$G\\A\\Hello
$G\\B\\Hello
End of search: 3 match(es) found." query "$F" /f hello /s
expect - 0 "
$G\\A\\Hello
End of search: 1 match(es) found." query "$F\\A" /f hello /k
expect - 0 "
$G\\A\\Sub
    two    REG_DWORD    0x5

End of search: 1 match(es) found." query "$F\\A" /f 5 /d /t REG_DWORD,REG_QWORD /s
expect - 1 "
End of search: 0 match(es) found." query "$F\\A" /f ONE /v /c
expect - 0 "
$G\\A
    one    REG_SZ    hello

End of search: 1 match(es) found." query "$F\\A" /f ONE /v /e
expect - 1 "" query "$F" /f x /t REG_WRONG
expect - 1 "" query "$F" /v

# compare: "<" the first key's side, ">" the second's, "=" alike; exit 0
# when identical, 2 when different.
expect - 2 "< $G\\A    one    REG_SZ    hello
> $G\\B    one    REG_SZ    other
> $G\\B\\Only

Result Compared: Different
$done_ok" compare "$F\\A" "$F\\B" /s
expect - 0 "= $G\\A\\Sub    two    REG_DWORD    0x5

Result Compared: Identical
$done_ok" compare "$F\\A\\Sub" "$F\\B\\Sub" /oa
expect - 0 "= $G\\A\\Hello    (Default)    REG_SZ    x

Result Compared: Identical
$done_ok" compare "$F\\A\\Hello" "$F\\B\\Hello" /ve /os /s
expect - 2 "
Result Compared: Different
$done_ok" compare "$F\\A" "$F\\B" /v one /on
expect - 1 "" compare "$F\\A" "$F\\Missing"
expect - 1 "" compare "$F\\A" "$F\\B" /od /os
run zarn delete "$F" /f

# Pipelines. --json prints one document that jq and Python's json read (and
# nothing on standard output when the verb fails); "-" is standard input for
# import and standard output for export, whose message then goes to standard
# error; -q drops the success message; a failure's second line names what
# failed and why. Values in name order, as Wine lists them.
P="$K\\Json"
jl=${L//\\/\\\\}\\\\Json
run zarn add "$P" /v a_text /d 'one "two"' /f
run zarn add "$P" /v b_number /t REG_DWORD /d 42 /f
run zarn add "$P" /v c_multi /t REG_MULTI_SZ /d 'a\0b' /f
run zarn add "$P" /v d_binary /t REG_BINARY /d 0aff /f
run zarn add "$P" /v e_quad /t REG_QWORD /d 0x100000000 /f
run zarn add "$P\\Sub" /ve /d 'sub default' /f
# expect_json CODE JSON ARGS...: JSON as jq prints it compactly.
expect_json() {
  local want_code=$1 want=$2
  shift 2
  checks=$((checks + 1))
  global=(--json)
  run zarn "$@"
  global=()
  [ "$code" = "$want_code" ] || fail "reg --json $* exited $code, not $want_code ($err)"
  if [ -z "$want" ]; then
    [ -z "$out" ] || fail "reg --json $* failed but printed '$out'"
    return
  fi
  python3 -m json.tool <<<"$out" >/dev/null || fail "Python's json cannot read reg --json $*: $out"
  local read
  read=$(jq -c . <<<"$out") || fail "jq cannot read reg --json $*: $out"
  [ "$read" = "$want" ] || fail "reg --json $* printed"$'\n'"$read"$'\n'"instead of"$'\n'"$want"
}
values_json='[{"name":"a_text","type":"REG_SZ","data":"one \"two\""},{"name":"b_number","type":"REG_DWORD","data":42},{"name":"c_multi","type":"REG_MULTI_SZ","data":["a","b"]},{"name":"d_binary","type":"REG_BINARY","data":"0AFF"},{"name":"e_quad","type":"REG_QWORD","data":4294967296}]'
expect_json 0 '{"path":"'"$jl"'","values":'"$values_json"',"subkeys":[{"name":"Sub","path":"'"$jl"'\\Sub"}]}' query "$P"
expect_json 0 '{"path":"'"$jl"'","values":'"$values_json"',"subkeys":[{"name":"Sub","path":"'"$jl"'\\Sub","values":[{"name":"","type":"REG_SZ","data":"sub default"}],"subkeys":[]}]}' query "$P" /s
expect_json 0 '{"path":"'"$jl"'","values":[{"name":"b_number","type":"REG_DWORD","data":42}]}' query "$P" /v b_number
expect_json 0 '{"path":"'"$jl"'","values":[]}' query "$P" /ve
expect_json 1 '' query "$P" /v missing
expect_json 0 '{"path":"'"$jl"'","matches":[{"path":"'"$jl"'","values":[{"name":"a_text","type":"REG_SZ","data":"one \"two\""}]}],"found":true,"count":1}' query "$P" /f one
expect_json 0 '{"path":"'"$jl"'","matches":[{"key":"'"$jl"'\\Sub"}],"found":true,"count":1}' query "$P" /f sub /k
expect_json 1 '{"path":"'"$jl"'","matches":[],"found":false,"count":0}' query "$P" /f nowhere
# A search that finds nothing is no ERROR, but a failure with its line.
expect_error 1 "zarnutils reg: nothing in $L\\Json matches 'nowhere'" query "$P" /f nowhere
expect_error 1 "zarnutils reg: no key in $L\\Json has the value nowhere" query "$P" /v nowhere /s
expect_json 2 '{"first":"'"$jl"'","second":"'"$jl"'\\Sub","identical":false,"lines":[{"side":"<","path":"'"$jl"'","value":{"name":"b_number","type":"REG_DWORD","data":42}}]}' compare "$P" "$P\\Sub" /v b_number
expect_json 0 '{"first":"'"$jl"'","second":"'"$jl"'","identical":true,"lines":[]}' compare "$P" "$P"
[ "$err" = "$done_ok" ] || fail "reg --json compare said '$err' on standard error, not '$done_ok'"
checks=$((checks + 1))
"${zarn[@]}" reg export "$P" - </dev/null >"$scratch/piped.reg" 2>"$scratch/err"
[ "$(head -c 2 "$scratch/piped.reg" | od -An -tx1)" = " ff fe" ] || fail "export to - wrote no .reg file"
[ "$(tr -d '\r' <"$scratch/err")" = "$done_ok" ] || fail "export to - said '$(cat "$scratch/err")'"
[ ! -e ./- ] || fail "export to - wrote a file named -"
run zarn delete "$P" /f
checks=$((checks + 1))
"${zarn[@]}" -q reg import - <"$scratch/piped.reg" >"$scratch/out" 2>&1 || fail "import from - failed"
[ ! -s "$scratch/out" ] || fail "import -q printed '$(cat "$scratch/out")'"
expect_json 0 '{"path":"'"$jl"'","values":'"$values_json"',"subkeys":[{"name":"Sub","path":"'"$jl"'\\Sub"}]}' query "$P"
checks=$((checks + 1))
"${zarn[@]}" -q reg export "$P" - --regedit4 </dev/null 2>"$scratch/err" | grep -q '^REGEDIT4' ||
  fail "export --regedit4 to - wrote no REGEDIT4 file"
[ ! -s "$scratch/err" ] || fail "export -q to - said '$(cat "$scratch/err")'"
# Text tools read a REGEDIT4 export on its way to an import; in a 5.00
# export (UTF-16LE) sed matches nothing.
checks=$((checks + 1))
"${zarn[@]}" -q reg export "$P" - </dev/null | sed 's/one/three/' | "${zarn[@]}" -q reg import -
"${zarn[@]}" -q reg export "$P" - --regedit4 </dev/null | sed 's/one/two/' | "${zarn[@]}" -q reg import - ||
  fail "export --regedit4 | sed | import failed"
expect_json 0 '{"path":"'"$jl"'","values":[{"name":"a_text","type":"REG_SZ","data":"two \"two\""}]}' query "$P" /v a_text
run zarn add "$P" /v a_text /d 'one "two"' /f
global=(-q)
expect - 0 "" add "$P" /v quiet /d x /f
global=()
# "ERROR: ..." as reg.exe words it, first; then what failed and why; and
# not a byte on standard output.
second_line() {
  checks=$((checks + 1))
  local want=$1
  shift
  run zarn "$@"
  [ "$code" = 1 ] || fail "reg $* exited $code, not 1"
  [ ! -s "$scratch/out" ] || fail "reg $* failed but printed '$(od -c "$scratch/out")'"
  [[ $err == ERROR:*$'\n'"zarnutils reg: $want" || $err == *$'\n'ERROR:*$'\n'"zarnutils reg: $want" ]] || fail "reg $* said '$err', not ERROR: ... then '$want'"
}
second_line "no such key $L\\Json\\Missing" query "$P\\Missing"
second_line "no such key $L\\Json\\Missing" delete "$P\\Missing" /f
second_line "no such value missing in $L\\Json" query "$P" /v missing
second_line "no such value missing in $L\\Json" delete "$P" /v missing /f
second_line "REG_DWORD data 'abc' is not a number" add "$P" /v n /t REG_DWORD /d abc /f
second_line "REG_DWORD data '4294967296' is out of the type's range" add "$P" /v n /t REG_DWORD /d 4294967296 /f
second_line "REG_QWORD data '-0x1' is not a number" add "$P" /v n /t REG_QWORD /d -0x1 /f
second_line "REG_QWORD data '18446744073709551616' is out of the type's range" add "$P" /v n /t REG_QWORD /d 18446744073709551616 /f
second_line "cannot open $(scratch_path "$scratch/none.reg"): No such file or directory" import "$(scratch_path "$scratch/none.reg")"
second_line "cannot write $(scratch_path "$scratch/none/x.reg"): No such file or directory" export "$P" "$(scratch_path "$scratch/none/x.reg")" /y
# Every path that prints an ERROR adds the line, usage errors included.
second_line "unknown type 'REG_DWORDX'" add "$P" /v n /t REG_DWORDX /d 1 /f
second_line "REG_DWORD needs its data: /d" add "$P" /v n /t REG_DWORD /f
second_line "/s is for REG_MULTI_SZ only" add "$P" /v n /s , /d a /f
second_line "/v and /ve exclude each other" add "$P" /v n /ve /f
second_line "HKXX\\Software: HKXX is no root key (HKLM, HKCU, HKCR, HKU or HKCC, or their long names)" query 'HKXX\Software'
second_line "HKCU\\: a root key alone takes no backslash after it" add 'HKCU\' /v n /f
second_line "HKEY_CURRENT_USER is a root key, which cannot be deleted" delete HKCU /f
second_line "unknown switch /bogus" query "$P" /bogus
second_line "unexpected word 'stray'" query "$P" stray
second_line "/v needs a value" add "$P" /v
second_line "/F given twice" add "$P" /f /F
second_line "missing KeyName2" copy "$P"
second_line "/reg:32 and /reg:64 exclude each other" query "$P" /reg:32 /reg:64
second_line "/k goes with /f only" query "$P" /k
second_line "/ve does not go with /f" query "$P" /f x /ve
second_line "unknown type 'REG_WRONG' in /t" query "$P" /f x /t REG_WRONG
second_line "/oa, /od, /os and /on exclude each other" compare "$P" "$P" /oa /od
second_line "both name $L\\Json" copy "$P" "$P" /f
second_line "unknown operation 'frob' (QUERY, ADD, DELETE, COPY, EXPORT, IMPORT, COMPARE, APPLY, SAVE, RESTORE, LOAD, UNLOAD or WATCH)" frob
second_line "an operation expected: QUERY, ADD, DELETE, COPY, EXPORT, IMPORT, COMPARE, APPLY, SAVE, RESTORE, LOAD, UNLOAD or WATCH"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"x"=bogus\r\n' "$L\\Json" >"$scratch/strict.reg"
second_line "--strict: the lines named above could not be used" import "$(scratch_path "$scratch/strict.reg")" --strict
# Control characters in names and data: exact through a pipe, escaped on a
# terminal, and escaped in every error message.
title=$'t\033]0;owned\007'
second_line "no such value \"t\\033]0;owned\\a\" in $L\\Json" query "$P" /v "$title"
second_line "REG_DWORD data '\"1\\n2\"' is not a number" add "$P" /v n /t REG_DWORD /d $'1\n2' /f
run zarn add "$P" /v "$title" /d $'a\tb' /f
expect - 0 $'\n'"$L\\Json"$'\n'"    $title    REG_SZ    "$'a\tb' query "$P" /v "$title"
if [ "$target" = native ]; then
  checks=$((checks + 1))
  shown=$(SHELL=/bin/bash script -qec "$(printf '%q ' "${zarn[@]}" reg query "$P" /v "$title")" /dev/null </dev/null | tr -d '\r')
  [ "$shown" = $'\n'"$L\\Json"$'\n''    "t\033]0;owned\a"    REG_SZ    "a\tb"' ] ||
    fail "reg query on a terminal showed"$'\n'"$shown"
fi
run zarn delete "$P" /f

# apply: the registry made to hold what a .reg file says. State A; B with
# --exact changes a value, deletes one ("d_delete"=-) and a tree ([-Gone]),
# adds a value and a key, and removes what Named holds beyond the file
# (c_extra, Extra) but keeps Kept, on the way to a key the file names, and
# leaves Outside alone. --check changes nothing; applied with --undo, the
# undo applied after restores A's export byte for byte. Exit 0 when nothing
# changes, 2 when something does. (Values in name order, as Wine lists them.)
Y="$K\\Apply" YL="$L\\Apply"
run zarn add "$Y\\Named" /v a_keep /d same /f
run zarn add "$Y\\Named" /v b_change /t REG_DWORD /d 1 /f
run zarn add "$Y\\Named" /v c_extra /d x /f
run zarn add "$Y\\Named" /v d_delete /d x /f
run zarn add "$Y\\Named" /v e_last /d last /f
run zarn add "$Y\\Named\\Extra" /v e /d x /f
run zarn add "$Y\\Named\\Kept\\Deep" /v f /d x /f
run zarn add "$Y\\Outside" /v g /d x /f
run zarn add "$Y\\Gone\\Below" /v h /d x /f
printf '%s\r\n' REGEDIT4 "[$YL\\Named]" '"a_keep"="same"' '"b_change"=dword:00000002' '"d_delete"=-' \
  '"e_last"="last"' '"n_new"="new"' "[$YL\\Named\\Kept\\Deep\\New]" '@="created"' "[-$YL\\Gone]" >"$scratch/b.reg"
b_reg=$(scratch_path "$scratch/b.reg") undo_reg=$(scratch_path "$scratch/undo.reg")
state_a=$(scratch_path "$scratch/a.reg") state_now=$(scratch_path "$scratch/now.reg")
same_as_a() {
  checks=$((checks + 1))
  run zarn export "$Y" "$state_now" /y
  cmp -s "$scratch/a.reg" "$scratch/now.reg" || fail "after $1 the export differs from A's"
}
run zarn export "$Y" "$state_a" /y
changes_b="deleted $YL\\Gone
changed $YL\\Named
unchanged $YL\\Named    a_keep    REG_SZ    same
changed $YL\\Named    b_change    REG_DWORD    0x2
deleted $YL\\Named    c_extra    REG_SZ    x
deleted $YL\\Named    d_delete    REG_SZ    x
unchanged $YL\\Named    e_last    REG_SZ    last
created $YL\\Named    n_new    REG_SZ    new
deleted $YL\\Named\\Extra
created $YL\\Named\\Kept\\Deep\\New
created $YL\\Named\\Kept\\Deep\\New    (Default)    REG_SZ    created
"
expect - 2 "${changes_b}
Result Checked: 3 created, 2 changed, 4 deleted, 2 unchanged (nothing was changed)
$done_ok" apply "$b_reg" --exact --check
same_as_a "apply --check"
expect - 2 "${changes_b}
Result Applied: 3 created, 2 changed, 4 deleted, 2 unchanged
$done_ok" apply "$b_reg" --exact --undo "$undo_reg"
expect - 0 "
$L\\Apply\\Named\\Kept\\Deep" query "$Y\\Named\\Kept"
expect - 0 "
$L\\Apply\\Outside
    g    REG_SZ    x
" query "$Y\\Outside"
run zarn apply "$b_reg" --exact
[[ $code = 0 && "$out" == *$'\nResult Applied: 0 created, 0 changed, 0 deleted, 9 unchanged\n'"$done_ok" ]] ||
  fail "B applied twice: exit $code, $out"
checks=$((checks + 1))
run zarn apply "$undo_reg"
[ "$code" = 2 ] || fail "applying the undo exited $code ($err)"
same_as_a "applying the undo"
# Without --exact what the file does not name stays; --diff shows the
# change as a unified difference of the keys' .reg text.
small=$(scratch_path "$scratch/small.reg")
printf '%s\r\n' REGEDIT4 "[$YL\\Named]" '"b_change"=dword:00000003' >"$scratch/small.reg"
expect - 2 "--- registry
+++ $small
@@ -3,6 +3,6 @@
 [$YL\\Named]
 \"a_keep\"=\"same\"
-\"b_change\"=dword:00000001
+\"b_change\"=dword:00000003
 \"c_extra\"=\"x\"
 \"d_delete\"=\"x\"
 \"e_last\"=\"last\"
changed $YL\\Named
changed $YL\\Named    b_change    REG_DWORD    0x3

Result Checked: 0 created, 2 changed, 0 deleted, 0 unchanged (nothing was changed)
$done_ok" apply "$small" --check --diff
same=$(scratch_path "$scratch/same.reg")
printf '%s\r\n' REGEDIT4 "[$YL\\Named]" '"b_change"=dword:00000001' >"$scratch/same.reg"
json_path() { local path=${1//\\/\\\\}; printf '%s' "${path//\"/\\\"}"; }
expect_json 0 '{"file":"'"$(json_path "$same")"'","check":false,"changed":false,"counts":{"created":0,"changed":0,"deleted":0,"unchanged":2},"lines":[{"status":"unchanged","path":"'"$(json_path "$YL")"'\\Named"},{"status":"unchanged","path":"'"$(json_path "$YL")"'\\Named","value":{"name":"b_change","type":"REG_DWORD","data":1}}]}' \
  apply "$same"
# Bad input changes nothing.
printf '%s\r\n' REGEDIT4 "[$YL\\New]" '"ok"="1"' '"bad"=dword:xyz' >"$scratch/bad-apply.reg"
second_line "the lines named above could not be used" apply "$(scratch_path "$scratch/bad-apply.reg")"
expect - 1 "" query "$Y\\New"
second_line "cannot open $(scratch_path "$scratch/none.reg"): No such file or directory" \
  apply "$(scratch_path "$scratch/none.reg")"
second_line "--check changes nothing for --undo to undo" apply "$b_reg" --check --undo "$undo_reg"
# compare --patch: a snapshot copied now and compared with the key later
# gives the .reg file that apply turns the key back into the snapshot with.
run zarn copy "$Y" "$Y.snap" /s /f
run zarn add "$Y\\Named" /v a_keep /d other /f
run zarn add "$Y\\Later" /v l /d x /f
run zarn delete "$Y\\Named\\Extra" /f
patch=$(scratch_path "$scratch/patch.reg")
expect - 2 "< $YL.snap\\Named    a_keep    REG_SZ    same
> $YL\\Named    a_keep    REG_SZ    other
< $YL.snap\\Named\\Extra
> $YL\\Later

Result Compared: Different
$done_ok" compare "$Y.snap" "$Y" /s --patch "$patch"
checks=$((checks + 1))
run zarn apply "$patch"
[ "$code" = 2 ] || fail "applying the patch exited $code ($err)"
same_as_a "applying the patch"
run zarn delete "$Y.snap" /f
run zarn delete "$Y" /f

# Each line of an error ends once: CR LF on Windows, LF natively.
checks=$((checks + 1))
ends=$("${zarn[@]}" "${global[@]}" reg query "$K\\Missing" 2>&1 >/dev/null </dev/null | od -An -c | tr -s ' ')
case $target in
  native) [[ $ends != *'\r'* ]] || fail "a native error line holds a CR:$ends" ;;
  *) [[ $ends != *'\r \r'* && $ends == *'\r \n'* ]] || fail "error lines do not end in one CR LF:$ends" ;;
esac

# reg watch: another process's changes, a line each as they come. The
# watcher may start after the first change, so changes go on until it has
# seen three.
run zarn add "$K\Watched" /v Tick /d 0 /f
checks=$((checks + 1))
"${zarn[@]}" "${global[@]}" reg watch "$K\Watched" /s --count 3 --timeout 120 \
  </dev/null >"$scratch/watch" 2>&1 &
watcher=$!
for tick in $(seq 1 200); do
  kill -0 "$watcher" 2>/dev/null || break
  run zarn add "$K\Watched\Sub$tick" /v Tick /d "$tick" /f
  sleep 0.3
done
wait "$watcher"
code=$?
watched=$(tr -d '\r' <"$scratch/watch")
first=$(sed -n '1s/.*\\Sub//p' <<<"$watched")
want="created $L\\Watched\\Sub$first
created $L\\Watched\\Sub$first    Tick    REG_SZ    $first
created $L\\Watched\\Sub$((first + 1))"
[ "$code" = 0 ] && [ "$watched" = "$want" ] ||
  fail "reg watch exited $code and printed"$'\n'"$watched"$'\n'"instead of"$'\n'"$want"
expect - 2 '' watch "$K\Watched" --timeout 0.5
expect_error 1 "no such key $L\\Nowhere" watch "$K\Nowhere" --timeout 1
expect_error 1 "--count 'x' is not a whole number" watch "$K" --count x
run zarn delete "$K\Watched" /f

# reg save writes a hive that hivex's own tools read as we do; reg restore
# puts it back whole, replacing what the key held. Wine's RegRestoreKey is a
# stub that restores nothing, so restoring is checked natively only.
hive=$scratch/saved.hiv
run zarn add "$K\Hive\Ünï" /v Big /t REG_BINARY /d "$(printf '%040000d' 0)" /f
run zarn add "$K\Hive" /v Text /d 'héllo' /f
run zarn add "$K\Hive" /v List /t REG_MULTI_SZ /d 'a\0b' /f
expect - 0 "$done_ok" save "$K\Hive" "$(scratch_path "$hive")"
expect_error 1 "canceled by the user" save "$K\Hive" "$(scratch_path "$hive")"
expect - 0 "$done_ok" save "$K\Hive" "$(scratch_path "$hive")" /y
if [ "$target" = native ]; then
  checks=$((checks + 1))
  exported=$(hivexregedit --export "$hive" '\' 2>&1)
  [[ $exported == *'"List"=hex(7):61,00,00,00,62,00,00,00,00,00'* &&
    $exported == *'"Text"=hex(1):68,00,e9,00,6c,00,6c,00,6f,00,00,00'* ]] ||
    fail "hivexregedit read the saved hive as"$'\n'"$exported"
  run zarn add "$K\Restored\Old" /v Gone /d 1 /f
  expect - 0 "$done_ok" restore "$K\Restored" "$hive"
  expect - 0 $'\nResult Compared: Identical\n'"$done_ok" compare "$K\Hive" "$K\Restored" /s
  echo 'no hive' >"$scratch/bad.hiv"
  expect_error 1 "holds no registry hive" restore "$K\Restored" "$scratch/bad.hiv"
  head -c 6000 "$hive" >"$scratch/truncated.hiv"
  expect_error 1 "truncated.hiv: the file holds no registry hive" restore "$K\Restored" "$scratch/truncated.hiv"
  expect - 0 $'\nResult Compared: Identical\n'"$done_ok" compare "$K\Hive" "$K\Restored" /s
  # A loaded hive is a key like any other until unloaded; then its file
  # holds what was written there. (Wine's RegLoadKey reads Wine's own text
  # files only, so this too is checked natively.)
  cp "$hive" "$scratch/loaded.hiv"
  expect - 0 "$done_ok" load 'HKU\ZarnVerbsHive' "$scratch/loaded.hiv"
  expect_error 1 "already" load 'HKU\ZarnVerbsHive' "$scratch/loaded.hiv"
  expect_error 1 "right below HKLM or HKU" load 'HKCU\ZarnVerbsHive' "$scratch/loaded.hiv"
  expect - 0 "$done_ok" add 'HKU\ZarnVerbsHive' /v Added /d yes /f
  expect - 0 "$done_ok" unload 'HKU\ZarnVerbsHive'
  expect_error 1 "invalid parameter" unload 'HKU\ZarnVerbsHive'
  checks=$((checks + 1))
  exported=$(hivexregedit --export "$scratch/loaded.hiv" '\' 2>&1)
  [[ $exported == *'"Added"=hex(1):79,00,65,00,73,00,00,00'* && $exported == *'"List"='* ]] ||
    fail "the unloaded hive holds"$'\n'"$exported"
  expect - 1 '' query 'HKU\ZarnVerbsHive'
  # --hive: a verb on the file itself, the key names' root standing for the
  # hive's root; only a verb that changes something writes the file.
  cp "$hive" "$scratch/direct.hiv" && cp "$hive" "$scratch/direct.orig"
  expect - 0 $'\nHKEY_LOCAL_MACHINE\n    Text    REG_SZ    héllo' query HKLM /v Text --hive "$scratch/direct.hiv"
  printf '%s\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE]' '"Text"="other"' >"$scratch/direct.reg"
  run zarn apply "$scratch/direct.reg" --check --hive "$scratch/direct.hiv"
  checks=$((checks + 1))
  [ "$code" = 2 ] && cmp -s "$scratch/direct.hiv" "$scratch/direct.orig" ||
    fail "query and apply --check on a hive exited $code or changed its file"
  expect - 0 "$done_ok" add 'HKLM\Sub' /v Direct /d yes /f --hive "$scratch/direct.hiv"
  checks=$((checks + 1))
  [[ $(hivexregedit --export "$scratch/direct.hiv" '\Sub' 2>&1) == *'"Direct"=hex(1):79,00,65,00,73,00,00,00'* ]] ||
    fail "reg add --hive did not reach the file"
  expect_error 1 "--hive works with" watch HKLM --hive "$scratch/direct.hiv"
  # Thousands of subkeys, names beyond Latin-1 (stored as UTF-16), a
  # REG_NONE default value and data over 16 KB come back alike.
  awk -v key="$L\\Wide" 'BEGIN { print "REGEDIT4"; for (i = 0; i < 3000; i++) printf "\n[%s\\K%d]\n", key, i }' \
    >"$scratch/wide.reg"
  run zarn import "$scratch/wide.reg"
  run zarn add "$K\Wide\键" /v 名 /d 值 /f
  run zarn add "$K\Wide" /ve /t REG_NONE /f
  run zarn add "$K\Wide" /v Big /t REG_BINARY /d "$(printf '%050000d' 7)" /f
  expect - 0 "$done_ok" save "$K\Wide" "$scratch/wide.hiv"
  run zarn add "$K\WideBack" /f
  expect - 0 "$done_ok" restore "$K\WideBack" "$scratch/wide.hiv"
  expect - 0 $'\nResult Compared: Identical\n'"$done_ok" compare "$K\Wide" "$K\WideBack" /s
  checks=$((checks + 1))
  [ "$(hivexsh "$scratch/wide.hiv" <<<'ls' 2>/dev/null | wc -l)" = 3001 ] &&
    [[ $(hivexregedit --export "$scratch/wide.hiv" '\键' 2>&1) == *'[\键]'* ]] ||
    fail "hivex tools read the wide hive otherwise"
  run zarn delete "$K\Wide" /f
  run zarn delete "$K\WideBack" /f
fi
run zarn delete "$K\Hive" /f
run zarn delete "$K\Restored" /f

# A store file that holds no store is named in the message, and stays as it was.
if [ "$target" = native ]; then
  damaged=$scratch/damaged
  mkdir -p "$damaged" && echo 'not a store' >"$damaged/user.sqlite3"
  for verb in "query $K" "add $K /v A /d 1 /f"; do
    ZARNUTILS_REGISTRY_DIR=$damaged expect_error 1 "(store file $damaged/user.sqlite3)" $verb
  done
  [ "$(cat "$damaged/user.sqlite3")" = 'not a store' ] || fail "a damaged store file was changed"
fi

# Usage, and the failures of the command line itself.
expect_error 1 'Invalid syntax.' 
expect_error 1 "Invalid argument/option - 'frob'." frob
run zarn query /?
[[ "$out" == "REG QUERY KeyName"* && $code = 0 ]] || fail "reg query /? printed '$out'"
# --help as /?, alone or after a verb.
run zarn query --help
[[ "$out" == "REG QUERY KeyName"* && $code = 0 ]] || fail "reg query --help printed '$out'"
run zarn --help
[[ "$out" == "REG Operation"* && $code = 0 ]] || fail "reg --help printed '$out'"

run zarn delete "$K" /f
echo "reg verbs ($target): $checks checks, $failures failed"
[ "$failures" = 0 ]
