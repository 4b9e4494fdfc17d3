// IdeObserver: what a front end hears from the IDE core. The core calls it on its own thread,
// one call at a time.
#pragma once

#include <string>

#include "ide/text/TextChange.h"
#include "runtime/Forms.h"

namespace zeb {

class Document;
class EditView;

// An exception that left an add-in, caught at the IDE's boundary.
struct Fault {
  std::string where;      // what the IDE was calling: "Register of X.so", "key Tab 0x0009", ...
  std::string className;  // the exception's class
  std::string message;
};

class IdeObserver {
 public:
  virtual ~IdeObserver() = default;

  // An add-in raised; the IDE has caught it and goes on.
  virtual void OnFault(const Fault& fault) = 0;
  // Shows a modal form (an add-in's dialog) and returns once the user has closed it.
  virtual TModalResult OnDialog(TForm& form) = 0;
  // A message for the user, such as why a package was not loaded.
  virtual void OnMessage(const std::string& text) = 0;

  // The text of a document changed (an edit, undo, redo) or it was saved; `change` says which
  // bytes and lines were replaced.
  virtual void OnDocumentChanged(Document& /*document*/, const TextChange& /*change*/) {}
  // A view asked to be drawn again (its Paint).
  virtual void OnPaint(EditView& /*view*/) {}
  // Another view became the top view.
  virtual void OnTopViewChanged(EditView& /*view*/) {}
};

}  // namespace zeb
