#include "testkit/TestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "ide/text/Utf8Path.h"
#include "runtime/Controls.h"

namespace zeb::test {

TempDir::TempDir() {
  namespace fs = std::filesystem;
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "zeb-ide-test-";
    for (int i = 0; i < 6; ++i)
      name += kLetters[pick(device)];
    std::error_code error;
    if (fs::create_directory(base / name, error)) {
      path_ = zeb::Utf8FromPath(base / name);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder in " + zeb::Utf8FromPath(base));
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(zeb::PathFromUtf8(path_), error);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(zeb::PathFromUtf8(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(zeb::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::size_t FilesIn(const std::string& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(zeb::PathFromUtf8(folder)))
    ++n;
  return n;
}

TModalResult RecordingObserver::OnDialog(TForm& form) {
  dialogCaptions.push_back(form.Caption);
  dialogLines.clear();
  for (TControl* control : form.Controls())
    if (const auto* memo = dynamic_cast<const TMemo*>(control)) dialogLines = memo->Lines.Lines();
  return mrOk;
}

}  // namespace zeb::test
