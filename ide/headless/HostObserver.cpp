#include "ide/headless/HostObserver.h"

#include "runtime/Controls.h"
#include "runtime/VisibleText.h"

namespace zeb {

void HostObserver::OnFault(const zeb::Fault& fault) {
  ++problems_;
  const std::string line = "fault " + VisibleText(fault.where) + ": " +
                           VisibleText(fault.className) + ": " + VisibleText(fault.message);
  out_->Line(line);
  if (strict_) OnMessage("error: " + line);
}

TModalResult HostObserver::OnDialog(TForm& form) {
  out_->Line("dialog " + VisibleText(form.Caption));
  for (TControl* control : form.Controls())
    if (const auto* memo = dynamic_cast<const TMemo*>(control))
      for (const std::string& line : memo->Lines.Lines())
        out_->Line(VisibleText(line));
  out_->Line("end dialog");
  return mrOk;
}

void HostObserver::OnAddinMessage(const std::string& text) {
  out_->Line("message " + VisibleText(text));
}

void HostObserver::OnAddinWarning(const zeb::AddinWarning& warning) {
  ++problems_;
  OnMessage((strict_ ? "error: " : "warning: ") + warning.text);
}

void HostObserver::OnMessage(const std::string& text) {
  out_->Flush();
  const std::string line = "zeb-host: " + VisibleText(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), err_);
}

}  // namespace zeb
