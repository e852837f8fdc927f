#!/usr/bin/env bash
# Runs every VBScript and JScript example of docs/*.md with cscript under
# Wine, against the built ZarnUtils.dll registered in the build tree's
# prefix, once per host named. An example followed by shown output must
# print exactly that (line ends aside); every example must run without a
# script error. A host is NAME=SYSTEM_FOLDER:DLL, the folder holding the
# cscript.exe and regsvr32.exe of that bitness:
#
#   run-script-examples.sh WINE_RUN DOCS_DIR 64-bit='C:\windows\system32':/x/ZarnUtils.dll ...
#
# Each host's DLL is registered by its own regsvr32 first. When more than one
# host ran, the last-named one's DLL is registered again at the end, as the
# other tests of the prefix expect, and the others' registrations are
# removed. Exits 77 (skipped) when a DLL is missing.
set -uo pipefail
shopt -s nullglob

wine_run=$1
docs=$2
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows() { printf 'Z:%s' "${1//\//\\}"; }

names=() folders=() dlls=()
for host in "$@"; do
  name=${host%%=*} rest=${host#*=}
  dll=${rest#*:}
  dll=${dll#*:}
  folder=${rest%":$dll"}
  [ -f "$dll" ] || { echo "SKIP: no DLL for the $name host at $dll"; exit 77; }
  names+=("$name") folders+=("$folder") dlls+=("$dll")
done

bash "$here/extract-examples.sh" vbscript vbs "$work/vbs" "$docs"/*.md || exit 1
bash "$here/extract-examples.sh" jscript js "$work/js" "$docs"/*.md || exit 1
examples=("$work"/vbs/*.vbs "$work"/js/*.js)
[ -e "${examples[0]}" ] || { echo "no examples found in $docs"; exit 1; }

restore() {
  local i
  for ((i = 0; i < ${#names[@]} - 1; i++)); do
    "$wine_run" "${folders[i]}\\regsvr32.exe" /s /u "$(windows "${dlls[i]}")"
  done
  "$wine_run" "${folders[-1]}\\regsvr32.exe" /s "$(windows "${dlls[-1]}")"
}
for ((i = 0; i < ${#names[@]}; i++)); do
  "$wine_run" "${folders[i]}\\regsvr32.exe" /s "$(windows "${dlls[i]}")" ||
    { echo "regsvr32 of the ${names[i]} DLL failed"; exit 1; }
done
[ "${#names[@]}" -gt 1 ] && trap 'restore; rm -rf "$work"' EXIT

finished="-- example ran to its end --"
passed=0 failed=0 checked=0
for ((i = 0; i < ${#names[@]}; i++)); do
  for example in "${examples[@]}"; do
    base=${example%.*}
    where=$(cat "$base.where")
    # Wine's cscript ends a script at an unhandled error silently, with exit
    # code 0: a last line the script prints only when it ran to its end
    # tells.
    script=$work/run.${example##*.}
    { cat "$example"; echo; echo "WScript.Echo(\"$finished\")"; } >"$script"
    actual=$("$wine_run" "${folders[i]}\\cscript.exe" //nologo "$(windows "$script")" 2>&1)
    status=$?
    actual=$(tr -d '\r' <<<"$actual")
    ran_through=no
    if [ "$(tail -n 1 <<<"$actual")" = "$finished" ]; then
      ran_through=yes
      actual=$(sed '$d' <<<"$actual")
    fi
    expected=
    if [ -f "$base.out.${names[i]}" ]; then
      expected=$base.out.${names[i]}
    elif [ -f "$base.out" ]; then
      expected=$base.out
    fi
    problem=
    if [ "$status" -ne 0 ]; then
      problem="cscript exited with $status"
    elif [ "$ran_through" = no ]; then
      problem="the script stopped at an error"
    elif [ -n "$expected" ] && [ "$actual" != "$(cat "$expected")" ]; then
      problem="its output differs from the page's"
    fi
    if [ -n "$problem" ]; then
      failed=$((failed + 1))
      echo "FAIL $where (${names[i]} host): $problem"
      if [ -n "$expected" ]; then
        diff <(cat "$expected") <(printf '%s\n' "$actual") | sed 's/^/  /'
      else
        printf '%s\n' "$actual" | sed 's/^/  /'
      fi
    else
      passed=$((passed + 1))
      [ -n "$expected" ] && checked=$((checked + 1))
    fi
  done
done
echo "docs examples (${names[*]}): $passed passed ($checked with their output compared), $failed failed"
[ "$failed" -eq 0 ]
