// Preferences: the editor's settings the user chooses (Edit -> Preferences), kept in the user's
// settings (QSettings) between runs. Values read back out of range are taken as the defaults.
#pragma once

#include <QFont>
#include <QString>

namespace zeb {

struct Preferences {
  QString fontFamily;             // empty: the system's fixed-width font
  int fontSize = 0;               // in points; 0: the system font's size
  int tabWidth = 8;               // columns between tab stops
  bool tabInsertsSpaces = false;  // Tab with no block: spaces to the next stop, or a tab
  bool showWhitespace = false;
  bool wrapLines = false;
  bool reopenFiles = true;  // started without files, the window reopens the last session's

  // The editor's font.
  QFont Font() const;

  static Preferences Load();
  void Save() const;

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// The editor's zoom, in points added to the font size (Ctrl+wheel, Ctrl++, Ctrl+-, Ctrl+0), kept
// with the preferences.
int LoadZoom();
void SaveZoom(int zoom);

}  // namespace zeb
