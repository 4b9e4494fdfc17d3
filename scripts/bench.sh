#!/usr/bin/env bash
# Builds a release build, runs the benchmarks with a few repetitions and prints one table: each
# case beside its reference measured in the same run, the ratio, the goal and whether it is met;
# then the peak memory of zeb-host itself opening a 1,000,000-line file, and opening it, pressing
# Tab on all of it and undoing; then the peak memory of a million typed characters' undo history
# against its budget. The Geany bridge's cases run inside a real Geany (scripts/geany-bench.sh).
# Benchmark binaries that were not built (trace_bench, qt_bench)
# show as "not built", cases a binary does not have as "no such case". Times are medians over the repetitions: of the thread's CPU time for the
# cases that stay in memory in one thread (on a shared machine the wall clock also counts the
# time other processes had the core), of wall time for those that wait on the disk, another
# thread or the window system. The table says which; the load average of the run is printed.
# Last, the trace viewers under a storm: eight sender processes each send BENCH_STORM_MESSAGES
# (25,000) messages, as TRACE does, to a bare reference server, the console viewer writing to a
# file and the window (offscreen), in turn, three rounds; then the window's own figures.
#
#   scripts/bench.sh            (BENCH_REPETITIONS=5 for more, BENCH_BUILD_DIR to move the build)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${BENCH_BUILD_DIR:-build/bench}
repetitions=${BENCH_REPETITIONS:-3}
results=$build/bench-results

echo "building the release build in $build ..." >&2
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEB_BUILD_TESTS=OFF >/dev/null
if ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log" >&2
  echo "the release build failed: see $build/build.log" >&2
  exit 1
fi
rm -rf "$results"
mkdir -p "$results"

for bench in ide_bench trace_bench qt_bench; do
  [ -x "$build/bin/$bench" ] || continue
  echo "running $bench ..." >&2
  QT_QPA_PLATFORM=offscreen "$build/bin/$bench" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_out="$results/$bench.json" \
    --benchmark_out_format=json >/dev/null 2>"$results/$bench.err" ||
    echo "$bench failed: see $results/$bench.err" >&2
done

# The Geany bridge is timed inside a real Geany, beside Geany's own commands (bench/geany).
geany_bench=$(find "$build" -name zeb-geany-bench.so -print -quit)
if [ -n "$geany_bench" ] && command -v geany >/dev/null && command -v Xvfb >/dev/null; then
  echo "running geany_bench ..." >&2
  scripts/geany-bench.sh "$geany_bench" "$results/geany_bench.json" "$repetitions" \
    2>"$results/geany_bench.err" || echo "geany_bench failed: see $results/geany_bench.err" >&2
fi

python3 - "$results" "$build/bin" <<'PYTHON'
import json, os, subprocess, sys, tempfile

results, bindir = sys.argv[1], sys.argv[2]

medians = {}  # run name -> {"real": seconds, "cpu": seconds}
ran = set()   # the benchmark binaries that ran
for name in os.listdir(results):
    if not name.endswith(".json"):
        continue
    with open(os.path.join(results, name)) as f:
        try:
            data = json.load(f)
        except json.JSONDecodeError:
            continue
    ran.add(name[:-len(".json")])
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    # The median of the repetitions; a single run has no aggregates and stands for itself.
    for b in data.get("benchmarks", []):
        if "error_occurred" in b:
            continue
        if b.get("aggregate_name") == "median" or (
                b.get("run_type") == "iteration" and b["run_name"] not in medians):
            medians[b["run_name"]] = {"real": b["real_time"] * scale[b["time_unit"]],
                                      "cpu": b["cpu_time"] * scale[b["time_unit"]]}

def find(key, clock):
    if key is None:
        return None
    for name, seconds in medians.items():
        if name == key or name.startswith(key + "/"):
            return seconds[clock]
    return None

def show(seconds):
    if seconds is None:
        return "—"
    for unit, factor in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if seconds >= factor:
            return f"{seconds / factor:.3g} {unit}"
    return f"{seconds / 1e-9:.3g} ns"

