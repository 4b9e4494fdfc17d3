// What the trace views remember between runs, in the user's settings ("zeb-ide/zeb-trace"): the
// rules, the bounds on held messages, the columns (the table header's state), the time column's
// mode, autoscroll, and the window's geometry. A live view (the window, zeb-ide's panel) reads
// and writes them; a log opened keeps its own rules.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <vector>

#include "viewer/TraceRules.h"
#include "viewer/TraceStore.h"

namespace zeb {

class TraceSettings {
 public:
  TraceSettings();

  std::vector<TraceRule> Rules() const;
  void SetRules(const std::vector<TraceRule>& rules);
  TraceStoreLimits Limits() const;
  void SetLimits(const TraceStoreLimits& limits);
  QByteArray Value(const QString& key) const;
  void SetValue(const QString& key, const QByteArray& value);
  int Number(const QString& key, int fallback) const;
  void SetNumber(const QString& key, int value);

 private:
  mutable QSettings settings_;
};

}  // namespace zeb
