// FormDialog: a form of the form library shown as a modal GTK dialog over Geany's window, drawn
// from the form's stored layout as zeb-ide draws it: the caption, a fixed frame for a dialog
// border, the client area at the form's size, each memo at its place with its scroll bars,
// wrapping, read-only flag and text, in the form's font (Korean system fonts substituted by an
// installed one in which "." and "," stay apart), centred over Geany's window for a centred form.
//
// The dialog closes with Escape or the window's close control (both the form library's
// "cancel"); what the user typed into a memo goes back into the form's memo; the dialog's widgets
// are freed before ShowFormDialog returns.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/Forms.h"

typedef struct _GtkWindow GtkWindow;

namespace zeb {

TModalResult ShowFormDialog(TForm& form, GtkWindow* parent);

// The family a form's font name is drawn with: the first installed substitute of a Korean system
// font (Noto Sans CJK KR before Nanum, which draws "." like "," at the dialog's 12 pixels), DejaVu
// Sans for Tahoma, any other name as it is. `installed` says whether a family is installed.
std::string SubstituteFontFamily(std::string_view name,
                                 const std::function<bool(std::string_view)>& installed);

}  // namespace zeb
