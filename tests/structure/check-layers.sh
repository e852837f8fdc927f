#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own, or reaches
# into the native platform's internals from outside them.
#
#   check-layers.sh SOURCE_ROOT
#
# Layers, from the bottom: automation/ -> platform/ (seams; native/ and
# win32/ below them) -> ini/ -> registry/ -> component/ (com/: the COM
# shell) -> tools/. Only the seam headers directly in platform/ are visible
# above the platform layer; the COM shell and the caller's COM code may also
# use platform/win32/, the one place that knows the platform's VARIANT.
set -euo pipefail
root=$1
cd "$root"

seams='platform/[a-z_]+\.h'
allowed_for() {
  case "$1" in
    src/automation/*) echo 'automation/' ;;
    src/platform/native/*) echo "automation/|$seams|platform/native/" ;;
    src/platform/win32/*) echo "automation/|$seams|platform/win32/" ;;
    src/platform/*) echo "automation/|$seams" ;;
    src/ini/*) echo "automation/|$seams|ini/" ;;
    src/registry/*) echo "automation/|$seams|ini/|registry/" ;;
    src/component/com/*) echo "automation/|$seams|platform/win32/|ini/|registry/|component/" ;;
    src/component/*) echo "automation/|$seams|ini/|registry/|component/[a-z_]+\.h" ;;
    tools/zarnutils/com/*) echo "automation/|$seams|platform/win32/|component/" ;;
    tools/*) echo "automation/|$seams|component/[a-z_]+\.h" ;;
    bench/*) echo "automation/|$seams|ini/|registry/|component/[a-z_]+\.h" ;;
    tests/platform/native/*) echo "automation/|platform/|support/" ;;
    tests/*) echo "automation/|$seams|platform/win32/|ini/|registry/|component/|support/|tools/" ;;
  esac
}

failures=0
while IFS= read -r file; do
  allowed=$(allowed_for "$file")
  [ -n "$allowed" ] || continue
  while IFS= read -r header; do
    # A header beside the file, or of the caller's own folder, is local.
    [ -e "$(dirname "$file")/$header" ] && continue
    case "$file" in tools/zarnutils/* | tests/tools/*) [ -e "tools/zarnutils/$header" ] && continue ;; esac
    if ! [[ "$header" =~ ^($allowed)[a-z_/]*(\.h)?$ ]] || [[ "$header" != *.h ]]; then
      echo "$file includes \"$header\", which its layer may not use"
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find src tools bench tests -name '*.h' -o -name '*.cpp' | sort)

if [ "$failures" -gt 0 ]; then
  echo "$failures include(s) break the layering"
  exit 1
fi
echo "layering: every include points to its own layer or one below"
