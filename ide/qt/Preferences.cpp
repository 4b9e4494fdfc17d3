#include "ide/qt/Preferences.h"

#include <QFontDatabase>
#include <QSettings>

#include "ide/app/Ide.h"

namespace zeb {

namespace {

constexpr int kMaxFontSize = 200;
constexpr int kMaxZoom = 20;  // the editor component's own limits
constexpr int kMinZoom = -10;

const QString kFont = QStringLiteral("editor/font");
const QString kFontSize = QStringLiteral("editor/fontSize");
const QString kTabWidth = QStringLiteral("editor/tabWidth");
const QString kTabInsertsSpaces = QStringLiteral("editor/tabInsertsSpaces");
const QString kShowWhitespace = QStringLiteral("editor/showWhitespace");
const QString kWrapLines = QStringLiteral("editor/wrapLines");
const QString kZoom = QStringLiteral("editor/zoom");
const QString kReopenFiles = QStringLiteral("session/reopenFiles");

// A whole number from the settings within [low, high], or `fallback`.
int Within(const QSettings& settings, const QString& key, int low, int high, int fallback) {
  bool ok = false;
  const int value = settings.value(key).toInt(&ok);
  return ok && value >= low && value <= high ? value : fallback;
}

}  // namespace

QFont Preferences::Font() const {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!fontFamily.isEmpty()) font.setFamily(fontFamily);
  if (fontSize > 0) font.setPointSize(fontSize);
  return font;
}

Preferences Preferences::Load() {
  const QSettings settings;
  const Preferences defaults;
  Preferences p;
  p.fontFamily = settings.value(kFont).toString();
  p.fontSize = Within(settings, kFontSize, 1, kMaxFontSize, defaults.fontSize);
  p.tabWidth = Within(settings, kTabWidth, 1, Ide::kMaxTabWidth, defaults.tabWidth);
  p.tabInsertsSpaces = settings.value(kTabInsertsSpaces, defaults.tabInsertsSpaces).toBool();
  p.showWhitespace = settings.value(kShowWhitespace, defaults.showWhitespace).toBool();
  p.wrapLines = settings.value(kWrapLines, defaults.wrapLines).toBool();
  p.reopenFiles = settings.value(kReopenFiles, defaults.reopenFiles).toBool();
  return p;
}

void Preferences::Save() const {
  QSettings settings;
  settings.setValue(kFont, fontFamily);
  settings.setValue(kFontSize, fontSize);
  settings.setValue(kTabWidth, tabWidth);
  settings.setValue(kTabInsertsSpaces, tabInsertsSpaces);
  settings.setValue(kShowWhitespace, showWhitespace);
  settings.setValue(kWrapLines, wrapLines);
  settings.setValue(kReopenFiles, reopenFiles);
}

int LoadZoom() {
  return Within(QSettings(), kZoom, kMinZoom, kMaxZoom, 0);
}

void SaveZoom(int zoom) {
  QSettings().setValue(kZoom, zoom);
}

}  // namespace zeb
