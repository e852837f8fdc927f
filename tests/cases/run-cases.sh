#!/usr/bin/env bash
# Runs the table of cases (cases.txt, format described at its top) through ONE
# zarnutils --batch process and compares each answer with its expected line.
#
#   run-cases.sh [--com DLL [--early]] TARGET CASES COMMAND...
#
# TARGET is native or win32: it selects the marked cases that count and how
# the registry is made clean. COMMAND runs zarnutils; its last word is the
# program, the words before it launch it (on win32: the Wine wrapper).
#   native  the store goes to a fresh ZARNUTILS_REGISTRY_DIR, removed after;
#   win32   HKCU\Software\ZarnUtilsCases is deleted from the Wine registry
#           first, through the same launcher, so reruns start clean.
# --com DLL registers DLL with regsvr32 through the launcher and runs the
# table through zarnutils --com (with --early: --com --early) instead of the
# classes built into zarnutils; the marks of TARGET apply.
# Prints every failing case and, last, one line
#   case table (TARGET[ com[ early]]): N passed, M failed[, K skipped]
# and exits non-zero when a case failed or the batch did not run through.
set -euo pipefail

usage() {
  echo "usage: run-cases.sh [--com DLL [--early]] native|win32 CASES COMMAND..." >&2
  exit 2
}
options=()
column=""
if [ "${1:-}" = --com ]; then
  [ $# -ge 2 ] || usage
  dll=$2
  options=(--com)
  column=" com"
  shift 2
  if [ "${1:-}" = --early ]; then
    options+=(--early)
    column+=" early"
    shift
  fi
fi
if [ $# -lt 3 ] || { [ "$1" != native ] && [ "$1" != win32 ]; }; then
  usage
fi
target=$1
cases=$2
shift 2
command=("$@")
launcher=("${command[@]:0:$#-1}")

if [ ${#options[@]} -gt 0 ]; then
  "${launcher[@]}" regsvr32 /s "Z:${dll//\//\\}" || { echo "regsvr32 failed" >&2; exit 1; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/ini"

if [ "$target" = native ]; then
  export ZARNUTILS_REGISTRY_DIR="$work/registry"
  dir="$work/ini"
else
  "${launcher[@]}" reg delete 'HKCU\Software\ZarnUtilsCases' /f >/dev/null 2>&1 || true
  dir="Z:${work//\//\\}\\ini"
fi

# Split the table into the batch input, the expected lines and, per case, its
# line number and mark. A field holding {dir} is a path below the INI folder;
# on win32 its slashes become backslashes.
dir="$dir" awk -v target="$target" -v work="$work" '
  function fail(message) {
    printf "%s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
    bad = 1
    exit 1
  }
  # Plain text replacement: sub() would read backslashes in the folder name.
  function replaced(text, from, to,    at, out) {
    out = ""
    while ((at = index(text, from)) > 0) {
      out = out substr(text, 1, at - 1) to
      text = substr(text, at + length(from))
    }
    return out text
  }
  function withFolder(line,    fields, count, i, out) {
    count = split(line, fields, "\t")
    out = ""
    for (i = 1; i <= count; i++) {
      if (index(fields[i], "{dir}")) {
        if (target == "win32") fields[i] = replaced(fields[i], "/", "\\")
        fields[i] = replaced(fields[i], "{dir}", ENVIRON["dir"])
      }
      out = out (i > 1 ? "\t" : "") fields[i]
    }
    return out
  }
  /^# (native|win32)-only: ./ {
    if (mark != "") fail("two marks for one case")
    mark = $2
    sub(/-only:$/, "", mark)
    next
  }
  /^#/ || /^$/ { next }
  /^> ./ {
    if (input != "") fail("case without an expected line")
    input = substr($0, 3)
    inputLine = FNR
    next
  }
  {
    if (input == "") fail("expected line without a case")
    print withFolder(input) > (work "/input")
    print > (work "/expected")
    print inputLine, (mark == "" ? "-" : mark) > (work "/cases")
    input = ""
    mark = ""
  }
  END {
    if (bad) exit 1
    if (input != "") fail("case without an expected line")
    if (mark != "") fail("mark without a case")
  }
' "$cases"

status=0
"${command[@]}" "${options[@]}" --batch <"$work/input" >"$work/actual" 2>"$work/errors" || status=$?

awk -v target="$target" -v column="$column" -v cases="$cases" -v status="$status" -v work="$work" '
  function shown(line) { gsub("\t", " \342\207\245 ", line); return line }
  BEGIN {
    while ((getline line < (work "/input")) > 0) input[++count] = line
    n = 0
    while ((getline line < (work "/expected")) > 0) expected[++n] = line
    n = 0
    while ((getline line < (work "/cases")) > 0) { split(line, f, " "); at[++n] = f[1]; mark[n] = f[2] }
    n = 0
    while ((getline line < (work "/actual")) > 0) actual[++n] = line
    answered = n
    for (i = 1; i <= count; i++) {
      if (mark[i] != "-" && mark[i] != target) { skipped++; continue }
      got = i <= answered ? actual[i] : "(no answer)"
      if (got == expected[i]) { passed++; continue }
      failed++
      printf "FAIL %s:%d\n  input:    %s\n  expected: %s\n  actual:   %s\n", cases, at[i], shown(input[i]), expected[i], got
    }
    if (answered > count) {
      failed++
      printf "FAIL: %d answers for %d cases\n", answered, count
    }
    if (status != 0) {
      failed++
      printf "FAIL: zarnutils --batch exited with %d\n", status
      while ((getline line < (work "/errors")) > 0) print "  " line
    }
    printf "case table (%s%s): %d passed, %d failed%s\n", target, column, passed, failed, skipped ? ", " skipped " skipped" : ""
    exit failed ? 1 : 0
  }
'
