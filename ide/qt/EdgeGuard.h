// EdgeGuard: the places where Qt's event loop calls the window, and so the IDE core: a key
// press, a change the editor component makes to the text, a menu command. An exception must not
// pass them: Qt cannot carry it through its event loop (and the component would be left half-way
// through a change). RunAtEdge runs such work and turns an exception leaving it into a report to
// the user ("Typing in Unit1.pas failed: ..."); the window goes on.
//
// The window installs where reports go (its message boxes); without one they go to stderr.
#pragma once

#include <QString>
#include <functional>

namespace zeb {

using EdgeReporter = std::function<void(const QString& title, const QString& text)>;

void SetEdgeReporter(EdgeReporter reporter);

enum class ReportTime {
  Now,    // from an event handler: a message box may run its own event loop here
  Later,  // from inside the editor component's own calls: reported once they have returned
};

// Runs `work`; false when an exception left it, which was reported as `what` failing.
bool RunAtEdge(const QString& what, const std::function<void()>& work,
               ReportTime when = ReportTime::Now) noexcept;

}  // namespace zeb
