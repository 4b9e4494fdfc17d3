// What the IDE benchmarks share: generated sources in a temporary folder and a quiet observer.
#pragma once

#include <cstdint>
#include <string>

#include "ide/core/IdeObserver.h"

namespace zeb::bench {

// `lines` lines of Pascal of about 41 bytes each, every tenth one empty, LF line ends.
std::string Source(std::int64_t lines);

// A file holding `bytes` in a temporary folder, removed with the folder at the end.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
};

class QuietObserver final : public zeb::IdeObserver {
 public:
  void OnFault(const zeb::Fault& fault) override;
  TModalResult OnDialog(TForm&) override { return mrOk; }
  void OnMessage(const std::string& text) override;
};

}  // namespace zeb::bench