# case, ours, reference, largest ratio, largest time in seconds, clock ("cpu" or "real");
# the benchmark binary is named after the last field
rows = [
    ("Tab on a 1,000-line block", "BM_TabOnBlock/1000", "BM_ContiguousRebuild/1000", 1.5, None, "cpu", "ide_bench"),
    ("Tab on a 100,000-line block", "BM_TabOnBlock/100000", "BM_ContiguousRebuild/100000", 1.5, None, "cpu", "ide_bench"),
    ("Tab on a 1,000,000-line block", "BM_TabOnBlock/1000000", "BM_ContiguousRebuild/1000000", 1.5, None, "cpu", "ide_bench"),
    ("undo of that Tab (reference: the Tab)", "BM_UndoTab/1000000", "BM_TabOnBlock/1000000", 1.0, None, "cpu", "ide_bench"),
    ("Tab with no block, whole press", "BM_TabPassedOn", "BM_EditorTabInsert", None, 0.30e-6, "cpu", "ide_bench"),
    ("a character typed into a 1 MB line", "BM_TypeInLongLine/1048576/2000", None, None, 1e-6, "cpu", "ide_bench"),
    ("a character typed at a line's end, 10,000 typed", "BM_TypeAtLineEnd/40/10000", None, None, 1e-6, "cpu", "ide_bench"),
    ("a character typed at a line's end, 40,000 typed", "BM_TypeAtLineEnd/40/40000", "BM_TypeAtLineEnd/40/10000", None, 1e-6, "cpu", "ide_bench"),
    ("open + save, 1,000,000 lines", "BM_OpenSave/1000000", "BM_ReadWrite/1000000", 2.0, None, "real", "ide_bench"),
    ("TRACE with no viewer", "BM_TraceNoViewer", "BM_StatSocketPath", 2.0, None, "real", "trace_bench"),
    ("TRACE round trip", "BM_TraceRoundTrip", "BM_BareRoundTrip", 1.15, None, "real", "trace_bench"),
    ("window: open and first paint, 1,000,000 lines", "BM_OpenFirstPaint/1000000", "BM_BareQsciOpen/1000000", 1.5, 0.5, "real", "qt_bench"),
    ("window: Tab on a 1,000,000-line block on screen", "BM_TabOnBlockOnScreen/1000000", None, None, 0.6, "real", "qt_bench"),
    ("window: a character typed at the end of that file, on screen", "BM_TypeAtEndOnScreen/1000000", None, None, 0.05, "real", "qt_bench"),
    ("window: Ctrl+End in that file just opened, until the lines on screen are highlighted", "BM_JumpToEndStyled/1000000", None, None, 0.1, "real", "qt_bench"),
    ("Geany: Tab on a 100,000-line block through the bridge (reference: Geany's Increase Indent)", "BM_GeanyBridgeTab/100000", "BM_GeanyIncreaseIndent/100000", 1.0, None, "cpu", "geany_bench"),
    ("Geany: Tab with no block, the bridge's part (reference: Geany's own tab insert)", "BM_GeanyBridgePassedOn", "BM_GeanyOwnTab", None, 2e-6, "cpu", "geany_bench"),
]

print(f"Load average during the run: {' '.join(open('/proc/loadavg').read().split()[:3])} "
      f"on {os.cpu_count()} cores.")
print()
print("| case | clock | ours | reference | ratio | goal | met | ours, wall clock |")
print("|---|---|---|---|---|---|---|---|")
for case, ours_key, ref_key, max_ratio, max_time, clock, binary in rows:
    ours, ref = find(ours_key, clock), find(ref_key, clock)
    ratio = ours / ref if ours is not None and ref is not None else None
    goals = []
    met = ours is not None
    if max_ratio is not None:
        goals.append(f"≤ {max_ratio:g}×")
        met = met and ratio is not None and ratio <= max_ratio
    if max_time is not None:
        goals.append(f"≤ {show(max_time)}")
        met = met and ours <= max_time
    missing = "not built" if binary not in ran else "no such case"
    print(f"| {case} | {'CPU' if clock == 'cpu' else 'wall'} | {show(ours)} | "
          f"{show(ref) if ref_key else '—'} | "
          f"{f'{ratio:.2f}×' if ratio is not None else '—'} | {', '.join(goals)} | "
          f"{missing if ours is None else 'yes' if met else 'NO'} | "
          f"{show(find(ours_key, 'real')) if clock == 'cpu' else '—'} |")

# Peak memory of zeb-host itself, against the size of the file it opens.
host = os.path.join(bindir, "zeb-host")
def peak(args, script):
    # GNU time waits for zeb-host itself: a child forked from this script would count the
    # script's own memory as its peak.
    with tempfile.NamedTemporaryFile() as report:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, host, *args],
                       input=script.encode(), stdout=subprocess.DEVNULL, check=True)
        return int(open(report.name).read().split()[-1]) * 1024

