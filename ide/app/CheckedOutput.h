// CheckedOutput: a stream a front end's results go to, with every write and flush checked.
//
// Results that did not arrive are no success: a full disk or a closed file must end the program
// with an error, not exit status 0. Writes never raise, since they happen inside the IDE's calls
// (a dialog printed while an add-in waits for it); the first failure is kept, later writes are
// dropped, and the program asks Check where it can stop.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/Exceptions.h"

namespace zeb {

// A program's output that could not be written: "cannot write standard output: REASON".
class EOutputError final : public EInOutError {
 public:
  using EInOutError::EInOutError;
  const char* ClassName() const noexcept override { return "EOutputError"; }
};

class CheckedOutput {
 public:
  // `name` says which stream the messages are about.
  explicit CheckedOutput(std::FILE* stream, std::string name = "standard output")
      : stream_(stream), name_(std::move(name)) {}
  CheckedOutput(const CheckedOutput&) = delete;
  CheckedOutput& operator=(const CheckedOutput&) = delete;

  void Write(std::string_view bytes) noexcept;
  // The text and a line feed.
  void Line(std::string_view text) noexcept;
  void Flush() noexcept;

  bool Failed() const noexcept { return error_ != 0; }
  // "cannot write standard output: No space left on device"
  std::string Reason() const;
  // Raises EOutputError with Reason() once a write or flush has failed.
  void Check() const;

 private:
  void Failure() noexcept;

  std::FILE* stream_;
  std::string name_;
  int error_ = 0;  // the errno of the first failure
};

}  // namespace zeb
