#include "ide/qt/EditorAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>

#include "ide/qt/EditorWidget.h"

namespace zeb {

namespace {

QAccessibleInterface* PlainEditorWhileInactive(const QString& className, QObject* object) {
  // Asked for each class of the object from the most derived on: only this one is decided here.
  if (className != QLatin1String(EditorWidget::staticMetaObject.className())) return nullptr;
  if (QAccessible::isActive() || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
}

class Activation final : public QAccessible::ActivationObserver {
 public:
  void accessibilityActiveChanged(bool active) override {
    if (!active) return;
    for (QWidget* widget : QApplication::allWidgets()) {
      if (qobject_cast<EditorWidget*>(widget) == nullptr) continue;
      if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    }
  }
};

}  // namespace

void InstallEditorAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(PlainEditorWhileInactive);
    static Activation activation;
    QAccessible::installActivationObserver(&activation);
    return true;
  }();
  (void)installed;
}

}  // namespace zeb
