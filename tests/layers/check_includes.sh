#!/usr/bin/env bash
# Every quoted include of src/<layer>/ must name that layer or a layer it may
# see: the table is read from the mandrelix_layer() calls of CMakeLists.txt.
set -euo pipefail
top=${1:-.}
declare -A allowed
while read -r layer rest; do
  allowed[$layer]="$layer $rest"
done < <(sed -n 's/^mandrelix_layer(\([^)]*\))/\1/p' "$top/CMakeLists.txt")

status=0
for dir in "$top"/src/*/; do
  layer=$(basename "$dir")
  [ -n "${allowed[$layer]:-}" ] || { echo "src/$layer is not a layer of CMakeLists.txt"; status=1; continue; }
  while IFS=: read -r file line text; do
    target=$(sed -n 's/.*#include "\([a-z_]*\)\/.*/\1/p' <<<"$text")
    [ -n "$target" ] || continue
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *) echo "${file#"$top"/}:$line: the $layer layer may not include $target/"; status=1 ;;
    esac
  done < <(grep -n '#include "' "$dir"*.h "$dir"*.cpp 2>/dev/null | sed 's/^\([^:]*\):\([0-9]*\):/\1:\2:/')
done
[ $status -eq 0 ] && echo "every include follows the layers"
exit $status
