#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it, so
# that formatting what you touched never reflows lines someone else wrote.
#
#   check-format.sh SOURCE_ROOT
set -euo pipefail
cd "$1"
mapfile -t sources < <(find include src tools bench tests -name '*.h' -o -name '*.cpp' | sort)
unformatted=()
for file in "${sources[@]}"; do
  clang-format --style=file "$file" | cmp -s - "$file" || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf '%s differs from clang-format\n' "${unformatted[@]}"
  echo "format them with: clang-format -i ${unformatted[*]}"
  exit 1
fi
echo "formatting: ${#sources[@]} C++ files as clang-format writes them"
