# Bash completion for zarnutils: options, CLASS.METHOD names and the reg and
# ini verbs (asked of the program's own --help, so that they follow the
# classes and the verb tables), reg's switches (asked of each verb's usage),
# registry key paths (asked of the program's own reg query, so they come from
# the store that ZARNUTILS_REGISTRY_DIR names, as every call's do), the
# sections and entries of the INI file named, and file names where a verb
# takes a file (reg import's and apply's, export's, --undo's and --patch's).

# HKEY_DYN_DATA is left out: current Windows has no such root.
_zarnutils_roots='HKLM HKCU HKU HKCC HKCR HKEY_LOCAL_MACHINE HKEY_CURRENT_USER
HKEY_USERS HKEY_CURRENT_CONFIG HKEY_CLASSES_ROOT'

# The administrative verbs of --help's usage lines ("zarnutils [-q] [--json]
# reg query|add|...", a verb's on more than one line when they are many), or
# with a verb's name its own verbs.
_zarnutils_verbs() {
  local usage='^  zarnutils \[-q\] \[--json\] '
  if [ $# -eq 0 ]; then
    "$zarnutils_program" --help 2>/dev/null | sed -n "s/$usage\([a-z]*\) .*/\1/p" | awk '!seen[$0]++'
  else
    "$zarnutils_program" --help 2>/dev/null | sed -n "s/$usage$1 \([a-z|]*\).*/\1/p" | tr '|' ' '
  fi
}

# A reg verb's switches in the order its usage lines name them, then the
# registry view's, which the overview names for every verb.
_zarnutils_reg_switches() {
  {
    "$zarnutils_program" reg "$1" /? 2>/dev/null | grep '^REG '
    "$zarnutils_program" reg /? 2>/dev/null | grep -o '/reg:[0-9]*'
  } | tr -d '\r' | grep -oE '(/|--)[a-z0-9:]+' | awk '!seen[$0]++'
}

# A word as typed, without an opening quote and with ~ expanded, so that it
# can be handed to the program.
_zarnutils_unquoted() {
  local word=${1#[\'\"]}
  word=${word%[\'\"]}
  printf '%s' "${word/#\~/$HOME}"
}

# Prints each line of standard input that starts with $1, one a line.
_zarnutils_starting_with() {
  local line
  while IFS= read -r line; do
    [[ $line == "$1"* ]] && printf '%s\n' "$line"
  done
}

# Root names, or the subkeys of the key before the typed path's last
# backslash, spelled as typed.
_zarnutils_key_paths() {
  local typed
  typed=$(_zarnutils_unquoted "$1")
  if [[ $typed != *\\* ]]; then
    compgen -W "$_zarnutils_roots" -- "$typed"
    return
  fi
  local parent=${typed%\\*} line
  # reg query names the key and its subkeys in full; a subkey's name has
  # one backslash more than its parent's.
  local depth=${parent//[^\\]/}\\
  "$zarnutils_program" reg query "$parent" 2>/dev/null | tr -d '\r' | while IFS= read -r line; do
    local slashes=${line//[^\\]/}
    [[ $line == HKEY_* && ${#slashes} -eq ${#depth} ]] && printf '%s\n' "$parent\\${line##*\\}"
  done | _zarnutils_starting_with "$typed"
}

# The section names of an INI file, or the entry names of one section.
_zarnutils_ini_names() {
  local typed=$1 file section
  file=$(_zarnutils_unquoted "$2")
  if [ $# -eq 2 ]; then
    "$zarnutils_program" ini list "$file" 2>/dev/null | tr -d '\r' | _zarnutils_starting_with "$typed"
    return
  fi
  section=$(_zarnutils_unquoted "$3")
  "$zarnutils_program" ini list "$file" "$section" 2>/dev/null | tr -d '\r' | sed 's/=.*//' |
    _zarnutils_starting_with "$typed"
}

_zarnutils() {
  local current=${COMP_WORDS[COMP_CWORD]}
  local previous=${COMP_WORDS[COMP_CWORD-1]}
  local zarnutils_program=${COMP_WORDS[0]}
  local first=1
  while [ "$first" -lt "$COMP_CWORD" ] && [[ ${COMP_WORDS[first]} == -* ]]; do
    first=$((first + 1))
  done
  local words
  if [ "$COMP_CWORD" -eq "$first" ]; then
    words="--json --raw --batch --com --early --quiet -q --help --version -V $(_zarnutils_verbs)
$("$zarnutils_program" --help 2>/dev/null | sed -n 's/^  \([A-Za-z]*\.[A-Za-z]*\) .*/\1/p')"
  elif [ "${COMP_WORDS[first]}" = reg ]; then
    local verb=${COMP_WORDS[first+1]}
    local position=$((COMP_CWORD - first - 1))
    if [ "$position" -eq 0 ]; then
      words=$(_zarnutils_verbs reg)
    elif [ "$previous" = /t ]; then
      words='REG_SZ REG_EXPAND_SZ REG_MULTI_SZ REG_BINARY REG_DWORD REG_DWORD_LITTLE_ENDIAN
REG_DWORD_BIG_ENDIAN REG_QWORD REG_NONE'
    elif [[ ($verb == import || $verb == apply) && $position -eq 1 ]] ||
      [[ $verb == export && $position -eq 2 ]] || [[ $previous == --undo || $previous == --patch ]]; then
      # A Unix path starts like a switch.
      mapfile -t COMPREPLY < <(compgen -f -- "$current"
        compgen -W "$(_zarnutils_reg_switches "$verb")" -- "$current")
      return
    elif [[ $current == [/-]* ]]; then
      words=$(_zarnutils_reg_switches "$verb")
    elif [ "$position" -le 2 ] && [[ $previous != /* ]]; then
      mapfile -t COMPREPLY < <(_zarnutils_key_paths "$current")
      compopt -o nospace 2>/dev/null
      return
    else
      return
    fi
  elif [ "${COMP_WORDS[first]}" = ini ]; then
    # The words after the verb that are not options: FILE SECTION KEY.
    local names=() at
    for ((at = first + 2; at < COMP_CWORD; at++)); do
      case ${COMP_WORDS[at]} in
        --default | --type) at=$((at + 1)) ;;
        -?*) ;;
        *) names+=("${COMP_WORDS[at]}") ;;
      esac
    done
    if [ "$COMP_CWORD" -eq $((first + 1)) ]; then
      words=$(_zarnutils_verbs ini)
    elif [ "$previous" = --type ]; then
      words='int bool'
    elif [ "$previous" = --default ]; then
      return
    elif [[ $current == -* ]]; then
      case ${COMP_WORDS[first+1]} in
        get) words='--default --type --all' ;;
        set | apply) words='--check --diff --detailed-exitcodes' ;;
        list) words='--format=sh --format=lines' ;;
        *) return ;;
      esac
    elif [ ${#names[@]} -eq 0 ] || [[ ${COMP_WORDS[first+1]} == apply ]]; then
      mapfile -t COMPREPLY < <(compgen -f -- "$current")
      return
    elif [ ${#names[@]} -le 2 ] && [ "${COMP_WORDS[first+1]}" != list ] || [ ${#names[@]} -eq 1 ]; then
      mapfile -t COMPREPLY < <(_zarnutils_ini_names "$current" "${names[@]}")
      return
    elif [[ ${COMP_WORDS[first+1]} == set ]] && [ $((${#names[@]} % 2)) -eq 0 ]; then
      # The next KEY of set's KEY VALUE pairs.
      mapfile -t COMPREPLY < <(_zarnutils_ini_names "$current" "${names[@]:0:2}")
      return
    else
      return
    fi
  elif [[ ${COMP_WORDS[first]} == [Rr]egedit.* ]] && [ "$COMP_CWORD" -eq $((first + 1)) ]; then
    mapfile -t COMPREPLY < <(_zarnutils_key_paths "$current")
    compopt -o nospace 2>/dev/null
    return
  else
    return
  fi
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$current")
}
complete -F _zarnutils zarnutils
