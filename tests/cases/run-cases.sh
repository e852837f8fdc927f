#!/usr/bin/env bash
# Runs the table of cases (tests/cases/table/, format in its README.md): every
# file through its own zarnutils --batch process, each answer compared with
# its expected line.
#
#   run-cases.sh [--com DLL [--early]] TARGET CASES COMMAND...
#
# CASES is a folder, whose *.txt files run in name order, or one such file.
# TARGET is native, win32 or win64: it selects the marked cases that count
# and how a file's registry is made clean; win64 is a Windows build like
# win32, whose marks it shares. COMMAND runs zarnutils; its last word is
# the program, the words before it launch it (on win32: the Wine wrapper).
# Every file starts from nothing of its own:
#   native  a fresh ZARNUTILS_REGISTRY_DIR for each file, all removed after;
#   win32   the file's key HKCU\Software\ZarnUtilsCases\TOPIC (TOPIC is the
#           file name in CamelCase: typed_values.txt -> TypedValues) is
#           deleted from the Wine registry first, so reruns start clean;
#   both    a fresh empty INI folder for each file, its {dir}.
# A call that names a key below HKCU\Software\ZarnUtilsCases other than the
# file's own fails the file: on win32 the files share one registry.
# --com DLL registers DLL with regsvr32 through the launcher once and runs the
# files through zarnutils --com (with --early: --com --early) instead of the
# classes built into zarnutils; the marks of TARGET apply.
# Prints every failing case, a line of counts per file and, last, one line
#   case table (TARGET[ com[ early]]): N passed, M failed[, K skipped]
# and exits non-zero when a case failed or a batch did not run through.
set -euo pipefail

