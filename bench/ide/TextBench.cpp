// Opening and saving a file through the text model, beside one read and one write of the bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "bench/ide/BenchFiles.h"
#include "ide/text/Document.h"

namespace {

using zeb::bench::Source;
using zeb::bench::TempFile;

// Open a file of state.range(0) lines and save it (saving writes a temporary file, syncs it and
// renames it over the file).
void BM_OpenSave(benchmark::State& state) {
  TempFile file("Bench.pas", Source(state.range(0)));
  for (auto _ : state) {
    const auto doc = zeb::Document::Open(file.Path());
    doc->Save();
  }
}
BENCHMARK(BM_OpenSave)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The reference: one read of the file into a new buffer and one write of it to a new file,
// synced like a save.
void BM_ReadWrite(benchmark::State& state) {
  TempFile file("Bench.pas", Source(state.range(0)));
  const std::string copy = file.Path() + ".copy";
  for (auto _ : state) {
    const int in = ::open(file.Path().c_str(), O_RDONLY);
    struct stat st {};
    ::fstat(in, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    auto bytes = std::make_unique_for_overwrite<char[]>(size);
    const bool readAll = ::read(in, bytes.get(), size) == static_cast<ssize_t>(size);
    ::close(in);
    const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool wroteAll = ::write(out, bytes.get(), size) == static_cast<ssize_t>(size);
    ::fsync(out);
    ::close(out);
    if (!readAll || !wroteAll) state.SkipWithError("short read or write");
  }
  ::unlink(copy.c_str());
}
BENCHMARK(BM_ReadWrite)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
