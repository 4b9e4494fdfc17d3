// MessageWindow: how the Geany bridge tells the user what happened: in the Messages tab of Geany's
// message window (a fault or a package that did not load in red, an add-in's message in the
// usual colour), with the same line in the status bar, which Geany also keeps in its Status tab.
// For a problem the message window's tab is switched to; the focus stays where it is, so that
// typing goes on in the editor.
//
// Text from outside (what an add-in raised, a file's name) is shown as VisibleText makes it, one
// line each. When ZEB_GEANY_LOG names a file, every line shown is also appended to it, for
// diagnosing a setup that is not seen (a test, a machine without a display).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace zeb {

class MessageWindow {
 public:
  MessageWindow();

  enum class Kind { Note, Message, Problem };
  // Shows "zeb-geany: TEXT": a problem, or an add-in's message, in the message window and the
  // status bar, a note in the status bar and Geany's Status tab only.
  void Show(Kind kind, const std::string& text);

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> log_;
};

}  // namespace zeb
