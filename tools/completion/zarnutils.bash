# Bash completion for zarnutils: options, CLASS.METHOD names (asked of the
# program's own --help, so that they follow the classes), the reg and ini
# verbs with their switches, and registry root key names.

_zarnutils_roots='HKLM HKCU HKU HKCC HKCR HKDD HKEY_LOCAL_MACHINE HKEY_CURRENT_USER
HKEY_USERS HKEY_CURRENT_CONFIG HKEY_CLASSES_ROOT HKEY_DYN_DATA'

_zarnutils_reg_switches() {
  case $1 in
    query) echo '/v /ve /s /se /f /k /d /c /e /t' ;;
    add) echo '/v /ve /t /s /d /f' ;;
    delete) echo '/v /ve /va /f' ;;
    copy) echo '/s /f' ;;
    export) echo '/y --regedit4' ;;
    compare) echo '/v /ve /oa /od /os /on /s' ;;
    import) echo '--strict' ;;
  esac
  echo '/reg:32 /reg:64'
}

_zarnutils() {
  local current=${COMP_WORDS[COMP_CWORD]}
  local previous=${COMP_WORDS[COMP_CWORD-1]}
  local first=1
  while [ "$first" -lt "$COMP_CWORD" ] && [[ ${COMP_WORDS[first]} == --* ]]; do
    first=$((first + 1))
  done
  local words
  if [ "$COMP_CWORD" -eq "$first" ]; then
    words="--json --raw --batch --com --early --help --version reg ini
$("${COMP_WORDS[0]}" --help 2>/dev/null | sed -n 's/^  \([A-Za-z]*\.[A-Za-z]*\) .*/\1/p')"
  elif [ "${COMP_WORDS[first]}" = reg ]; then
    local verb=${COMP_WORDS[first+1]}
    if [ "$COMP_CWORD" -eq $((first + 1)) ]; then
      words='query add delete copy export import compare'
    elif [ "$previous" = /t ]; then
      words='REG_SZ REG_EXPAND_SZ REG_MULTI_SZ REG_BINARY REG_DWORD REG_DWORD_LITTLE_ENDIAN
REG_DWORD_BIG_ENDIAN REG_QWORD REG_NONE'
    elif [[ $current == [/-]* ]]; then
      words=$(_zarnutils_reg_switches "$verb")
    elif [ "$verb" = import ]; then
      mapfile -t COMPREPLY < <(compgen -f -- "$current")
      return
    else
      words=$_zarnutils_roots
    fi
  elif [ "${COMP_WORDS[first]}" = ini ]; then
    if [ "$COMP_CWORD" -eq $((first + 1)) ]; then
      words='get set del list'
    else
      mapfile -t COMPREPLY < <(compgen -f -- "$current")
      return
    fi
  elif [[ ${COMP_WORDS[first]} == [Rr]egedit.* ]] && [ "$COMP_CWORD" -eq $((first + 1)) ]; then
    words=$_zarnutils_roots
  else
    return
  fi
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$current")
}
complete -F _zarnutils zarnutils
