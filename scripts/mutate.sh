#!/usr/bin/env bash
# The mutation check: plants each fault of the table scripts/mutants.txt, one at a time, in a copy
# of the tree, rebuilds that copy incrementally and runs the fast tests that link the changed
# code. A fault the tests catch is killed; one they miss survived. Below the kill bar (90%) the
# check fails, and so it does when a mutant's text is no longer found once in its file (the
# table is stale and must be brought up to date with the code) or a mutant does not build.
#
#   scripts/mutate.sh [--check] [--list] [ID...]
#
#   --check   only check that every mutant of the table applies to this tree (no build)
#   --list    list the mutants
#   ID...     run only these mutants (the bar still applies to them)
#
# Environment: MUTATE_TABLE, another table (scripts/mutants.txt); MUTATE_DIR, where the copy and its build live (build/mutate); MUTATE_JOBS, the
# build's and the tests' parallelism (nproc); MUTATE_TIMEOUT, the seconds a test without its own
# timeout may take before it counts as failed (60: a fault that makes a call wait for ever is
# killed by the timeout).
#
# The copy is one lean Debug build without optimisation or debug information (no benchmarks; the
# windows and the Geany bridge only when a mutant to run is in them), kept between runs. The fast
# tests are all but those labelled wine, fpc, soak, qt and geany; a mutant in ide/qt/ or
# viewer/window/ adds those labelled qt (offscreen), one in the bridge those labelled geany. Of
# those, a mutant runs the tests whose programs (or the programs they are given) are built from
# the mutated file, found in the build's own dependency graph.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
table=${MUTATE_TABLE:-"$root/scripts/mutants.txt"}
bar=90
jobs=${MUTATE_JOBS:-$(nproc)}
timeout=${MUTATE_TIMEOUT:-60}
skipLabels='wine|fpc|soak|qt|geany'

mode=run
wanted=()
for arg in "$@"; do
  case "$arg" in
    --check) mode=check ;;
    --list) mode=list ;;
    -h | --help)
      sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
      exit 0
      ;;
    -*)
      echo "mutate.sh: unknown option $arg (see --help)" >&2
      exit 2
      ;;
    *) wanted+=("$arg") ;;
  esac
done

