// Helpers shared by the IDE tests: temporary folders, whole-file reads and writes, and an
// observer that records what the IDE reports.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ide/core/IdeObserver.h"

namespace zeb::test {

// A fresh folder in the system's temporary folder ($TMPDIR, else /tmp; %TMP% on Windows), removed
// with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const noexcept { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Paths are UTF-8.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// How many entries the folder holds.
std::size_t FilesIn(const std::string& folder);
// Whether a library whose file is named `fileName` is loaded into this process
// (TestSupportPosix.cpp, TestSupportWin32.cpp).
bool LibraryLoaded(const std::string& fileName);

class RecordingObserver final : public zeb::IdeObserver {
 public:
  void OnFault(const zeb::Fault& fault) override { faults.push_back(fault); }
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override { messages.push_back(text); }
  void OnPaint(zeb::EditView&) override { ++paints; }

  std::vector<zeb::Fault> faults;
  std::vector<std::string> messages;
  std::vector<std::string> dialogCaptions;
  std::vector<std::string> dialogLines;  // the memo lines of the last dialog
  int paints = 0;
};

}  // namespace zeb::test