with tempfile.TemporaryDirectory() as folder:
    big = os.path.join(folder, "Big.pas")
    with open(big, "w") as f:
        for i in range(1_000_000):
            f.write("\n" if i % 10 == 9 else "    Total := Total + Item[I] * Rate[I];\n")
    long_line = os.path.join(folder, "Long.pas")
    with open(long_line, "w") as f:
        f.write("x" * (1 << 20) + "\n")
    empty = os.path.join(folder, "Empty.pas")
    open(empty, "w").close()

    size = os.path.getsize(big)
    baseline = peak([empty], "")
    cases = [
        ("open the 1,000,000-line file", [big], "", 1.5),
        ("open, Tab on all, undo", [big], "select 1 1 1000001 1\nkey Tab\nundo\n", 2.5),
        ("2,000 keys typed into the middle of a 1 MB line", [long_line],
         "cursor 1 524289\n" + "key A\n" * 2000, 3.0),
    ]
    print()
    print(f"Peak memory of zeb-host (with an empty file: {baseline / 2**20:.1f} MiB); the ratio is "
          "the peak above that, against the file's size.")
    print()
    print("| case | file | peak | above an empty file | ratio | goal | met |")
    print("|---|---|---|---|---|---|---|")
    for case, args, script, goal in cases:
        file_size = os.path.getsize(args[0])
        rss = peak(args, script)
        ratio = (rss - baseline) / file_size
        print(f"| {case} | {file_size / 2**20:.1f} MiB | {rss / 2**20:.1f} MiB | "
              f"{(rss - baseline) / 2**20:.1f} MiB | {ratio:.2f}× | ≤ {goal:g}× | "
              f"{'yes' if ratio <= goal else 'NO'} |")

    # The undo history against its budget: a million characters typed one by one into an empty
    # file, each an undo step. Above an idle zeb-host the peak holds the history and the text.
    typing = "type x\n" * 1_000_000
    text = 1_000_000
    idle = peak(["--no-package", empty], "")
    slack = 1 << 20
    print()
    print(f"Peak memory of zeb-host after 1,000,000 characters typed, each an undo step, against "
          f"--undo-budget (idle: {idle / 2**20:.1f} MiB); the goal is the budget plus the text "
          f"({text / 2**20:.2f} MiB) and {slack / 2**20:g} MiB for the allocator's pages.")
    print()
    print("| budget | peak | above idle | goal | met |")
    print("|---|---|---|---|---|")
    for budget in (16, 32, 64):
        rss = peak(["--no-package", "--undo-budget", str(budget), empty], typing)
        goal = (budget << 20) + text + slack
        print(f"| {budget} MiB | {rss / 2**20:.1f} MiB | {(rss - idle) / 2**20:.1f} MiB | "
              f"≤ {goal / 2**20:.1f} MiB | {'yes' if rss - idle <= goal else 'NO'} |")

# The trace viewers under a storm: 8 sender processes, each sending N messages and waiting for
# each answer (as TRACE does), to each receiver in turn; the rate is all the messages over the
# time from the first sender's start to the last one's end.
import signal, statistics, time

senders = 8
each = int(os.environ.get("BENCH_STORM_MESSAGES", "25000"))
sender = os.path.join(bindir, "zeb-trace-storm-sender")
receivers = [
    ("bare reference server (reads and answers)", [os.path.join(bindir, "trace-bare-server")], None),
    ("console: zeb-trace > file", [os.path.join(bindir, "zeb-trace")], 0.9),
    ("window: the trace view offscreen", [os.path.join(bindir, "trace-window-bench"), "storm"], 0.8),
]

def storm(command, folder):
    env = dict(os.environ, XDG_RUNTIME_DIR=folder, QT_QPA_PLATFORM="offscreen",
               XDG_CONFIG_HOME=os.path.join(folder, "config"))
    out_path = os.path.join(folder, "out.txt")
    with open(out_path, "wb") as out, open(os.path.join(folder, "err.txt"), "wb") as err:
        receiver = subprocess.Popen(command, stdout=out, stderr=err, env=env)
        socket_path = os.path.join(folder, "TFormTrace")
        for _ in range(1000):
            if os.path.exists(socket_path) and ("trace-window-bench" not in command[0] or
                                                b"listening" in open(err.name, "rb").read()):
                break
            time.sleep(0.01)
        started = time.perf_counter()
        running = [subprocess.Popen([sender, str(each)], env=env, stdout=subprocess.PIPE)
                   for _ in range(senders)]
        delivered = all(p.wait() == 0 for p in running)
        elapsed = time.perf_counter() - started
        receiver.send_signal(signal.SIGTERM if "zeb-trace" not in command[0] else signal.SIGINT)
        receiver.wait(timeout=60)
    text = open(out_path, "rb").read()
    if "trace-bare-server" in command[0]:
        received, extra = int(text.split()[-1]), {}
    elif "trace-window-bench" in command[0]:
        extra = json.loads(text.decode().strip().splitlines()[-1])
        received = extra["received"]
    else:
        received, extra = text.count(b"\n"), {}
    return senders * each / elapsed, delivered, received, extra

