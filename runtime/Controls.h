// Visual controls of the form library: a control's place on its form and the memo.
#pragma once

#include <cstdint>
#include <string>

#include "api/Export.h"
#include "runtime/Classes.h"

namespace zeb {

class TForm;

class ZEB_RTL_API TControl : public TComponent {
 public:
  using TComponent::TComponent;
  ~TControl() override;

  // The form the control is placed on; it also draws the control.
  TForm* Parent = nullptr;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t TabOrder = 0;
};

enum class TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line text control whose lines are a string list.
class ZEB_RTL_API TMemo : public TControl {
 public:
  using TControl::TControl;
  ~TMemo() override;

  TStrings Lines;
  TScrollStyle ScrollBars = TScrollStyle::ssNone;
  bool ReadOnly = false;
  bool WordWrap = true;
  std::string ImeName;
};

}  // namespace zeb
