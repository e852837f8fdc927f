#!/usr/bin/env bash
# Asks the installed-form completion what it offers at typical points of a
# command line and checks the answers.
#
#   completion-test.sh COMPLETION_SCRIPT ZARNUTILS
set -uo pipefail
source "$1"
zarnutils=$2
# Key paths and INI names come from a scratch store and file, never the
# user's own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ZARNUTILS_REGISTRY_DIR=$scratch
"$zarnutils" reg add 'HKCU\Software\Demo\Sub One' /f >/dev/null
"$zarnutils" reg add 'HKCU\Software\Demo2' /v Port /d 1 /f >/dev/null
ini=$scratch/app.ini
"$zarnutils" -q ini set "$ini" Server Port 8080
"$zarnutils" -q ini set "$ini" Server Host example
"$zarnutils" -q ini set "$ini" Client Proxy none

failures=0
offers() {
  local expected=$1
  shift
  COMP_WORDS=("$zarnutils" "$@")
  COMP_CWORD=$(($# ))
  COMPREPLY=()
  _zarnutils
  local got="${COMPREPLY[*]}"
  if [ "$got" != "$expected" ]; then
    echo "completing '$*': expected '$expected', got '$got'"
    failures=$((failures + 1))
  fi
}

offers 'Regedit.ReadIni Regedit.ReadValue' Regedit.Rea
offers 'IniEdit.EnumSections IniEdit.EnumValues' --json IniEdit.Enum
offers 'reg' re
offers 'query' reg q
offers 'get' ini g
offers '/v /ve /va /f /reg:32 /reg:64' reg delete 'HKCU\Software' /
offers '/v /ve /s /se /f /k /d /c /e /t /reg:32 /reg:64' reg query 'HKCU\Software' /
offers 'copy compare' reg co
offers 'del' ini d
offers '--regedit4' reg export 'HKCU\Software' out.reg --r
offers 'REG_DWORD REG_DWORD_LITTLE_ENDIAN REG_DWORD_BIG_ENDIAN' reg add 'HKCU\Software' /t REG_DW
offers 'HKCU HKCC HKCR' reg query HKC
offers 'HKEY_LOCAL_MACHINE' Regedit.ReadValue HKEY_L
offers '' Regedit.ReadValue 'HKCU\Port' ''
offers '' reg query HKD
offers 'HKCU\Software\Demo HKCU\Software\Demo2' reg query 'HKCU\Software\De'
offers 'HKCU\Software\Demo\Sub One' -q reg delete \''HKCU\Software\Demo\'
offers 'HKEY_CURRENT_USER\Software' Regedit.ReadValue 'HKEY_CURRENT_USER\'
offers 'HKCU\Software\Demo2' reg copy 'HKCU\Software' 'HKCU\Software\Demo2'
offers '' reg query 'HKCU\Nowhere\'
offers "$ini" reg export 'HKCU\Software' "$scratch/a"
offers "$ini" reg import "$scratch/a"
offers "$ini" reg apply "$scratch/a"
offers "$ini" reg apply x.reg --undo "$scratch/a"
offers '--check --diff --exact --undo' reg apply x.reg -
offers '--patch' reg compare 'HKCU\Software' 'HKCU\Software' --p
offers "$ini" --json ini get "$scratch/a"
offers 'Server Client' ini list "$ini" ''
offers 'Host' ini set "$ini" Server H
offers 'Proxy' ini get --type bool "$ini" client ''
offers '' ini set "$ini" Server Port ''
offers '--default --type --all' ini get "$ini" Server Port --
offers '--check --diff --detailed-exitcodes' ini set "$ini" Server Port 1 --
offers '--format=sh --format=lines' ini list "$ini" Server --f
offers 'Host' ini set "$ini" --check Server H
offers 'Host' ini set "$ini" Server Port 1 H
offers "$ini" ini apply "$ini" "$scratch/a"
offers 'int' ini get "$ini" Server Port --type i

[ "$failures" -eq 0 ] || exit 1
echo "completion: methods, verbs, switches, types, key paths, INI names and files complete"