if all(os.path.exists(c[0]) for _, c, _ in receivers[:2]) and os.path.exists(sender):
    rates = {name: [] for name, _, _ in receivers}
    lost = {name: 0 for name, _, _ in receivers}
    extras = []
    for _ in range(3):
        for name, command, _ in receivers:
            if not os.path.exists(command[0]):
                continue
            with tempfile.TemporaryDirectory() as folder:
                os.chmod(folder, 0o700)
                rate, delivered, received, extra = storm(command, folder)
            rates[name].append(rate)
            lost[name] += (0 if delivered else 1) + abs(senders * each - received)
            if extra:
                extras.append(extra)
    bare = statistics.median(rates[receivers[0][0]])
    print()
    print(f"Trace viewers under a storm: {senders} sender processes, {each:,} messages each, "
          f"medians of three rounds; \"lost\" counts messages not delivered or not received.")
    print()
    print("| receiver | messages/s | against the bare server | goal | lost | met |")
    print("|---|---|---|---|---|---|")
    for name, command, goal in receivers:
        if not rates[name]:
            print(f"| {name} | not built | — | — | — | — |")
            continue
        rate = statistics.median(rates[name])
        ratio = rate / bare
        met = "—" if goal is None else ("yes" if ratio >= goal and lost[name] == 0 else "NO")
        print(f"| {name} | {rate:,.0f} | {ratio:.2f}× | "
              f"{'—' if goal is None else f'≥ {goal:g}×'} | {lost[name]} | {met} |")

    window = os.path.join(bindir, "trace-window-bench")
    if os.path.exists(window) and extras:
        def run(*args):
            result = subprocess.run([window, *args], capture_output=True, check=True,
                                    env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
            return json.loads(result.stdout.decode().strip().splitlines()[-1])
        filters = [run("filter", "1000000") for _ in range(3)]
        opens = [run("open", "1000000") for _ in range(3)]
        gap = max(e["longest_gap_ms"] for e in extras)
        med = lambda key, runs: statistics.median(r[key] for r in runs)
        memory = med("memory_bytes", filters) / med("held_bytes", filters)
        rows = [
            ("longest time the event loop went without a turn during the storms", f"{gap:.0f} ms",
             "≤ 100 ms", gap <= 100),
            ("filter change over 1,000,000 held messages: a text (1 in 8 shown)",
             f"{med('text_filter_ms', filters):.0f} ms", "≤ 200 ms", med('text_filter_ms', filters) <= 200),
            ("filter change over 1,000,000 held messages: a regular expression (1 in 40 shown)",
             f"{med('regex_filter_ms', filters):.0f} ms", "≤ 200 ms", med('regex_filter_ms', filters) <= 200),
            ("filter change over 1,000,000 held messages: a regular expression all match",
             f"{med('regex_all_ms', filters):.0f} ms", "≤ 200 ms", med('regex_all_ms', filters) <= 200),
            ("opening a log of 1,000,000 messages until painted", f"{med('open_ms', opens):.0f} ms",
             "≤ 1 s", med('open_ms', opens) <= 1000),
            ("memory of 1,000,000 held messages against the bytes of their lines",
             f"{memory:.2f}× ({med('memory_bytes', filters) / 2**20:.0f} MiB for "
             f"{med('held_bytes', filters) / 2**20:.0f} MiB)", "≤ 2×", memory <= 2),
        ]
        print()
        print("The window's own figures (offscreen; medians of three runs, the gap the longest "
              "of the storms above):")
        print()
        print("| case | measured | goal | met |")
        print("|---|---|---|---|")
        for case, value, goal, met in rows:
            print(f"| {case} | {value} | {goal} | {'yes' if met else 'NO'} |")
PYTHON
