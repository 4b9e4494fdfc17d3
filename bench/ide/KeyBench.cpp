// Key presses through the whole path (keyboard services and key map, the add-in's HandleKey and
// IndentBlock, the edit block, the view, the document), each beside a reference.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "bench/ide/BenchFiles.h"
#include "ide/app/Ide.h"

namespace zeb {

namespace {

using zeb::EditView;
using zeb::Ide;
using zeb::KeyOutcome;
using zeb::bench::QuietObserver;
using zeb::bench::Source;
using zeb::bench::TempFile;

constexpr TShortCut kTab = 0x0009;
constexpr TShortCut kKeyA = 0x0041;

Ide::Options Options() {
  Ide::Options options;
  options.binDirectory = "/tmp";
  return options;
}

// An IDE with the add-in loaded and `bytes` open as a Pascal file.
struct Session {
  explicit Session(const std::string& bytes) : file("Bench.pas", bytes), ide(observer, Options()) {
    if (!ide.LoadPackage(ZEB_ADDIN_PATH)) throw std::runtime_error("the add-in did not load");
    view = &ide.Open(file.Path());
  }
  TempFile file;
  QuietObserver observer;
  Ide ide;
  EditView* view = nullptr;
};

void PerLine(benchmark::State& state, std::int64_t lines) {
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

// Tab on a block of state.range(0) whole lines; undone outside the timing after each press.
void BM_TabOnBlock(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  Session s(Source(lines));
  s.view->Select({1, 1}, {static_cast<std::int32_t>(lines) + 1, 1});
  for (auto _ : state) {
    if (s.ide.PressKey(kTab) != KeyOutcome::Handled) state.SkipWithError("not handled");
    state.PauseTiming();
    s.view->Undo();
    state.ResumeTiming();
  }
  PerLine(state, lines);
}
BENCHMARK(BM_TabOnBlock)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// The reference: the bytes Tab produces (two spaces before each non-empty line), built into one
// new contiguous buffer. Freeing the buffer is left out of the timing.
void BM_ContiguousRebuild(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  const std::string text = Source(lines);
  for (auto _ : state) {
    auto out =
        std::make_unique_for_overwrite<char[]>(text.size() + 2 * static_cast<std::size_t>(lines));
    char* o = out.get();
    const char* in = text.data();
    const char* end = in + text.size();
    while (in < end) {
      const auto* lf =
          static_cast<const char*>(std::memchr(in, '\n', static_cast<std::size_t>(end - in)));
      const char* next = lf != nullptr ? lf + 1 : end;
      if (*in != '\n') {
        o[0] = o[1] = ' ';
        o += 2;
      }
      std::memcpy(o, in, static_cast<std::size_t>(next - in));
      o += next - in;
      in = next;
    }
    benchmark::DoNotOptimize(out.get());
    benchmark::ClobberMemory();
    state.PauseTiming();
    out.reset();
    state.ResumeTiming();
  }
  PerLine(state, lines);
}
BENCHMARK(BM_ContiguousRebuild)
    ->Arg(1'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMicrosecond);

// Undo of a Tab on the whole block; the Tab is made again outside the timing.
void BM_UndoTab(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  Session s(Source(lines));
  s.view->Select({1, 1}, {static_cast<std::int32_t>(lines) + 1, 1});
  for (auto _ : state) {
    state.PauseTiming();
    s.ide.PressKey(kTab);
    state.ResumeTiming();
    if (!s.view->Undo()) state.SkipWithError("nothing to undo");
  }
  PerLine(state, lines);
}
BENCHMARK(BM_UndoTab)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// Runs `press` on the session's view once an iteration; every 4096 presses the inserts are
// undone, outside the timing, so the document stays small.
template <typename Press>
void PressUndoingInBatches(benchmark::State& state, Session& s, Press press) {
  int pending = 0;
  for (auto _ : state) {
    press();
    if (++pending == 4096) {
      state.PauseTiming();
      while (pending-- > 0)
        s.view->Undo();
      pending = 0;
      state.ResumeTiming();
    }
  }
}

// Tab with no block: the add-in finds no valid block and passes the key on; the editor then
// inserts a tab.
void BM_TabPassedOn(benchmark::State& state) {
  Session s(Source(10));
  PressUndoingInBatches(state, s, [&] {
    if (s.ide.PressKey(kTab) != KeyOutcome::PassedOn) state.SkipWithError("not passed on");
  });
}
BENCHMARK(BM_TabPassedOn);

// The reference: the editor's own tab insert alone, on the same view.
void BM_EditorTabInsert(benchmark::State& state) {
  Session s(Source(10));
  PressUndoingInBatches(state, s, [&] { s.view->InsertText("\t"); });
}
BENCHMARK(BM_EditorTabInsert);

// Typing state.range(1) letters, one key press each, into a line of state.range(0) bytes at
// `where` (0: its middle, 1: its end); then they are undone outside the timing and typing starts
// again. The time is per character.
void Typing(benchmark::State& state, bool atEnd) {
  const auto length = static_cast<std::size_t>(state.range(0));
  const std::int64_t burst = state.range(1);
  Session s(std::string(length, 'x') + "\n");
  const auto col = static_cast<std::int32_t>(atEnd ? length + 1 : length / 2 + 1);
  s.view->SetCursor({1, col});
  std::int64_t typed = 0;
  for (auto _ : state) {
    s.ide.PressKey(kKeyA);
    if (++typed == burst) {
      state.PauseTiming();
      while (typed-- > 0)
        s.view->Undo();
      typed = 0;
      s.view->SetCursor({1, col});
      state.ResumeTiming();
    }
  }
}
void BM_TypeInLongLine(benchmark::State& state) {
  Typing(state, false);
}
BENCHMARK(BM_TypeInLongLine)->Args({1 << 20, 2'000});
void BM_TypeAtLineEnd(benchmark::State& state) {
  Typing(state, true);
}
BENCHMARK(BM_TypeAtLineEnd)->Args({40, 10'000})->Args({40, 40'000});

}  // namespace

}  // namespace zeb
