#include "addin/hotkeys/ShowFormInfo.h"

#include <memory>

#include "addin/info/Form_Info.h"

using namespace zeb;

void ShowFormInfo() {
  // The application owns the dialog while it exists; it is freed on every path, a failed display
  // included, so that no form of this package outlives a call.
  const std::unique_ptr<TFormInfo> form(CreateForm<TFormInfo>(Application));
  form->ShowModal();  // the modal result does not matter
}