usage() {
  echo "usage: run-cases.sh [--com DLL [--early]] native|win32|win64 CASES COMMAND..." >&2
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
if [ $# -lt 3 ] || { [ "$1" != native ] && [ "$1" != win32 ] && [ "$1" != win64 ]; }; then
  usage
fi
build=$1
# The platform whose marks apply.
target=$build
[ "$build" = win64 ] && target=win32
cases=$2
shift 2
command=("$@")
launcher=("${command[@]:0:$#-1}")

if [ -d "$cases" ]; then
  mapfile -t files < <(find "$cases" -maxdepth 1 -type f -name '*.txt' | LC_ALL=C sort)
  [ ${#files[@]} -gt 0 ] || { echo "run-cases.sh: no *.txt files in $cases" >&2; exit 2; }
elif [ -f "$cases" ]; then
  files=("$cases")
else
  usage
fi

if [ ${#options[@]} -gt 0 ]; then
  "${launcher[@]}" regsvr32 /s "Z:${dll//\//\\}" || { echo "regsvr32 failed" >&2; exit 1; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Splits FILE into the batch input, the expected lines and, per case, its line
# number and mark, all in folder OUT. A field holding {dir} is a path below
# the INI folder DIR; on win32 its slashes become backslashes.
split_cases() {
  local file=$1 out=$2 topic=$3
  dir="$4" awk -v target="$target" -v out="$out" -v topic="$topic" '
    function fail(message) {
      printf "%s:%d: %s\n", FILENAME, FNR, message
      bad = 1
      exit 1
    }
    # Plain text replacement: sub() would read backslashes in the folder name.
    function replaced(text, from, to,    at, result) {
      result = ""
      while ((at = index(text, from)) > 0) {
        result = result substr(text, 1, at - 1) to
        text = substr(text, at + length(from))
      }
      return result text
    }
    function withFolder(line,    fields, count, i, result) {
      count = split(line, fields, "\t")
      result = ""
      for (i = 1; i <= count; i++) {
        if (index(fields[i], "{dir}")) {
          if (target == "win32") fields[i] = replaced(fields[i], "/", "\\")
          fields[i] = replaced(fields[i], "{dir}", ENVIRON["dir"])
        }
        result = result (i > 1 ? "\t" : "") fields[i]
      }
      return result
    }
    # Whether the call names a key below ZarnUtilsCases that is not the
    # file topic, in any spelling of the root (the key names fold case).
    function foreignKey(line,    rest, at, own, next_) {
      rest = tolower(line) "\t"
      # An x: field writes each backslash doubled.
      gsub(/\\\\/, "\\", rest)
      own = tolower(topic)
      while ((at = index(rest, "zarnutilscases\\")) > 0) {
        rest = substr(rest, at + length("zarnutilscases\\"))
        next_ = substr(rest, length(own) + 1, 1)
        if (substr(rest, 1, length(own)) != own || (next_ != "\\" && next_ != "\t")) return 1
      }
      return 0
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
      if (foreignKey(input)) fail("a key outside HKCU\\Software\\ZarnUtilsCases\\" topic)
      inputLine = FNR
      next
    }
    {
      if (input == "") fail("expected line without a case")
      print withFolder(input) > (out "/input")
      print > (out "/expected")
      print inputLine, (mark == "" ? "-" : mark) > (out "/cases")
      input = ""
      mark = ""
    }
    END {
      if (bad) exit 1
      if (input != "") fail("case without an expected line")
      if (mark != "") fail("mark without a case")
      if (inputLine == 0) fail("no cases")
    }
  ' "$file"
}

# Compares the answers in folder OUT with the expected lines of FILE, prints
# the failures and the file's counts, and writes the counts to OUT/counts.
compare_answers() {
  local file=$1 out=$2 status=$3
  awk -v target="$target" -v file="$file" -v status="$status" -v out="$out" '
    function shown(line) { gsub("\t", " \342\207\245 ", line); return line }
    BEGIN {
      while ((getline line < (out "/input")) > 0) input[++count] = line
      n = 0
      while ((getline line < (out "/expected")) > 0) expected[++n] = line
      n = 0
      while ((getline line < (out "/cases")) > 0) { split(line, f, " "); at[++n] = f[1]; mark[n] = f[2] }
      n = 0
      while ((getline line < (out "/actual")) > 0) actual[++n] = line
      answered = n
      passed = failed = skipped = 0
      for (i = 1; i <= count; i++) {
        if (mark[i] != "-" && mark[i] != target) { skipped++; continue }
        got = i <= answered ? actual[i] : "(no answer)"
        if (got == expected[i]) { passed++; continue }
        failed++
        printf "FAIL %s:%d\n  call:     %s\n  expected: %s\n  actual:   %s\n", file, at[i], shown(input[i]), expected[i], got
      }
      if (answered > count) {
        failed++
        printf "FAIL %s: %d answers for %d cases\n", file, answered, count
      }
      if (status != 0) {
        failed++
        printf "FAIL %s: zarnutils --batch exited with %d\n", file, status
        while ((getline line < (out "/errors")) > 0) print "  " line
      }
      name = file
      sub(/.*\//, "", name)
      printf "  %s: %d passed, %d failed%s\n", name, passed, failed, skipped ? ", " skipped " skipped" : ""
      print passed, failed, skipped > (out "/counts")
    }
  '
}

# The registry key of a file: typed_values.txt -> ...\ZarnUtilsCases\TypedValues.
topic_of() {
  local word topic=""
  local -a words
  IFS=_ read -ra words <<<"$(basename "$1" .txt)"
  for word in "${words[@]}"; do topic+="${word^}"; done
  printf '%s\n' "$topic"
}

passed=0
failed=0
skipped=0
index=0
for file in "${files[@]}"; do
  index=$((index + 1))
  out="$work/$index"
  mkdir -p "$out/ini"
  topic=$(topic_of "$file")
  environment=()
  if [ "$target" = native ]; then
    environment=(ZARNUTILS_REGISTRY_DIR="$out/registry")
    dir="$out/ini"
  else
    "${launcher[@]}" reg delete "HKCU\\Software\\ZarnUtilsCases\\$topic" /f >/dev/null 2>&1 || true
    dir="Z:${out//\//\\}\\ini"
  fi
  if ! split_cases "$file" "$out" "$topic" "$dir"; then
    echo "FAIL $file: not a valid file of cases"
    failed=$((failed + 1))
    continue
  fi
  status=0
  env "${environment[@]}" "${command[@]}" "${options[@]}" --batch \
    <"$out/input" >"$out/actual" 2>"$out/errors" || status=$?
  compare_answers "$file" "$out" "$status"
  read -r file_passed file_failed file_skipped <"$out/counts"
  passed=$((passed + file_passed))
  failed=$((failed + file_failed))
  skipped=$((skipped + file_skipped))
done

skips=""
[ "$skipped" -eq 0 ] || skips=", $skipped skipped"
printf 'case table (%s%s): %d passed, %d failed%s\n' "$build" "$column" "$passed" "$failed" "$skips"
[ "$failed" -eq 0 ]
