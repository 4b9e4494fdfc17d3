// IdeObserver: what a front end hears from the IDE core. The core calls it on its own thread,
// one call at a time.
#pragma once

#include <string>

#include "ide/text/TextChange.h"
#include "runtime/Forms.h"

namespace zeb {

class Document;
class EditView;

// What an add-in did that works but is most likely a mistake, told to its author: a key that
// another package already holds, references a package still holds when it is unloaded.
struct AddinWarning {
  std::string package;  // the package that did it
  std::string text;     // the whole message, naming the packages concerned
};

// An exception that left an add-in, caught at the IDE's boundary.
struct Fault {
  // What the IDE was calling: "Register", "key Tab 0x0009 in package P, binding B", ...
  std::string where;
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
  // A warning about an add-in, for its author; by default a message.
  virtual void OnAddinWarning(const AddinWarning& warning) { OnMessage(warning.text); }
  // A message an add-in shows on the editor's message or status line; by default a message.
  virtual void OnAddinMessage(const std::string& text) { OnMessage(text); }

  // The text of a document changed (an edit, undo, redo) or it was saved; `change` says which
  // bytes and lines were replaced.
  virtual void OnDocumentChanged(Document& /*document*/, const TextChange& /*change*/) {}
  // A view asked to be drawn again (its Paint).
  virtual void OnPaint(EditView& /*view*/) {}
  // Another view became the top view.
  virtual void OnTopViewChanged(EditView& /*view*/) {}
};

}  // namespace zeb
