// DisplayCheck: zeb-ide without a display. Qt's platform plugin, when it cannot connect to one,
// prints several lines of its own and aborts the program. While a DisplayCheck lives (around the
// construction of the QApplication) Qt's messages are held back; a fatal one, which means the
// window system could not be reached, becomes the one line
//   zeb-ide: cannot connect to a display; zeb-host runs without one
// and exit status 1. Done() lets the held messages through once the application has a display.
#pragma once

namespace zeb {

class DisplayCheck {
 public:
  DisplayCheck();
  ~DisplayCheck() { Done(); }
  DisplayCheck(const DisplayCheck&) = delete;
  DisplayCheck& operator=(const DisplayCheck&) = delete;

  void Done();
};

}  // namespace zeb
