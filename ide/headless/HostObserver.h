// HostObserver: how zeb-host shows what the IDE reports. Faults and dialogs go to the output,
// in order with the script's own output; messages (packages that did not load, companions left
// out of a module) to the error stream.
//
// What an add-in hands over (a dialog's caption and lines, a fault's text, a package's reason
// for not loading) and names from outside (files) are printed as VisibleText makes them, so that
// each is one line and none can pass for another or drive the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "ide/app/CheckedOutput.h"
#include "ide/core/IdeObserver.h"

namespace zeb {

class HostObserver final : public zeb::IdeObserver {
 public:
  HostObserver(CheckedOutput& out, std::FILE* err) : out_(&out), err_(err) {}

  // "fault WHERE: CLASS: MESSAGE"
  void OnFault(const zeb::Fault& fault) override;
  // "dialog CAPTION", each line of each memo, then "end dialog"; closes with mrOk.
  TModalResult OnDialog(TForm& form) override;
  // "zeb-host: TEXT" on the error stream, after what the output holds so far.
  void OnMessage(const std::string& text) override;

 private:
  CheckedOutput* out_;
  std::FILE* err_;
};

}  // namespace zeb
