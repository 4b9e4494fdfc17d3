// HostObserver: how zeb-host shows what the IDE reports. Faults and dialogs go to the output,
// in order with the script's own output; messages (packages that did not load) to the error
// stream.
//
// What an add-in hands over (a dialog's caption and lines, a fault's text) is printed with its
// control characters escaped, so that each is one output line and none can pass for another:
// a backslash as \\, a line break as \n, a carriage return as \r, a tab as \t, any other byte
// below 0x20 and 0x7F as \xHH. Other bytes, UTF-8 included, are printed as they are.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "ide/core/IdeObserver.h"

namespace zeb {

class HostObserver final : public zeb::IdeObserver {
 public:
  HostObserver(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

  // "fault WHERE: CLASS: MESSAGE"
  void OnFault(const zeb::Fault& fault) override;
  // "dialog CAPTION", each line of each memo, then "end dialog"; closes with mrOk.
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;

  // The text with its control characters escaped, as above.
  static std::string Escaped(std::string_view text);

 private:
  std::FILE* out_;
  std::FILE* err_;
};

}  // namespace zeb
