// The viewer's end of the trace channel on Win32: the hidden top-level window of class
// "TFormTrace" that senders find with FindWindowA and send WM_COPYDATA records to.
//
// Each record is checked before it is handed on: its length within kTraceMaxRecord, its last
// byte the text's NUL. A sound one is answered TRUE, a bad one is reported as a problem and
// answered FALSE, which the sender's transport takes as refused. The record's dwData is taken as
// the sender's process id (TRACE puts it there), and the name shown is that process's program,
// "?" when there is none to be found.
//
// One viewer at a time: a window of that class already there, another program's too, makes the
// constructor raise ViewerError; two viewers starting at once are kept apart by a mutex of this
// session's that the window's owner holds.
#pragma once

#include <windows.h>

#include <exception>

#include "viewer/Viewer.h"

namespace zeb {

class TraceWindowServer {
 public:
  // Creates the window, owned by the calling thread, which must then Run.
  TraceWindowServer();
  ~TraceWindowServer();  // destroys the window
  TraceWindowServer(const TraceWindowServer&) = delete;
  TraceWindowServer& operator=(const TraceWindowServer&) = delete;

  HWND Window() const { return window_; }

  // Pumps the thread's messages until Stop; rethrows what a handler raised (which also stops it).
  void Run(const ViewerHandlers& handlers);
  // Makes Run return soon: callable from any thread, a console control handler's too.
  void Stop() noexcept;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Receive(const COPYDATASTRUCT& data) noexcept;

  HANDLE mutex_ = nullptr;
  HWND window_ = nullptr;
  const ViewerHandlers* handlers_ = nullptr;  // while Run runs
  std::exception_ptr failure_;
};

}  // namespace zeb
