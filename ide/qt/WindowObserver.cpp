#include "ide/qt/WindowObserver.h"

#include <QStatusBar>

#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

void WindowObserver::OnFault(const Fault& fault) {
  window_.Report(MainWindow::tr("Add-in error"),
                 MainWindow::tr("%1 raised %2:\n%3")
                     .arg(Q(fault.where), Q(fault.className), Q(fault.message)));
}

TModalResult WindowObserver::OnDialog(TForm& form) {
  return window_.Presenter().ShowModal(form);
}

void WindowObserver::OnMessage(const std::string& text) {
  window_.Report(MainWindow::tr("ZEB IDE"), Q(text));
}

void WindowObserver::OnAddinMessage(const std::string& text) {
  window_.statusBar()->showMessage(Q(text), 5000);
}

void WindowObserver::OnDocumentChanged(Document& document, const TextChange& change) {
  window_.ShowChange(document, change);
}

void WindowObserver::OnPaint(EditView& view) {
  window_.Repaint(view);
}

void WindowObserver::OnTopViewChanged(EditView& view) {
  window_.ShowTopView(view);
}

}  // namespace zeb