# ---- The table ---------------------------------------------------------------------------------
# A mutant starts with "mutant ID FILE"; its indented lines are "what:", "from:" and "to:" (each
# line of a text that spans lines is a "from:" or "to:" line of its own, joined by newlines).
ids=() files=() whats=() froms=() tos=() onlys=() geanys=() qts=()
parse() {
  local line key value n=-1
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
      '' | '#'*) continue ;;
      'mutant '*)
        n=$((n + 1))
        read -r _ ids[n] files[n] <<<"$line"
        whats[n]='' froms[n]='' tos[n]='' onlys[n]='' geanys[n]='' qts[n]=''
        # A fault in the Geany bridge runs the bridge's tests, one in a window the window's.
        case "${files[n]}" in
          ide/geany/*) geanys[n]=1 ;;
          ide/qt/* | viewer/window/*) qts[n]=1 ;;
        esac
        ;;
      ' '*)
        [ "$n" -ge 0 ] || { echo "$table: a text before the first mutant: $line" >&2; exit 2; }
        line=${line#"${line%%[! ]*}"}
        key=${line%%:*}
        value=${line#*:}
        value=${value# }
        case "$key" in
          what) whats[n]=$value ;;
          from) froms[n]+=${froms[n]:+$'\n'}$value ;;
          to) tos[n]+=${tos[n]:+$'\n'}$value ;;
          tests) onlys[n]=$value ;;
          geany) geanys[n]=1 ;;
          *) echo "$table: unknown field '$key' in mutant ${ids[n]}" >&2; exit 2 ;;
        esac
        ;;
      *) echo "$table: cannot read: $line" >&2; exit 2 ;;
    esac
  done <"$table"
  local i
  for i in "${!ids[@]}"; do
    if [ -z "${froms[i]}" ] || [ -z "${whats[i]}" ]; then
      echo "$table: mutant ${ids[i]} needs what: and from:" >&2
      exit 2
    fi
  done
}
parse

# The mutants to run, by index.
selected=()
if [ ${#wanted[@]} -eq 0 ]; then
  selected=("${!ids[@]}")
else
  for id in "${wanted[@]}"; do
    found=
    for i in "${!ids[@]}"; do
      if [ "${ids[i]}" = "$id" ]; then
        selected+=("$i")
        found=1
      fi
    done
    [ -n "$found" ] || { echo "mutate.sh: no mutant $id in the table" >&2; exit 2; }
  done
fi

if [ "$mode" = list ]; then
  for i in "${selected[@]}"; do
    printf '%-34s %-40s %s\n' "${ids[i]}" "${files[i]}" "${whats[i]}"
  done
  exit 0
fi

# ---- Applying a mutant by its text -------------------------------------------------------------
# Reads a file whole, its trailing newlines kept.
slurp() {
  IFS= read -r -d '' content <"$1" || true
}

# Prints why mutant $1 does not apply to the tree at $2, or nothing when its text is found once.
stale() {
  local i=$1 tree=$2 rest
  [ -f "$tree/${files[i]}" ] || { echo "no file ${files[i]}"; return; }
  slurp "$tree/${files[i]}"
  case "$content" in
    *"${froms[i]}"*) ;;
    *) echo "its text is no longer in ${files[i]}"; return ;;
  esac
  rest=${content#*"${froms[i]}"}
  case "$rest" in
    *"${froms[i]}"*) echo "its text is found more than once in ${files[i]}" ;;
  esac
}

staleCount=0
for i in "${selected[@]}"; do
  why=$(stale "$i" "$root")
  if [ -n "$why" ]; then
    echo "STALE ${ids[i]}: $why" >&2
    staleCount=$((staleCount + 1))
  fi
done
if [ "$mode" = check ]; then
  if [ "$staleCount" -gt 0 ]; then
    echo "$staleCount of ${#selected[@]} mutants no longer apply: bring scripts/mutants.txt up to date" >&2
    exit 1
  fi
  echo "all ${#selected[@]} mutants apply"
  exit 0
fi
[ "$staleCount" -eq 0 ] || {
  echo "mutate.sh: $staleCount mutants no longer apply; bring scripts/mutants.txt up to date" >&2
  exit 1
}

# ---- The copy and its build --------------------------------------------------------------------
started=$SECONDS
work=${MUTATE_DIR:-$root/build/mutate}
mkdir -p "$work"
work=$(cd "$work" && pwd)
src="$work/src"
build="$work/build"

# The tree as it is now, uncommitted changes included. A file copied again gets a new time, so
# that it is built again even when its objects are newer than the tree's file (they may have been
# built from an older copy); a file that did not change is left alone.
echo "== Copying the tree to $src"
mkdir -p "$src"
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z -co --exclude-standard)
else
  (cd "$root" && find . -path ./build -prune -o -path './build*' -prune -o -type f -print0)
fi | while IFS= read -r -d '' f; do
  [ -f "$root/$f" ] || continue
  if ! cmp -s "$root/$f" "$src/$f"; then
    mkdir -p "$(dirname "$src/$f")"
    cp "$root/$f" "$src/$f"
  fi
done

# A file a stopped run left mutated is back as it was, but older than what was built from the
# mutant: a new time has it built again.
if [ -f "$work/planted-file" ]; then
  touch "$src/$(cat "$work/planted-file")"
  rm -f "$work/planted-file"
fi

# The Geany bridge and the windows are built only when a mutant to run is in them (and their
# development files are here).
geany=OFF qt=OFF
for i in "${selected[@]}"; do
  [ -z "${qts[i]}" ] || qt=ON
  if [ -n "${geanys[i]}" ]; then
    pkg-config --exists geany 2>/dev/null || {
      echo "mutate.sh: mutant ${ids[i]} needs Geany's development files (scripts/install-deps.sh)" >&2
      exit 1
    }
    geany=ON
  fi
done

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
echo "== Configuring the Debug build in $build"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 \
  -DCMAKE_C_FLAGS_DEBUG=-O0 -DZEB_BUILD_QT=$qt -DZEB_BUILD_GEANY=$geany -DZEB_BUILD_BENCH=OFF \
  -DZEB_WERROR=OFF "${launcher[@]}" >"$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
echo "== Building"
cmake --build "$build" -j "$jobs" >"$work/build.log" 2>&1 || {
  tail -50 "$work/build.log"
  exit 1
}

# The fast tests: "NUMBER<tab>ARGS" with each argument of its command, quotes removed.
# The Geany bridge's tests (label geany) and the windows' (label qt, offscreen) are listed too,
# for the mutants in the bridge and in the windows alone.
listTests() {
  ctest --test-dir "$build" -N -V "$@" 2>/dev/null |
    sed -n 's/^\([0-9][0-9]*\): Test command: \(.*\)$/\1\t\2/p' | tr -d '"'
}
listTests -LE "$skipLabels" >"$work/tests.txt"
testCount=$(wc -l <"$work/tests.txt")
listTests -L geany -LE 'wine|fpc|soak|qt' >"$work/tests-geany.txt"
listTests -L qt -LE 'wine|fpc|soak|geany' >"$work/tests-qt.txt"
[ "$testCount" -gt 0 ] || { echo "mutate.sh: no tests found" >&2; exit 1; }

# Everything the build makes, by its path in the build folder.
ninja -C "$build" -t targets all | sed -n 's/^\([^:]*\): .*/\1/p' | sort -u >"$work/outputs.txt"
# A test given the whole build folder runs its programs and packages (not the test programs).
(cd "$build" && find bin lib/zeb-ide/packages -maxdepth 1 -type f ! -name '*_tests' 2>/dev/null) |
  sed "s|^|$build/|" | sort >"$work/products.txt"

