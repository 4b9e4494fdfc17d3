// HostObserver: how zeb-host shows what the IDE reports. Faults, dialogs and the messages add-ins
// show on the message line go to the output,
// in order with the script's own output; messages (packages that did not load, companions left
// out of a module) and warnings about add-ins (a key another package holds, references kept at
// unload) to the error stream.
//
// In strict mode, for add-in test suites, what an add-in did wrong is an error: each warning is
// printed as an error, each fault is also said on the error stream, and Problems() counts them
// so that zeb-host can end with a status of its own.
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
  HostObserver(CheckedOutput& out, std::FILE* err, bool strict = false)
      : out_(&out), err_(err), strict_(strict) {}

  // "fault WHERE: CLASS: MESSAGE"; in strict mode also "zeb-host: error: fault ..." on the
  // error stream.
  void OnFault(const zeb::Fault& fault) override;
  // "dialog CAPTION", each line of each memo, then "end dialog"; closes with mrOk.
  TModalResult OnDialog(TForm& form) override;
  // "zeb-host: TEXT" on the error stream, after what the output holds so far.
  void OnMessage(const std::string& text) override;
  // "message TEXT" on the output, in order with the script's own.
  void OnAddinMessage(const std::string& text) override;
  // "zeb-host: warning: TEXT", or "zeb-host: error: TEXT" in strict mode.
  void OnAddinWarning(const zeb::AddinWarning& warning) override;

  // The faults and warnings reported so far.
  int Problems() const noexcept { return problems_; }

 private:
  CheckedOutput* out_;
  std::FILE* err_;
  bool strict_;
  int problems_ = 0;
};

}  // namespace zeb
