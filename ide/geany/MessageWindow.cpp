#include "ide/geany/MessageWindow.h"

#include <geanyplugin.h>

#include <cstdlib>

#include "runtime/VisibleText.h"

namespace zeb {

namespace {
std::FILE* OpenLog() {
  const char* path = std::getenv("ZEB_GEANY_LOG");
  if (path == nullptr || path[0] == '\0') return nullptr;
  return std::fopen(path, "a");
}
}  // namespace

MessageWindow::MessageWindow() : log_(OpenLog(), [](std::FILE* f) { return std::fclose(f); }) {}

void MessageWindow::Show(Kind kind, const std::string& text) {
  const std::string line = "zeb-geany: " + VisibleText(text);
  if (kind == Kind::Problem) {
    msgwin_msg_add_string(COLOR_RED, -1, nullptr, line.c_str());
    msgwin_switch_tab(MSG_MESSAGE, FALSE);
  } else if (kind == Kind::Message) {
    msgwin_msg_add_string(COLOR_BLACK, -1, nullptr, line.c_str());
  }
  ui_set_statusbar(TRUE, "%s", line.c_str());
  if (log_) {
    std::fprintf(log_.get(), "%s\n", line.c_str());
    std::fflush(log_.get());
  }
}

}  // namespace zeb
