// SearchHighlight: every match of the find bar's text marked, in every pane of the document
// searched, with a box behind the text. Only the lines the panes show are searched, again when a
// pane scrolls or the text changes, so that marking costs the same in a file of any size.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <utility>
#include <vector>

namespace zeb {

class EditorWidget;

class SearchHighlight final : public QObject {
  Q_OBJECT

 public:
  // The editor component's indicator that draws the marks.
  static constexpr int kIndicator = 8;

  explicit SearchHighlight(QObject* parent = nullptr) : QObject(parent) {}

  // Marks the matches of `needle` (the text as the screen holds it) found with `flags` (the
  // component's search flags) in the panes of `editor`'s document; nothing for an empty needle or
  // no editor. The marks follow scrolling and changes until Clear.
  void Show(EditorWidget* editor, const QByteArray& needle, int flags);
  void Clear();

  // The marked ranges (screen positions) in `editor`'s document, for tests.
  static std::vector<std::pair<long, long>> Marked(const EditorWidget& editor);

 private:
  void Mark();
  // What was marked last: the same is not marked again.
  struct Marking {
    QByteArray needle;
    int flags = 0;
    std::vector<std::pair<long, long>> lines;  // each pane's first and last line shown
    long length = -1;
    std::size_t version = 0;
    bool operator==(const Marking&) const = default;
  };
  Marking Wanted() const;

  QPointer<EditorWidget> editor_;
  QByteArray needle_;
  int flags_ = 0;
  Marking marked_;
  std::vector<QMetaObject::Connection> connections_;
};

}  // namespace zeb
