#include "ide/qt/StatusPanel.h"

#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include "ide/core/EditView.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"

namespace zeb {

StatusPanel::StatusPanel(QStatusBar& bar)
    : bar_(bar),
      position_(new QLabel(&bar)),
      tabWidth_(new QLabel(&bar)),
      encoding_(new QLabel(&bar)),
      lineEnd_(new QLabel(&bar)),
      modified_(new QLabel(&bar)) {
  for (QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
    bar.addPermanentWidget(label);
}

void StatusPanel::Show(const EditorWidget* pane) {
  if (pane == nullptr) {
    for (QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
      label->clear();
    return;
  }
  const TextPos at = pane->TextPosAt(pane->Caret());
  const int column = pane->CaretColumn();
  QString position = QLabel::tr("Ln %1, Col %2").arg(at.line).arg(column);
  if (at.col != column) position += QLabel::tr(" (byte %1)").arg(at.col);
  position_->setText(position);
  tabWidth_->setText(QLabel::tr("Tab %1").arg(pane->View()->TabWidth()));
  encoding_->setText(QString::fromLatin1(EncodingName(pane->Screen().Encoding())));
  lineEnd_->setText(pane->eolMode() == QsciScintilla::EolWindows ? QStringLiteral("CRLF")
                                                                 : QStringLiteral("LF"));
  modified_->setText(pane->View()->GetDocument().Modified() ? QLabel::tr("Modified") : QString());
}

QString StatusPanel::Text() const {
  QStringList parts;
  for (const QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
    if (!label->text().isEmpty()) parts << label->text();
  return parts.join(QStringLiteral(" | "));
}

void StatusPanel::Note(const QString& text) {
  bar_.showMessage(text, 3000);
}

}  // namespace zeb
