// WindowObserver: what the IDE core tells the window. Faults of add-ins and the IDE's messages
// become message boxes, an add-in's message-line text the status bar's message, add-in dialogs
// modal windows over the window; changes of a document's text, repaints and the top view go to the
// window's panes.
#pragma once

#include "ide/core/IdeObserver.h"

namespace zeb {

class MainWindow;

class WindowObserver final : public IdeObserver {
 public:
  explicit WindowObserver(MainWindow& window) : window_(window) {}

  void OnFault(const Fault& fault) override;
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;
  // An add-in's line for the message line: on the status bar for a while.
  void OnAddinMessage(const std::string& text) override;
  void OnDocumentChanged(Document& document, const TextChange& change) override;
  void OnPaint(EditView& view) override;
  void OnTopViewChanged(EditView& view) override;

 private:
  MainWindow& window_;
};

}  // namespace zeb
