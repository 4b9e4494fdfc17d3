// HostObserver: how zeb-host shows what the IDE reports. Faults and dialogs go to the output,
// in order with the script's own output; messages (packages that did not load) to the error
// stream.
#pragma once

#include <cstdio>
#include <string>

#include "ide/core/IdeObserver.h"

namespace zebhost {

class HostObserver final : public zebide::IdeObserver {
 public:
  HostObserver(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

  // "fault WHERE: CLASS: MESSAGE"
  void OnFault(const zebide::Fault& fault) override;
  // "dialog CAPTION", each line of each memo as it is, then "end dialog"; closes with mrOk.
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;

  int Messages() const noexcept { return messages_; }

 private:
  std::FILE* out_;
  std::FILE* err_;
  int messages_ = 0;
};

}  // namespace zebhost