# The built files a test names ("-" when it names none): the files of the build folder among its
# arguments, and the products for the build folder itself.
testArtefacts() {
  local a named=
  for a in $1; do
    case "$a" in
      "$build") named=1; cat "$work/products.txt" ;;
      "$build"/*) if [ -f "$a" ]; then named=1; echo "$a"; fi ;;
    esac
  done
  [ -n "$named" ] || echo -
}
: >"$work/test-artefacts.txt"
while IFS=$'\t' read -r number args; do
  echo "$number	$(testArtefacts "$args" | sort -u | paste -sd' ')" >>"$work/test-artefacts.txt"
done < <(cat "$work/tests.txt" "$work/tests-geany.txt" "$work/tests-qt.txt")

# What each of those files is made from, by absolute path: its inputs in the build's graph
# (packages it loads included: they are its dependencies) and the headers its objects include.
mkdir -p "$work/inputs"
inputsOf() {
  echo "$work/inputs/$(echo "${1#"$build"/}" | tr / _)"
}
tr ' \t' '\n\n' <"$work/test-artefacts.txt" | grep "^$build/" | sort -u |
  while IFS= read -r artefact; do
    (
      cd "$build"
      ninja -t inputs "${artefact#"$build"/}" >"$work/direct.txt"
      grep '\.o$' "$work/direct.txt" | xargs -r ninja -t deps | grep '^ ' | sed 's/^ *//'
      cat "$work/direct.txt"
    ) | grep -v '^/usr/' | sort -u | (cd "$build" && xargs -r realpath -m) | sort -u \
      >"$(inputsOf "$artefact")"
  done

# Prints "NUMBER<tab>ARTEFACTS" for each test that mutating source file $1 (a path in the copy)
# may affect: one that names a built file made from it (a test that names none, such as the
# layer check, runs nothing a mutant changes). $2, when not empty, keeps only the tests that name
# one of its programs.
affected() {
  local file=$1 only=$2 withGeany=$3 withQt=$4 number artefacts a hit keep p
  while IFS=$'\t' read -r number artefacts; do
    if [ -z "$withGeany" ] && grep -q "^$number	" "$work/tests-geany.txt"; then continue; fi
    if [ -z "$withQt" ] && grep -q "^$number	" "$work/tests-qt.txt"; then continue; fi
    hit=
    [ "$artefacts" != - ] || continue
    for a in $artefacts; do
      if grep -qxF "$file" "$(inputsOf "$a")"; then hit=1; break; fi
    done
    [ -n "$hit" ] || continue
    if [ -n "$only" ]; then
      keep=
      for p in $only; do
        case " $artefacts " in *" $build/bin/$p "*) keep=1 ;; esac
      done
      [ -n "$keep" ] || continue
    fi
    printf '%s\t%s\n' "$number" "$artefacts"
  done <"$work/test-artefacts.txt"
}

# Of the tests in affected()'s list $1, prints the numbers of those whose programs are built from
# the tests of file $2's folder (tests/ mirrors the tree), when $3 is "mirror", or of the others.
# The mirror's tests run first: they catch most faults soonest.
part() {
  local d number artefacts a mirror=
  d=$(dirname "$2")
  while [ "$d" != . ] && [ ! -d "$src/tests/$d" ]; do d=$(dirname "$d"); done
  [ "$d" = . ] || mirror="$src/tests/$d/"
  while IFS=$'\t' read -r number artefacts; do
    local hit=
    if [ -n "$mirror" ]; then
      for a in $artefacts; do
        if grep -q "^$mirror" "$(inputsOf "$a")"; then hit=1; break; fi
      done
    fi
    if [ "$3" = mirror ] && [ -n "$hit" ]; then echo "$number"; fi
    if [ "$3" != mirror ] && [ -z "$hit" ]; then echo "$number"; fi
  done <"$1"
}

# Runs the tests numbered in $1 (comma-separated; none: nothing is run); their log goes to $2.
# 0 when all pass, 1 when one fails (no more start after it), 2 when ctest itself fails.
runTests() {
  [ -n "$1" ] || { : >"$2"; return 0; }
  # The numbers are those of the whole list: ctest would count them among the tests left after
  # a label filter, so none is given.
  if ctest --test-dir "$build" -I "0,0,0,$1" -j "$jobs" --timeout "$timeout" \
    --stop-on-failure --no-tests=error >"$2" 2>&1; then
    return 0
  fi
  grep -q 'The following tests FAILED' "$2" && return 1
  return 2
}

