#include "viewer/window/TraceTableModel.h"

#include <QBrush>
#include <QPainter>

namespace zeb {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor Colour(std::uint32_t rgb) {
  return QColor::fromRgb(static_cast<QRgb>(rgb));
}

}  // namespace

TraceTableModel::TraceTableModel(QObject* parent)
    : QAbstractTableModel(parent), store_(std::make_unique<TraceStore>()) {
  bookmark_ = QPixmap(10, 10);
  bookmark_.fill(Qt::transparent);
  QPainter painter(&bookmark_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x2a, 0x6f, 0xdb));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(1, 1, 8, 8);
}

std::size_t TraceTableModel::Add(const std::deque<TraceMessage>& messages) {
  for (const TraceMessage& m : messages)
    store_->Add(m);
  return Update();
}

std::size_t TraceTableModel::Update() {
  const std::size_t gone = shown_.Dropped(*store_);
  if (gone > 0) {
    beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
    shown_.ForgetDropped(*store_);
    endRemoveRows();
  } else {
    shown_.ForgetDropped(*store_);
  }
  if (paused_) return gone;
  const std::vector<TraceStore::Serial> rows = shown_.JudgeNew(*store_, rules_);
  if (rows.empty()) return gone;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  shown_.Append(rows);
  endInsertRows();
  return gone;
}

void TraceTableModel::SetRules(TraceRuleSet rules) {
  beginResetModel();
  rules_ = std::move(rules);
  // Paused, only the messages that had come before the pause get rows; the rest get theirs when
  // it ends.
  shown_.Refilter(*store_, rules_, paused_ ? pausedAt_ : TraceShownList::kAll);
  endResetModel();
}

void TraceTableModel::Replace(std::unique_ptr<TraceStore> store, TraceRuleSet rules) {
  beginResetModel();
  store_ = std::move(store);
  rules_ = std::move(rules);
  shown_ = TraceShownList();
  shown_.Refilter(*store_, rules_);
  pausedAt_ = store_->End();
  anchor_.reset();
  endResetModel();
}

void TraceTableModel::SetPaused(bool paused) {
  if (paused && !paused_) pausedAt_ = shown_.NextToJudge();
  paused_ = paused;
  if (!paused_) Update();
}

void TraceTableModel::Clear() {
  beginResetModel();
  store_->Clear();
  shown_.Refilter(*store_, rules_);
  pausedAt_ = store_->End();
  anchor_.reset();
  endResetModel();
}

void TraceTableModel::SetLimits(TraceStoreLimits limits) {
  store_->SetLimits(limits);
  Update();
}

void TraceTableModel::SetTimeMode(TimeMode mode) {
  timeMode_ = mode;
  emit headerDataChanged(Qt::Horizontal, kTime, kTime);
  if (rowCount() > 0) emit dataChanged(index(0, kTime), index(rowCount() - 1, kTime));
}

void TraceTableModel::SetAnchor(std::optional<TraceStore::Serial> anchor) {
  anchor_ = anchor;
  if (anchor_ && *anchor_ >= store_->First() && *anchor_ < store_->End()) {
    anchorMicros_ = store_->At(*anchor_).micros;
  }
  if (timeMode_ == TimeMode::SinceAnchor) SetTimeMode(timeMode_);
}

int TraceTableModel::RowOf(TraceStore::Serial s) const {
  const std::size_t row = shown_.RowAtOrAfter(s);
  return row < shown_.Size() && shown_.At(row) == s ? static_cast<int>(row) : -1;
}

void TraceTableModel::ToggleBookmark(int row) {
  const TraceStore::Serial s = SerialAt(row);
  store_->SetFlags(s, store_->At(s).flags ^ TraceStore::kBookmark);
  emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

bool TraceTableModel::Bookmarked(int row) const {
  return (store_->At(SerialAt(row)).flags & TraceStore::kBookmark) != 0;
}

QString TraceTableModel::Lines(const QList<int>& rows) const {
  std::string text;
  for (const int row : rows) {
    store_->AppendLine(text, store_->At(SerialAt(row)));
    text += '\n';
  }
  return FromUtf8(text);
}

int TraceTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.Size());
}

int TraceTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QString TraceTableModel::Time(const TraceStore::Entry& e) const {
  if (timeMode_ == TimeMode::Clock)
    return QString::fromLatin1(LocalTimeWithMillis(TraceStore::Time(e)));
  std::int64_t from = store_->Count() > 0 ? store_->At(store_->First()).micros : e.micros;
  if (timeMode_ == TimeMode::SinceAnchor && anchor_) from = anchorMicros_;
  const std::int64_t micros = e.micros - from;
  const std::int64_t magnitude = micros < 0 ? -micros : micros;
  return QStringLiteral("%1%2.%3")
      .arg(micros < 0 ? QLatin1Char('-') : QLatin1Char('+'))
      .arg(magnitude / 1'000'000)
      .arg(magnitude % 1'000'000, 6, 10, QLatin1Char('0'));
}

QVariant TraceTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TraceStore::Serial serial = SerialAt(index.row());
  const TraceStore::Entry& e = store_->At(serial);
  switch (role) {
    case Qt::DisplayRole: {
      switch (index.column()) {
        case kNumber:
          return QString::number(serial);
        case kTime:
          return Time(e);
        case kPid:
          return QString::number(store_->SenderOf(e).pid);
        case kProcess:
          return FromUtf8(store_->SenderOf(e).name);
        case kMessage:
          return FromUtf8(SplitTraceContext(store_->Text(e)).text);
        case kContext:
          return FromUtf8(SplitTraceContext(store_->Text(e)).context);
        default:
          return {};
      }
    }
    case Qt::DecorationRole:
      if (index.column() == kNumber && (e.flags & TraceStore::kBookmark) != 0) return bookmark_;
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kNumber || index.column() == kPid) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
      const TraceRule* rule = rules_.Highlight(store_->Text(e), store_->SenderOf(e).name);
      const std::uint32_t colour =
          rule == nullptr ? kNoColour
                          : (role == Qt::ForegroundRole ? rule->foreground : rule->background);
      if (colour != kNoColour) return QBrush(Colour(colour));
      if (role == Qt::BackgroundRole && (e.flags & TraceStore::kBookmark) != 0) {
        return QBrush(QColor(0xdd, 0xe8, 0xfb));
      }
      return {};
    }
    default:
      return {};
  }
}

QVariant TraceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kNumber:
      return tr("#");
    case kTime:
      return timeMode_ == TimeMode::Clock ? tr("Time") : tr("Time (s)");
    case kPid:
      return tr("PID");
    case kProcess:
      return tr("Process");
    case kMessage:
      return tr("Message");
    case kContext:
      return tr("Context");
    default:
      return {};
  }
}

}  // namespace zeb
