#!/usr/bin/env bash
# Asks the installed-form completion what it offers at typical points of a
# command line and checks the answers.
#
#   completion-test.sh COMPLETION_SCRIPT ZARNUTILS
set -uo pipefail
source "$1"
zarnutils=$2

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
offers '--regedit4' reg export 'HKCU\Software' out.reg --r
offers 'REG_DWORD REG_DWORD_LITTLE_ENDIAN REG_DWORD_BIG_ENDIAN' reg add 'HKCU\Software' /t REG_DW
offers 'HKCU HKCC HKCR' reg query HKC
offers 'HKEY_LOCAL_MACHINE' Regedit.ReadValue HKEY_L
offers '' Regedit.ReadValue 'HKCU\Port' ''

[ "$failures" -eq 0 ] || exit 1
echo "completion: methods, verbs, switches, types and root keys complete"
