// Session: what the window remembers of itself between runs, in the user's settings: its size
// and place (and its docks'), and the files open in its tabs, in their order, each with its
// panes' cursors and first lines shown and the sizes of their split, and the tab in front.
// Untitled documents have no file to reopen and are not kept; a file gone since is left out.
#pragma once

namespace zeb {

class MainWindow;

// Keeps the window's state and its tabs; as it closes.
void SaveSession(MainWindow& window);
// Gives the window its last size and place; before it shows.
void RestoreWindowState(MainWindow& window);
// Reopens the last session's files; the number reopened.
int ReopenSession(MainWindow& window);

}  // namespace zeb
