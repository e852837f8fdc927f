#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own, reaches into
# the native platform's internals from outside them, when src/ holds a
# program, or when a public header depends on anything but the public headers.
#
#   check-layers.sh SOURCE_ROOT
#
# Layers, from the bottom: zarnutils/ (the public headers in include/, which
# a program using the library sees and nothing else) -> automation/ ->
# platform/ (seams; native/ and win32/ below them) -> ini/ -> registry/ ->
# component/ (com/: the COM shell) -> tools/; registry_api/ (the typed
# registry API) and ini_api/ (the INI API) stand on the platform's seams
# alone, and registry_object/ (the scripts' registry class) on the typed
# API's public header and the seams. Only the seam headers directly in platform/ are visible above the
# platform layer; the COM shell, the caller's COM code and the type library
# generator (tools/typelib/, a build tool over the COM shell) may also use
# platform/win32/, the one place that knows the platform's VARIANT. The reg
# and ini verbs are programs on the public API: they see zarnutils/ and the
# CLI's headers that see nothing more themselves. The benchmarks' floors
# work on the native store's own schema.
set -euo pipefail
root=$1
cd "$root"

seams='platform/[a-z_]+\.h'
allowed_for() {
  case "$1" in
    include/zarnutils/*) echo 'zarnutils/' ;;
    src/automation/*) echo 'zarnutils/|automation/' ;;
    src/platform/native/*) echo "zarnutils/|automation/|$seams|platform/native/" ;;
    src/platform/win32/*) echo "zarnutils/|automation/|$seams|platform/win32/" ;;
    src/platform/*) echo "zarnutils/|automation/|$seams" ;;
    src/ini/*) echo "zarnutils/|automation/|$seams|ini/" ;;
    src/registry/*) echo "zarnutils/|automation/|$seams|ini/|registry/" ;;
    src/registry_api/*) echo "zarnutils/|automation/|$seams|registry_api/" ;;
    src/ini_api/*) echo "zarnutils/|automation/|$seams|ini_api/" ;;
    src/registry_object/*) echo "zarnutils/|automation/|$seams" ;;
    src/component/com/*) echo "zarnutils/|automation/|$seams|platform/win32/|ini/|registry/|component/" ;;
    src/component/*) echo "zarnutils/|automation/|$seams|ini/|registry/|component/[a-z_]+\.h" ;;
    tools/zarnutils/reg/* | tools/zarnutils/ini/*) echo 'zarnutils/' ;;
    tools/zarnutils/com/* | tools/typelib/*) echo "zarnutils/|automation/|$seams|platform/win32/|component/" ;;
    tools/*) echo "zarnutils/|automation/|$seams|component/[a-z_]+\.h" ;;
    bench/*floor*) echo "zarnutils/|automation/|$seams|platform/native/" ;;
    bench/*) echo "zarnutils/|automation/|$seams|ini/|registry/|component/[a-z_]+\.h" ;;
    tests/platform/native/* | tests/support/native_*) echo "zarnutils/|automation/|platform/|support/" ;;
    tests/*) echo "zarnutils/|automation/|$seams|platform/win32/|ini/|registry/|component/|support/|tools/" ;;
  esac
}

# A header of tools/zarnutils/ that includes, itself and through the CLI's
# headers it includes, only the standard library and zarnutils/.
public_only_cli_header() {
  local path="tools/zarnutils/$1" included
  [ -e "$path" ] || return 1
  while IFS= read -r included; do
    [[ "$included" == zarnutils/* ]] && continue
    public_only_cli_header "$included" || return 1
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$path")
}

failures=0
while IFS= read -r file; do
  allowed=$(allowed_for "$file")
  [ -n "$allowed" ] || continue
  while IFS= read -r header; do
    # A header beside the file, or of the caller's own folder, is local.
    [ -e "$(dirname "$file")/$header" ] && continue
    case "$file" in
      tools/zarnutils/reg/* | tools/zarnutils/ini/*) public_only_cli_header "$header" && continue ;;
      tools/zarnutils/* | tests/tools/* | tests/fault/*) [ -e "tools/zarnutils/$header" ] && continue ;;
    esac
    if ! [[ "$header" =~ ^($allowed)[a-z_/]*(\.h)?$ ]] || [[ "$header" != *.h ]]; then
      echo "$file includes \"$header\", which its layer may not use"
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find include src tools bench tests -name '*.h' -o -name '*.cpp' | sort)

# src/ holds the layers and the DLL; a program, the build's own tools
# included, lives in tools/.
while IFS= read -r line; do
  echo "$line: a program's main belongs in tools/, not in src/"
  failures=$((failures + 1))
done < <(grep -HnE '^int (w?main|WinMain)\(' -r src || true)

# include/ is what gets installed: public headers, nothing else, and none
# of them reaching for a header that is not installed with them.
while IFS= read -r line; do
  echo "$line: a public header may include only the standard library's headers and its own"
  failures=$((failures + 1))
done < <(grep -Hn '^#include <[^>]*/' -r include || true)
while IFS= read -r file; do
  echo "$file is in include/ but is not a header"
  failures=$((failures + 1))
done < <(find include -type f ! -name '*.h' | sort)

if [ "$failures" -gt 0 ]; then
  echo "$failures break(s) of the layering"
  exit 1
fi
echo "layering: every include points to its own layer or one below; src/ holds no program; include/ holds public headers only"
