// Key presses through the whole path: keyboard services and key map, the add-in's HandleKey and
// IndentBlock, the edit block, the view and the text buffer. Beside them, a memmove of the same
// bytes as the floor. Run: build/bin/ide_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "ide/core/Ide.h"

namespace {

using zebide::EditView;
using zebide::Ide;
using zebide::KeyOutcome;

class QuietObserver final : public zebide::IdeObserver {
 public:
  void OnFault(const zebide::Fault& fault) override {
    std::fprintf(stderr, "fault: %s: %s\n", fault.className.c_str(), fault.message.c_str());
  }
  TModalResult OnDialog(TForm&) override { return mrOk; }
  void OnMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

std::string Source(std::int64_t lines) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 32);
  for (std::int64_t i = 0; i < lines; ++i)
    text += "    Total := Total + Item[I];\n";
  return text;
}

// A Pascal file of `lines` lines in a temporary folder, removed at the end.
class SourceFile {
 public:
  explicit SourceFile(std::int64_t lines) {
    char dir[] = "/tmp/zeb-bench-XXXXXX";
    if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp");
    dir_ = dir;
    path_ = dir_ + "/Bench.pas";
    const std::string text = Source(lines);
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + path_);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  ~SourceFile() {
    std::remove(path_.c_str());
    ::rmdir(dir_.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
};

Ide::Options Options() {
  Ide::Options options;
  options.binDirectory = "/tmp";
  return options;
}

// Tab with no block: the add-in finds no valid block and passes the key on; the editor then
// inserts a tab. Every 1024 presses the inserts are undone, outside the timing.
void BM_TabPassedOn(benchmark::State& state) {
  SourceFile file(10);
  QuietObserver observer;
  Ide ide(observer, Options());
  if (!ide.LoadPackage(ZEB_ADDIN_PATH)) state.SkipWithError("the add-in did not load");
  EditView& view = ide.Open(file.Path());
  int pending = 0;
  for (auto _ : state) {
    if (ide.PressKey(0x0009) != KeyOutcome::PassedOn) state.SkipWithError("not passed on");
    if (++pending == 1024) {
      state.PauseTiming();
      while (pending-- > 0)
        view.Undo();
      pending = 0;
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_TabPassedOn);

// Tab on a block of state.range(0) whole lines; undone outside the timing after each press.
void BM_TabOnBlock(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  SourceFile file(lines);
  QuietObserver observer;
  Ide ide(observer, Options());
  if (!ide.LoadPackage(ZEB_ADDIN_PATH)) state.SkipWithError("the add-in did not load");
  EditView& view = ide.Open(file.Path());
  view.Select({1, 1}, {static_cast<std::int32_t>(lines) + 1, 1});
  for (auto _ : state) {
    if (ide.PressKey(0x0009) != KeyOutcome::Handled) state.SkipWithError("not handled");
    state.PauseTiming();
    view.Undo();
    state.ResumeTiming();
  }
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_TabOnBlock)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// The floor: moving the block's bytes once, as the indented text is at least that.
void BM_MemmoveFloor(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  const std::string text = Source(lines);
  std::vector<char> target(text.size() + static_cast<std::size_t>(lines) * 2);
  for (auto _ : state) {
    std::memmove(target.data(), text.data(), text.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_MemmoveFloor)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
