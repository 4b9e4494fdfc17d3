#!/usr/bin/env bash
# Checks that the product code includes only downwards, by the layer order of README's layout:
#
#   api -> runtime -> trace -> ide/text -> ide/core -> ide/ota -> ide/app -> front ends
#   (ide/headless, ide/qt, ide/geany); addin/ and the example add-in use api, runtime and trace;
#   viewer/ uses trace and runtime, its window (viewer/window) the viewer, and the Qt window may
#   embed that window; zeb-trace's program (viewer/main.cpp) starts the window for --window.
#
# Every `#include "..."` of every .h, .c and .cpp file under the layers' folders is looked up in
# the table below; so is every include of a GUI toolkit's headers (Qt, GTK, Geany), which only
# front ends may use. Needs no build.
#
#   scripts/check-layers.sh [ROOT]     ROOT: the source tree (by default this script's project)
#
# Prints each include that goes against the order as FILE:LINE: and the reason, and exits 1 if
# there is one, 0 otherwise.
set -euo pipefail

root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"

# layer: the layers its files may include, itself included. The longest folder that a path starts
# with names its layer.
read -r -d '' table <<'EOF' || true
api           api
runtime       api runtime
trace         api runtime trace
ide/text      api runtime trace ide/text
ide/core      api runtime trace ide/text ide/core
ide/ota       api runtime trace ide/text ide/core ide/ota
ide/app       api runtime trace ide/text ide/core ide/ota ide/app
ide/headless  api runtime trace ide/text ide/core ide/ota ide/app ide/headless
ide/qt        api runtime trace ide/text ide/core ide/ota ide/app ide/qt viewer viewer/window
ide/geany     api runtime trace ide/text ide/core ide/ota ide/app ide/geany
addin         api runtime trace addin
examples/addin-hello api runtime trace examples/addin-hello
viewer        runtime trace viewer
viewer/window runtime trace viewer viewer/window
viewer/main.cpp runtime trace viewer viewer/window
EOF
# The layers that may use a GUI toolkit.
toolkit_layers="ide/qt ide/geany viewer/window"

layers=()
while read -r layer _; do layers+=("$layer"); done <<<"$table"

files=()
for layer in "${layers[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r -d '' f; do files+=("$f"); done < <(
    find "$layer" \( -name '*.h' -o -name '*.c' -o -name '*.cpp' \) -print0)
done
[ ${#files[@]} -gt 0 ] || { echo "check-layers: no source files under $root" >&2; exit 2; }

status=0
printf '%s\n' "${files[@]}" | sort -u | xargs awk -v table="$table" -v toolkit="$toolkit_layers" '
  function layer_of(path,    best, l) {
    best = ""
    for (l in allowed)
      if ((path == l || index(path, l "/") == 1) && length(l) > length(best)) best = l
    return best
  }
  BEGIN {
    n = split(table, rows, "\n")
    for (i = 1; i <= n; i++) {
      m = split(rows[i], words, /[ \t]+/)
      if (m < 2) continue
      allowed[words[1]] = " "
      for (j = 2; j <= m; j++) allowed[words[1]] = allowed[words[1]] words[j] " "
    }
    split(toolkit, t, " ")
    for (i in t) gui[t[i]] = 1
    bad = 0
  }
  FNR == 1 { from = layer_of(FILENAME) }
  /^[ \t]*#[ \t]*include[ \t]*"/ {
    inc = $0
    sub(/^[^"]*"/, "", inc)
    sub(/".*$/, "", inc)
    to = layer_of(inc)
    if (to == "") {
      printf "%s:%d: includes \"%s\", which is in no layer\n", FILENAME, FNR, inc
      bad = 1
    } else if (index(allowed[from], " " to " ") == 0) {
      printf "%s:%d: includes \"%s\": %s may not use %s\n", FILENAME, FNR, inc, from, to
      bad = 1
    }
  }
  /^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z]*|Qsci\/|gtk\/|gdk\/|geany|plugindata|Scintilla)/ {
    if (!(from in gui)) {
      printf "%s:%d: %s: only front ends may use a GUI toolkit\n", FILENAME, FNR, $0
      bad = 1
    }
  }
  END { exit bad }
' || status=1
exit $status
