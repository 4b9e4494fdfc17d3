#include "ide/headless/HostObserver.h"

#include "runtime/Controls.h"

namespace zeb {

namespace {
void Put(std::FILE* out, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out);
  std::fputc('\n', out);
}
}  // namespace

std::string HostObserver::Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (byte < 0x20 || byte == 0x7F)
      out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    else
      out += c;
  }
  return out;
}

void HostObserver::OnFault(const zeb::Fault& fault) {
  Put(out_, "fault " + Escaped(fault.where) + ": " + Escaped(fault.className) + ": " +
                Escaped(fault.message));
}

TModalResult HostObserver::OnDialog(TForm& form) {
  Put(out_, "dialog " + Escaped(form.Caption));
  for (TControl* control : form.Controls())
    if (const auto* memo = dynamic_cast<const TMemo*>(control))
      for (const std::string& line : memo->Lines.Lines())
        Put(out_, Escaped(line));
  Put(out_, "end dialog");
  return mrOk;
}

void HostObserver::OnMessage(const std::string& text) {
  std::fflush(out_);
  Put(err_, "zeb-host: " + text);
}

}  // namespace zeb
