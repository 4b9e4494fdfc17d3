#include "addin/info/Form_Info.h"

#include "addin/info/FormInfoLayout.h"
#include "runtime/SysUtils.h"

using namespace zeb;

TFormInfo::TFormInfo(TComponent* owner) : TForm(owner), Memo1(LoadFormInfoLayout(*this)) {
  OnCreate = [this](TComponent* sender) { FormCreate(sender); };
}

TFormInfo::~TFormInfo() = default;

void TFormInfo::FormCreate(TComponent* /*sender*/) {
  Memo1->Lines.Clear();
  DispInfo();
}

void TFormInfo::add(const std::string& lineText) {
  Memo1->Lines.Add(lineText);
}

void TFormInfo::add(const std::string& label, const std::string& value) {
  add(label + kReportSeparator + value);
}

void TFormInfo::add(const std::string& label, std::int32_t value) {
  add(label + kReportSeparator + IntToStr(value));
}

void TFormInfo::add(const std::string& label, bool value) {
  add(label + kReportSeparator + (value ? "true" : "false"));
}
