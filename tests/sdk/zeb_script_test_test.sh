#!/usr/bin/env bash
# zeb-script-test as an add-in's author runs it by hand: --host, --package, --script and
# --expected relative to the current folder, and a TMPDIR whose name holds a '|'. The expected
# output is what zeb-host prints when run directly, its work folder written <DIR>.
# Then --host-env, --strict and a zeb-host that crashes.
# Usage: zeb_script_test_test.sh ZEB_SCRIPT_TEST ZEB_HOST ADDIN ZEB_TRACE
set -euo pipefail
tool=$1
host=$2
addin=$3
viewer=$4
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

# --host-env reaches zeb-host alone: a wrapper that refuses to run without it.
cat >"$top/wrapper" <<WRAPPER
#!/usr/bin/env bash
[ "\${ZEB_HOST_ONLY:-}" = yes ] || { echo "ZEB_HOST_ONLY is not set" >&2; exit 9; }
exec "$host" "\$@"
WRAPPER
chmod +x "$top/wrapper"
"$tool" --host "$top/wrapper" --package "$addin" --script test/sample.zs \
  --expected test/sample.out --strict --host-env ZEB_HOST_ONLY=yes -- Sample.pas
if "$tool" --host "$top/wrapper" --package "$addin" --script test/sample.zs \
  --expected test/sample.out -- Sample.pas 2>/dev/null; then
  echo "FAIL: the wrapper ran without its variable" >&2
  exit 1
fi

# A zeb-host that dies of a signal fails the test, which names the signal and waits for no
# traces.
printf '#!/bin/sh\necho "before the crash"\nkill -SEGV $$\n' >"$top/crash"
chmod +x "$top/crash"
status=0
"$tool" --host "$top/crash" --package "$addin" --script test/sample.zs \
  --expected test/sample.out --viewer "$viewer" --traces test/sample.out -- Sample.pas \
  2>"$top/crash.err" || status=$?
[ "$status" -eq 1 ] || { echo "FAIL: a crash gave status $status" >&2; exit 1; }
grep -q '^zeb-host was killed by signal SIGSEGV (11)' "$top/crash.err" || {
  echo "FAIL: the signal was not named:" >&2
  cat "$top/crash.err" >&2
  exit 1
}
grep -q '^before the crash$' "$top/crash.err" || { echo "FAIL: its output was not shown" >&2; exit 1; }
echo "zeb_script_test_test: all cases passed"