echo "== The fast tests on the tree as it is ($testCount tests)"
if ! runTests "$(cut -f1 "$work/tests.txt" | paste -sd,)" "$work/baseline.log"; then
  tail -30 "$work/baseline.log"
  echo "mutate.sh: the tree's own tests fail; no mutant can be judged" >&2
  exit 1
fi
echo "(copy, build and baseline took $((SECONDS - started)) s)"

# ---- The mutants -------------------------------------------------------------------------------
# A mutant is planted with a new time, so that its file is compiled again, and only what its
# tests run is built. It is taken out again with the file's old content and old time; what was
# built meanwhile is deleted and at once built again from the original. Nothing else is built
# again: a header most of the tree includes costs only the programs its mutant names.
# While a mutant is planted its file is named in $work/planted-file, so that a run that was
# stopped part way is made whole by the next one.
current=
restore() {
  [ -n "$current" ] || return 0
  cp -p "$work/original" "$src/$current"
  current=
  (cd "$build" && find . -type f -newer "$work/planted" | sed 's|^\./||') |
    grep -xFf - "$work/outputs.txt" | (cd "$build" && xargs -r rm -f)
  rm -f "$work/planted-file"
  if ! ninja -C "$build" -j "$jobs" $targets >"$work/restore.log" 2>&1; then
    tail -20 "$work/restore.log"
    echo "mutate.sh: the copy does not build again without the mutant" >&2
    exit 1
  fi
}
trap restore EXIT

killed=0
survivors=()
broken=()
total=${#selected[@]}
k=0
for i in "${selected[@]}"; do
  k=$((k + 1))
  id=${ids[i]}
  file=${files[i]}
  began=$SECONDS
  label=$(printf '[%d/%d] %-34s' "$k" "$total" "$id")
  affected "$src/$file" "${onlys[i]}" "${geanys[i]}" "${qts[i]}" >"$work/affected.txt"
  count=$(grep -c . "$work/affected.txt" || true)
  targets=$(cut -f2 "$work/affected.txt" | tr ' ' '\n' | grep "^$build/" | sort -u |
    sed "s|^$build/||" || true)
  if [ "$count" -eq 0 ]; then
    echo "$label SURVIVED (no test runs $file): ${whats[i]}"
    survivors+=("$id")
    continue
  fi
  slurp "$src/$file"
  rest=${content#*"${froms[i]}"}
  cp -p "$src/$file" "$work/original"
  touch "$work/planted"
  sleep 0.01
  current=$file
  echo "$file" >"$work/planted-file"
  printf '%s' "${content%%"${froms[i]}"*}${tos[i]}$rest" >"$src/$file"
  verdict=survived
  if ! ninja -C "$build" -j "$jobs" $targets >"$work/mutant.log" 2>&1; then
    verdict=broken
  else
    for phase in mirror rest; do
      status=0
      runTests "$(part "$work/affected.txt" "$file" "$phase" | paste -sd,)" \
        "$work/tests-$id.log" || status=$?
      [ "$status" -ne 2 ] || {
        tail -20 "$work/tests-$id.log"
        echo "mutate.sh: ctest failed on $id" >&2
        exit 1
      }
      if [ "$status" -eq 1 ]; then verdict=killed; break; fi
    done
  fi
  case "$verdict" in
    broken)
      echo "$label DOES NOT BUILD ($file): fix its replacement"
      grep -m5 'error' "$work/mutant.log" | sed 's/^/    /' || true
      broken+=("$id")
      ;;
    survived)
      echo "$label SURVIVED ($count tests, $((SECONDS - began)) s): ${whats[i]}"
      survivors+=("$id")
      ;;
    killed)
      failed=$(sed -n '/The following tests FAILED/,$p' "$work/tests-$id.log" |
        sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' | head -3 | paste -sd' ')
      echo "$label killed   ($count tests, $((SECONDS - began)) s) by $failed"
      killed=$((killed + 1))
      ;;
  esac
  restore
done

percent=$((killed * 100 / total))
echo
echo "== Mutants: $killed of $total killed ($percent%), ${#survivors[@]} survived" \
  "in $((SECONDS - started)) s"
for id in "${survivors[@]}"; do
  echo "   survived: $id"
done
status=0
if [ ${#broken[@]} -gt 0 ]; then
  echo "mutate.sh: ${broken[*]} do not build: fix their replacements" >&2
  status=1
fi
if [ "$percent" -lt "$bar" ]; then
  echo "mutate.sh: below the kill bar of $bar%" >&2
  status=1
fi
exit "$status"
