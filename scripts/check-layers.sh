#!/usr/bin/env bash
# Fails when a source file includes across the layers:
#   platform/objdb   no Qt, no toolkit, no package code;
#   platform/toolkit no object database, no package code;
#   binding/         no control folder, no entry unit, no Qt;
#   package folders  and the entry unit no Qt (they reach Qt only through the toolkit).
# Usage: scripts/check-layers.sh [repository root]
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

qt='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*|q[a-z]+\.h)>'
package='^[[:space:]]*#[[:space:]]*include[[:space:]]*"(binding|controls|lists|vectors|pickers|documents)/|^[[:space:]]*#[[:space:]]*include[[:space:]]*"QelObjCntrl\.h"'
controls='^[[:space:]]*#[[:space:]]*include[[:space:]]*"(controls|lists|vectors|pickers|documents)/|^[[:space:]]*#[[:space:]]*include[[:space:]]*"QelObjCntrl\.h"'

failed=0
check() { # folder(s) pattern what
  local pattern=$1 what=$2; shift 2
  local hits
  hits=$(grep -rnE --include='*.h' --include='*.cpp' --include='*.in' "$pattern" "$@" 2>/dev/null)
  if [[ -n "$hits" ]]; then
    echo "layers: $what"
    echo "$hits"
    failed=1
  fi
}

check "$qt" "the object database includes Qt" platform/objdb
check '"(toolkit)/' "the object database includes the toolkit" platform/objdb
check "$package" "the object database includes package code" platform/objdb
check '"objdb/' "the toolkit includes the object database" platform/toolkit
check "$package" "the toolkit includes package code" platform/toolkit
check "$controls" "the binding framework includes a control unit or the entry unit" binding
pkg=(binding QelObjCntrl.h QelObjCntrl.cpp)
for d in controls lists vectors pickers documents; do [[ -d $d ]] && pkg+=("$d"); done
check "$qt" "package code includes Qt (go through the toolkit)" "${pkg[@]}"
check '"toolkit/(qtbridge|designhost|gridview|gridwidget|gridmodel|stdwidgets|minihtmlrender|mirroredstrings|richtext)\.h"' \
  "package code includes a toolkit header that exposes Qt" "${pkg[@]}"

if [[ $failed -eq 0 ]]; then
  echo "layers: 1 passed, 0 failed"
else
  echo "layers: 0 passed, 1 failed"
fi
exit $failed
