// The table a trace view shows: the rows of a TraceShownList over a TraceStore, one column per
// field (number, time, process id, process, message, context suffix), coloured by the highlight
// rules, bookmarks marked. It holds the store and the rules; messages come in batches (Add), and
// the rows follow: new ones at the end unless paused, dropped ones from the front, all of them
// again when the rules change.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QPixmap>
#include <deque>
#include <memory>
#include <optional>

#include "viewer/TraceRules.h"
#include "viewer/TraceShownList.h"
#include "viewer/TraceStore.h"

namespace zeb {

class TraceTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNumber, kTime, kPid, kProcess, kMessage, kContext, kColumns };
  // How the time column reads: the clock, or seconds after the first held message or after the
  // anchor (the selected message).
  enum class TimeMode { Clock, SinceFirst, SinceAnchor };

  explicit TraceTableModel(QObject* parent = nullptr);

  TraceStore& Store() { return *store_; }
  const TraceStore& Store() const { return *store_; }
  const TraceShownList& Shown() const { return shown_; }
  const TraceRuleSet& Rules() const { return rules_; }

  // Takes messages into the store and brings the rows up to date; returns how many rows went
  // from the front (their messages dropped for the bounds).
  std::size_t Add(const std::deque<TraceMessage>& messages);
  // Brings the rows up to date with the store (after messages were added to it, or it was
  // bounded); returns as Add.
  std::size_t Update();
  // Judges every held message by the new rules.
  void SetRules(TraceRuleSet rules);
  // Shows these messages (a log's) instead, by these rules.
  void Replace(std::unique_ptr<TraceStore> store, TraceRuleSet rules);
  // While paused, new messages are kept and counted but get no rows.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  void Clear();
  void SetLimits(TraceStoreLimits limits);

  void SetTimeMode(TimeMode mode);
  TimeMode GetTimeMode() const { return timeMode_; }
  void SetAnchor(std::optional<TraceStore::Serial> anchor);

  TraceStore::Serial SerialAt(int row) const { return shown_.At(static_cast<std::size_t>(row)); }
  // The row showing message `s`, or -1.
  int RowOf(TraceStore::Serial s) const;
  void ToggleBookmark(int row);
  bool Bookmarked(int row) const;
  // The console's lines of these rows, each with its line end.
  QString Lines(const QList<int>& rows) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QString Time(const TraceStore::Entry& e) const;

  std::unique_ptr<TraceStore> store_;
  TraceShownList shown_;
  TraceRuleSet rules_;
  bool paused_ = false;
  TraceStore::Serial pausedAt_ = 1;  // the first message that came after the pause began
  TimeMode timeMode_ = TimeMode::Clock;
  std::optional<TraceStore::Serial> anchor_;
  std::int64_t anchorMicros_ = 0;
  QPixmap bookmark_;
};

}  // namespace zeb
