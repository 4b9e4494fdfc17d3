#!/usr/bin/env bash
# scripts/check-layers.sh passes on the tree, and names the file and line of an include that goes
# up a layer (text into the core, the core into the objects handed to add-ins) or of a toolkit
# header outside the front ends, in a planted tree.
set -euo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"

bash "$check"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/ide/text" "$tree/ide/core" "$tree/ide/ota" "$tree/runtime"
printf '#include "ide/text/Document.h"\n#include "ide/core/EditView.h"\n' >"$tree/ide/text/Up.cpp"
printf '// the core\n#include "ide/ota/ObjectPool.h"\n' >"$tree/ide/core/Up.h"
printf '#include "ide/core/EditView.h"\n#include "runtime/Forms.h"\n' >"$tree/ide/ota/Down.cpp"
printf '#include <QString>\n' >"$tree/runtime/Gui.cpp"
if out=$(bash "$check" "$tree"); then
  echo "FAIL: the planted tree passed"
  exit 1
fi
expected='ide/core/Up.h:2: includes "ide/ota/ObjectPool.h": ide/core may not use ide/ota
ide/text/Up.cpp:2: includes "ide/core/EditView.h": ide/text may not use ide/core
runtime/Gui.cpp:1: #include <QString>: only front ends may use a GUI toolkit'
if [ "$out" != "$expected" ]; then
  printf 'FAIL: expected\n%s\ngot\n%s\n' "$expected" "$out"
  exit 1
fi
echo "ok"
