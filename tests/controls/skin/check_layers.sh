#!/usr/bin/env bash
# Keeps the owner-drawn library layered: a unit in one of its sub-folders may include units of
# its own folder and of the folders below it (engine < controls < form < menus), never one
# above; nothing below includes the registration at the library's top.
# Usage: check_layers.sh [library folder]; prints each offending line and fails on any.
set -euo pipefail
lib="${1:-$(cd "$(dirname "$0")/../../../controls/skin" && pwd)}"
layers=(engine controls form menus)
failed=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  dir="$lib/${layers[i]}"
  [ -d "$dir" ] || { echo "missing layer folder: $dir"; failed=1; continue; }
  # Folders a unit here must not name: every layer above, and the library's top.
  above=()
  for ((j = i + 1; j < ${#layers[@]}; j++)); do above+=("${layers[j]}"); done
  pattern='#[[:space:]]*include[[:space:]]*"(controls/skin/|\.\./)('
  pattern+="$(IFS='|'; echo "${above[*]:-@none@}")"
  pattern+=')/|#[[:space:]]*include[[:space:]]*"(controls/skin/|\.\./)[A-Za-z]+\.h"'
  if hits=$(grep -EnH "$pattern" "$dir"/*.h "$dir"/*.cpp); then
    echo "$hits" | sed "s|^$lib/||; s|\$|   <- ${layers[i]} includes a higher layer|"
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "layer check failed"
  exit 1
fi
echo "layer check passed: ${layers[*]}"
