#include "addin/info/FormInfoLayout.h"

#include "addin/info/Form_Info.h"

using namespace zeb;

TMemo* LoadFormInfoLayout(TFormInfo& form) {
  form.Name = "FormInfo";
  form.Left = 0;
  form.Top = 0;  // overridden by the centring below
  form.BorderStyle = TFormBorderStyle::bsDialog;
  form.Position = TPosition::poScreenCenter;
  form.Caption = "Information...";
  form.ClientWidth = 782;
  form.ClientHeight = 462;
  form.Color = clBtnFace;
  form.Font.Charset = DEFAULT_CHARSET;
  form.Font.Color = clWindowText;
  form.Font.Height = -12;
  form.Font.Name = "굴림";
  form.Font.Style = TFontStyle::None;
  form.PixelsPerInch = 96;
  form.TextHeight = 12;

  auto* memo = new TMemo(&form);  // owned by the form
  memo->Name = "Memo1";
  memo->Left = 8;
  memo->Top = 24;
  memo->Width = 766;
  memo->Height = 417;
  memo->ImeName = "Microsoft IME 2003";
  memo->Lines.Add("Memo1");
  memo->ScrollBars = TScrollStyle::ssBoth;
  // Long report lines scroll sideways rather than wrap, so each line stays one line.
  memo->WordWrap = false;
  memo->TabOrder = 0;
  form.InsertControl(*memo);
  return memo;
}
