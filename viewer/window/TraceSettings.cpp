#include "viewer/window/TraceSettings.h"

#include <QStringList>

namespace zeb {

TraceSettings::TraceSettings()
    : settings_(QStringLiteral("zeb-ide"), QStringLiteral("zeb-trace")) {}

std::vector<TraceRule> TraceSettings::Rules() const {
  std::vector<TraceRule> rules;
  // A line this version cannot read (written by another, or edited by hand) is left out.
  for (const QString& line : settings_.value(QStringLiteral("rules")).toStringList()) {
    if (auto rule = RuleFromText(line.toStdString())) rules.push_back(std::move(*rule));
  }
  return rules;
}

void TraceSettings::SetRules(const std::vector<TraceRule>& rules) {
  QStringList lines;
  for (const TraceRule& rule : rules)
    lines << QString::fromStdString(RuleToText(rule));
  settings_.setValue(QStringLiteral("rules"), lines);
}

TraceStoreLimits TraceSettings::Limits() const {
  TraceStoreLimits limits;
  const auto messages = settings_.value(QStringLiteral("limits/messages")).toULongLong();
  const auto mebibytes = settings_.value(QStringLiteral("limits/mebibytes")).toULongLong();
  if (messages > 0) limits.messages = messages;
  if (mebibytes > 0) limits.bytes = mebibytes << 20;
  return limits;
}

void TraceSettings::SetLimits(const TraceStoreLimits& limits) {
  settings_.setValue(QStringLiteral("limits/messages"), QVariant::fromValue(limits.messages));
  settings_.setValue(QStringLiteral("limits/mebibytes"), QVariant::fromValue(limits.bytes >> 20));
}

QByteArray TraceSettings::Value(const QString& key) const {
  return settings_.value(key).toByteArray();
}

void TraceSettings::SetValue(const QString& key, const QByteArray& value) {
  settings_.setValue(key, value);
}

int TraceSettings::Number(const QString& key, int fallback) const {
  bool ok = false;
  const int value = settings_.value(key).toInt(&ok);
  return ok ? value : fallback;
}

void TraceSettings::SetNumber(const QString& key, int value) {
  settings_.setValue(key, value);
}

}  // namespace zeb
