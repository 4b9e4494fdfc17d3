#include "ide/qt/ModalPresenter.h"

#include <QTimer>

#include "ide/qt/FormDialog.h"

namespace zeb {

TModalResult ModalPresenter::ShowModal(TForm& form) {
  FormDialog dialog(form, parent_);
  if (onShown) QTimer::singleShot(0, &dialog, [this, &dialog] { onShown(dialog); });
  const int result = dialog.exec();
  dialog.StoreIntoForm();
  // Closed with the window's close control: the form library's "cancel".
  return result == QDialog::Accepted ? mrOk : mrCancel;
}

}  // namespace zeb
