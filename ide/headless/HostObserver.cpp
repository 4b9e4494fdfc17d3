#include "ide/headless/HostObserver.h"

#include "runtime/Controls.h"

namespace zebhost {

namespace {
void Put(std::FILE* out, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out);
  std::fputc('\n', out);
}
}  // namespace

void HostObserver::OnFault(const zebide::Fault& fault) {
  Put(out_, "fault " + fault.where + ": " + fault.className + ": " + fault.message);
}

TModalResult HostObserver::OnDialog(TForm& form) {
  Put(out_, "dialog " + form.Caption);
  for (TControl* control : form.Controls())
    if (const auto* memo = dynamic_cast<const TMemo*>(control))
      for (const std::string& line : memo->Lines.Lines())
        Put(out_, line);
  Put(out_, "end dialog");
  return mrOk;
}

void HostObserver::OnMessage(const std::string& text) {
  ++messages_;
  std::fflush(out_);
  Put(err_, "zeb-host: " + text);
}

}  // namespace zebhost
