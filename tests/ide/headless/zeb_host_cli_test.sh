#!/usr/bin/env bash
# zeb-host as the shell runs it: output that cannot be written (/dev/full), scripts that are no
# regular file or whose line has no end (/dev/zero), and a companion that cannot be read.
# Usage: zeb_host_cli_test.sh PATH/TO/zeb-host PATH/TO/ADDIN
set -uo pipefail
host=$1
addin=$2
dir=$(mktemp -d)
trap 'chmod -R u+rwx "$dir"; rm -rf "$dir"' EXIT
cd "$dir"
export XDG_DATA_HOME=$dir/data XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

# expect STATUS STDERR SCRIPT ARGS...: runs zeb-host ARGS with SCRIPT on standard input
# (redirections in ARGS are the shell's), and checks its status and whole standard error.
expect() {
  local want_status=$1 want_err=$2 script=$3 status=0
  shift 3
  printf '%s' "$script" | timeout 30 "$host" "$@" 2>"$dir/err" || status=$?
  [ "$status" -eq "$want_status" ] || fail "zeb-host $* exited with $status, not $want_status"
  [ "$(cat "$dir/err")" = "$want_err" ] || fail "zeb-host $*: stderr was: $(head -c 300 "$dir/err")"
}

printf 'abc\n' >a.txt
full="zeb-host: cannot write standard output: No space left on device"

# Every kind of output, written to a full disk: one line on stderr and status 1.
while IFS='|' read -r script args; do
  # shellcheck disable=SC2086
  expect 1 "$full" "$(printf "$script")" $args a.txt >/dev/full
done <<ROWS
print\n|--no-package
echo hello\n|--no-package
key Tab\n|--no-package
key Ctrl+Alt+U\n|--package $addin
|--package $addin --packages
|--help
|--version
ROWS
expect 0 "" $'print\n' --no-package a.txt >/dev/null

# A script must be a regular file or standard input, and a line of it ends within 64 MiB.
mkfifo fifo
expect 2 "zeb-host: cannot read script /dev/zero: not a regular file" "" --no-package \
  --script /dev/zero a.txt
expect 2 "zeb-host: cannot read script fifo: not a regular file" "" --no-package --script fifo
status=0
timeout 30 "$host" --no-package a.txt </dev/zero >/dev/null 2>"$dir/err" || status=$?
[ "$status" -eq 2 ] || fail "zeb-host </dev/zero exited with $status, not 2"
[ "$(cat "$dir/err")" = "zeb-host: <stdin>:1: the line is longer than 64 MiB, the most a script \
line may hold" ] || fail "zeb-host </dev/zero: stderr was: $(head -c 300 "$dir/err")"

# A companion that cannot be read: left out and reported; its source opens. Root reads files
# without permission, so for root the companion is a link to zeb-host's own memory, which no
# read can start at.
printf 'unit Unit;\n' >Unit.pas
if [ "$(id -u)" -ne 0 ]; then
  printf 'object Form1: TForm1\nend\n' >Unit.dfm
  chmod 000 Unit.dfm
  reason="cannot open $dir/Unit.dfm: Permission denied"
else
  ln -s /proc/self/mem Unit.dfm
  reason="cannot read $dir/Unit.dfm: Input/output error"
fi
status=0
printf 'print\n' | "$host" --no-package Unit.pas >"$dir/out" 2>"$dir/err" || status=$?
[ "$status" -eq 0 ] || fail "Unit.pas with an unreadable Unit.dfm: status $status"
[ "$(cat "$dir/out")" = "unit Unit;" ] || fail "Unit.pas printed: $(head -c 300 "$dir/out")"
[ "$(cat "$dir/err")" = "zeb-host: $reason; Unit.pas opens without it" ] ||
  fail "Unit.pas with an unreadable Unit.dfm: stderr was: $(head -c 300 "$dir/err")"

exit "$failed"
