#!/usr/bin/env bash
# zeb-script-test as an add-in's author runs it by hand: --host, --package, --script and
# --expected relative to the current folder, and a TMPDIR whose name holds a '|'. The expected
# output is what zeb-host prints when run directly, its work folder written <DIR>.
# Usage: zeb_script_test_test.sh ZEB_SCRIPT_TEST ZEB_HOST ADDIN
set -euo pipefail
tool=$1
host=$2
addin=$3
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
mkdir -p "$top/tmp|dir" "$top/case/test" "$top/ref"
printf 'unit Sample;\n\ninterface\n\nend.\n' >"$top/case/Sample.pas"
printf 'open Sample.pas\nselect 1 1 2 1\nkey Tab\nkey Ctrl+Alt+U\nprint\n' \
  >"$top/case/test/sample.zs"

# The direct run, with the folders zeb-script-test gives the script.
ref=$top/ref
mkdir -m 700 "$ref/.run" "$ref/.data" "$ref/.config"
cp "$top/case/Sample.pas" "$ref/"
(cd "$ref" && XDG_RUNTIME_DIR="$ref/.run" XDG_DATA_HOME="$ref/.data" \
  XDG_CONFIG_HOME="$ref/.config" "$host" --package "$addin" --script "$top/case/test/sample.zs" \
  </dev/null) | ZEB_WORK=$ref perl -pe 'BEGIN { $work = $ENV{ZEB_WORK} } s/\Q$work\E/<DIR>/g' \
  >"$top/case/test/sample.out"
grep -q '^CurrentModule.Editor.FileName : <DIR>/Sample.pas$' "$top/case/test/sample.out" || {
  echo "FAIL: the direct run printed no file name in its work folder" >&2
  exit 1
}

cd "$top/case"
TMPDIR="$top/tmp|dir" "$tool" --host "$(realpath --relative-to=. "$host")" \
  --package "$(realpath --relative-to=. "$addin")" --script test/sample.zs \
  --expected test/sample.out -- Sample.pas
