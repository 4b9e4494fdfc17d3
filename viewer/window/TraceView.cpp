#include "viewer/window/TraceView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "trace/TraceSocketPath.h"
#include "viewer/TraceLogFile.h"
#include "viewer/Viewer.h"
#include "viewer/window/TraceRulesDialog.h"
#include "viewer/window/TraceSettings.h"

namespace zeb {

namespace {

// How often, at most, the view takes what came: a storm costs the window 25 turns and repaints a
// second (at 15 ms its painting took twice the CPU that the senders then lacked), and a single
// message still shows within a blink.
constexpr int kBatchMilliseconds = 40;
// The most messages the view takes into its table in one turn of the event loop, so that a turn
// stays short whatever has piled up.
constexpr std::size_t kSlice = 5'000;
constexpr std::size_t kProblemsKept = 100;

QString Count(std::uint64_t n) {
  return QLocale().toString(static_cast<qulonglong>(n));
}

QString Mebibytes(std::uint64_t bytes) {
  return QStringLiteral("%1 MiB").arg(static_cast<double>(bytes) / (1 << 20), 0, 'f', 1);
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TraceView::TraceView(bool live, QWidget* parent) : QWidget(parent), live_(live) {
  model_ = new TraceTableModel(this);
  table_ = new QTableView(this);
  table_->setModel(model_);
  table_->setObjectName(QStringLiteral("TraceTable"));
  table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setShowGrid(false);
  table_->setWordWrap(false);
  table_->setTextElideMode(Qt::ElideRight);
  table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  table_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Rows of one height, never measured: a million of them cost nothing to lay out.
  QHeaderView* rows = table_->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(QFontMetrics(table_->font()).height() + 4);
  QHeaderView* columns = table_->horizontalHeader();
  columns->setSectionsMovable(true);
  columns->setHighlightSections(false);
  columns->setContextMenuPolicy(Qt::CustomContextMenu);
  const int digit = QFontMetrics(table_->font()).horizontalAdvance(QLatin1Char('0'));
  columns->resizeSection(TraceTableModel::kNumber, digit * 9);
  columns->resizeSection(TraceTableModel::kTime, digit * 15);
  columns->resizeSection(TraceTableModel::kPid, digit * 8);
  columns->resizeSection(TraceTableModel::kProcess, digit * 16);
  columns->resizeSection(TraceTableModel::kMessage, digit * 80);
  columns->resizeSection(TraceTableModel::kContext, digit * 12);
  columns->setSectionResizeMode(TraceTableModel::kMessage, QHeaderView::Stretch);

  banner_ = new QLabel(this);
  banner_->setObjectName(QStringLiteral("TraceBanner"));
  banner_->setWordWrap(true);
  banner_->setMargin(6);
  banner_->setStyleSheet(QStringLiteral("background: #fff4d6; color: #5a4100;"));
  banner_->hide();
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("TraceStatus"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  MakeActions();

  toolBar_ = new QToolBar(this);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolBar_->addAction(actions_.pause);
  toolBar_->addAction(actions_.autoscroll);
  toolBar_->addAction(actions_.clear);
  toolBar_->addSeparator();
  quickFilter_ = new QLineEdit(this);
  quickFilter_->setObjectName(QStringLiteral("TraceQuickFilter"));
  quickFilter_->setPlaceholderText(tr("Filter: text the messages hold"));
  quickFilter_->setClearButtonEnabled(true);
  quickFilter_->setMaximumWidth(320);
  toolBar_->addWidget(quickFilter_);
  toolBar_->addAction(actions_.rules);
  toolBar_->addSeparator();
  toolBar_->addAction(actions_.find);
  toolBar_->addAction(actions_.saveAll);
  auto* timeButton = new QToolButton(this);
  timeButton->setText(tr("Time"));
  timeButton->setPopupMode(QToolButton::InstantPopup);
  auto* timeMenu = new QMenu(timeButton);
  timeMenu->addActions(actions_.time->actions());
  timeButton->setMenu(timeMenu);
  toolBar_->addWidget(timeButton);

  // A quick filter is applied once typing pauses.
  auto* filterTimer = new QTimer(this);
  filterTimer->setSingleShot(true);
  filterTimer->setInterval(150);
  connect(quickFilter_, &QLineEdit::textChanged, filterTimer, qOverload<>(&QTimer::start));
  connect(filterTimer, &QTimer::timeout, this, [this] { SetQuickFilter(quickFilter_->text()); });

  findBar_ = new QWidget(this);
  findText_ = new QLineEdit(findBar_);
  findText_->setObjectName(QStringLiteral("TraceFindText"));
  findText_->setPlaceholderText(tr("Find in messages"));
  findStatus_ = new QLabel(findBar_);
  auto* next = new QToolButton(findBar_);
  next->setDefaultAction(actions_.findNext);
  auto* previous = new QToolButton(findBar_);
  previous->setDefaultAction(actions_.findPrevious);
  auto* close = new QToolButton(findBar_);
  close->setText(tr("Close"));
  connect(close, &QToolButton::clicked, findBar_, &QWidget::hide);
  connect(findText_, &QLineEdit::returnPressed, this, [this] { actions_.findNext->trigger(); });
  auto* findLayout = new QHBoxLayout(findBar_);
  findLayout->setContentsMargins(4, 2, 4, 2);
  findLayout->addWidget(new QLabel(tr("Find:"), findBar_));
  findLayout->addWidget(findText_, 1);
  findLayout->addWidget(next);
  findLayout->addWidget(previous);
  findLayout->addWidget(findStatus_);
  findLayout->addWidget(close);
  findBar_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar_);
  layout->addWidget(banner_);
  layout->addWidget(table_, 1);
  layout->addWidget(findBar_);
  layout->addWidget(status_);

  for (QWidget* w : {static_cast<QWidget*>(table_), static_cast<QWidget*>(quickFilter_),
                     static_cast<QWidget*>(findText_)}) {
    w->installEventFilter(this);
  }

  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            model_->SetAnchor(current.isValid() ? std::optional(model_->SerialAt(current.row()))
                                                : std::nullopt);
          });
  connect(columns, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    for (int c = 0; c < TraceTableModel::kColumns; ++c) {
      QAction* a =
          menu.addAction(model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
      a->setCheckable(true);
      a->setChecked(!table_->isColumnHidden(c));
      connect(a, &QAction::toggled, this, [this, c](bool on) {
        table_->setColumnHidden(c, !on);
        SaveHeader();
      });
    }
    menu.exec(table_->horizontalHeader()->mapToGlobal(at));
  });
  connect(columns, &QHeaderView::sectionResized, this, [this] { SaveHeader(); });
  connect(columns, &QHeaderView::sectionMoved, this, [this] { SaveHeader(); });
  connect(table_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(actions_.copy);
    menu.addAction(actions_.toggleBookmark);
    const QModelIndex index = table_->indexAt(at);
    if (index.isValid()) {
      const TraceStore& store = model_->Store();
      const std::string name = store.SenderOf(store.At(model_->SerialAt(index.row()))).name;
      menu.addAction(tr("Hide Messages of %1").arg(Utf8(name)), this, [this, name] {
        TraceRule rule;
        rule.action = TraceRule::Action::Hide;
        rule.field = TraceRule::Field::Process;
        rule.caseSensitive = true;
        rule.regex = true;
        // A name is shown escaped; escaped characters stand for themselves in the pattern.
        std::string quoted = "^";
        for (const char c : name) {
          if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) quoted += '\\';
          quoted += c;
        }
        rule.pattern = quoted + "$";
        std::vector<TraceRule> rules = rules_;
        rules.push_back(rule);
        SetRules(std::move(rules));
      });
    }
    menu.addSeparator();
    menu.addAction(actions_.clear);
    menu.exec(table_->viewport()->mapToGlobal(at));
  });

  takeTimer_.setSingleShot(true);
  takeTimer_.setInterval(kBatchMilliseconds);
  connect(&takeTimer_, &QTimer::timeout, this, [this] { TakeBatch(); });

  if (live_) {
    const TraceSettings settings;
    rules_ = settings.Rules();
    model_->Store().SetLimits(settings.Limits());
    const QByteArray header = settings.Value(QStringLiteral("view/header"));
    if (!header.isEmpty()) columns->restoreState(header);
    const int time = settings.Number(QStringLiteral("view/time"), 0);
    if (time >= 0 && time < actions_.time->actions().size()) {
      actions_.time->actions()[time]->setChecked(true);
      model_->SetTimeMode(static_cast<TraceTableModel::TimeMode>(time));
    }
    actions_.autoscroll->setChecked(settings.Number(QStringLiteral("view/autoscroll"), 1) != 0);
  }
  model_->SetRules(TraceRuleSet(rules_));
  UpdateStatus();
}

TraceView::~TraceView() {
  // The receiver's thread stops before anything it hands over goes.
  receiver_.reset();
}

void TraceView::MakeActions() {
  const auto make = [this](const QString& text, const QKeySequence& key, auto slot) {
    auto* action = new QAction(text, this);
    if (!key.isEmpty()) action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
  };
  actions_.openLog = make(tr("&Open Log..."), QKeySequence::Open, [this] {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Trace Log"), {},
                                                      tr("Trace logs (*.ztrace);;All files (*)"));
    if (!path.isEmpty()) emit openLogRequested(path);
  });
  const auto save = [this](bool shownOnly) {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, shownOnly ? tr("Save Shown Messages") : tr("Save All Messages"), {},
        tr("Trace log, reopens with its rules (*.ztrace);;Text, the console's lines (*.txt *.log)"),
        &filter);
    if (path.isEmpty()) return;
    QString target = path;
    if (filter.contains(QStringLiteral("*.ztrace")) &&
        !target.endsWith(QStringLiteral(".ztrace"))) {
      target += QStringLiteral(".ztrace");
    }
    if (const auto why = Save(target, shownOnly)) {
      QMessageBox::warning(this, tr("Save"), *why);
    }
  };
  actions_.saveAll = make(tr("&Save All..."), QKeySequence::Save, [save] { save(false); });
  actions_.saveShown = make(tr("Save S&hown..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                            [save] { save(true); });
  actions_.copy = make(tr("&Copy"), QKeySequence::Copy, [this] {
    const QList<int> rows = SelectedRows();
    if (!rows.isEmpty()) QApplication::clipboard()->setText(model_->Lines(rows));
  });
  actions_.find = make(tr("&Find..."), QKeySequence::Find, [this] { ShowFindBar(); });
  const auto find = [this](bool backward) {
    if (findText_->text().isEmpty()) {
      ShowFindBar();
      return;
    }
    findStatus_->setText(Find(findText_->text(), backward) ? QString() : tr("not found"));
  };
  actions_.findNext = make(tr("Find &Next"), QKeySequence(Qt::Key_F3), [find] { find(false); });
  actions_.findPrevious =
      make(tr("Find &Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3), [find] { find(true); });
  actions_.toggleBookmark =
      make(tr("Toggle &Bookmark"), QKeySequence(Qt::CTRL | Qt::Key_F2), [this] {
        for (const int row : SelectedRows())
          model_->ToggleBookmark(row);
      });
  actions_.nextBookmark =
      make(tr("Next Bookmark"), QKeySequence(Qt::Key_F2), [this] { JumpToBookmark(false); });
  actions_.previousBookmark = make(tr("Previous Bookmark"), QKeySequence(Qt::SHIFT | Qt::Key_F2),
                                   [this] { JumpToBookmark(true); });
  actions_.clear = make(tr("C&lear"), QKeySequence(Qt::CTRL | Qt::Key_L), [this] { Clear(); });
  actions_.pause = make(tr("&Pause"), QKeySequence(Qt::CTRL | Qt::Key_P), [] {});
  actions_.pause->setCheckable(true);
  connect(actions_.pause, &QAction::toggled, this, [this](bool on) { SetPaused(on); });
  actions_.autoscroll = make(tr("&Autoscroll"), {}, [] {});
  actions_.autoscroll->setCheckable(true);
  actions_.autoscroll->setChecked(true);
  connect(actions_.autoscroll, &QAction::toggled, this, [this](bool on) {
    if (on) table_->scrollToBottom();
    if (live_) TraceSettings().SetNumber(QStringLiteral("view/autoscroll"), on ? 1 : 0);
  });
  actions_.rules = make(tr("&Rules..."), QKeySequence(Qt::CTRL | Qt::Key_R), [this] {
    RulesDialog()->show();
    rulesDialog_->raise();
    rulesDialog_->activateWindow();
  });
  actions_.limits = make(tr("&Limits..."), {}, [this] {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Messages Held"));
    auto* messages = new QSpinBox(&dialog);
    messages->setRange(1, 100'000'000);
    messages->setValue(static_cast<int>(model_->Store().GetLimits().messages));
    auto* mebibytes = new QSpinBox(&dialog);
    mebibytes->setRange(1, 1 << 20);
    mebibytes->setSuffix(tr(" MiB"));
    mebibytes->setValue(static_cast<int>(model_->Store().GetLimits().bytes >> 20));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(tr("Past either bound the oldest messages are dropped (and counted)."),
                            &dialog));
    form->addRow(tr("At most this many messages:"), messages);
    form->addRow(tr("At most this much text:"), mebibytes);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    SetLimits({static_cast<std::uint64_t>(messages->value()),
               static_cast<std::uint64_t>(mebibytes->value()) << 20});
  });
  actions_.problems = make(tr("Pro&blems..."), {}, [this] {
    QStringList lines;
    for (const QString& p : problems_)
      lines << p;
    QMessageBox::information(this, tr("Trace Problems"),
                             lines.isEmpty() ? tr("No record was refused or bad.")
                                             : tr("The last %1 of %2:\n\n%3")
                                                   .arg(lines.size())
                                                   .arg(problemCount_)
                                                   .arg(lines.join(QLatin1Char('\n'))));
  });
  actions_.time = new QActionGroup(this);
  const QString times[] = {tr("Clock Time"), tr("Seconds Since the First"),
                           tr("Seconds Since the Selected")};
  for (int i = 0; i < 3; ++i) {
    QAction* a = actions_.time->addAction(times[i]);
    a->setCheckable(true);
    a->setChecked(i == 0);
    connect(a, &QAction::triggered, this, [this, i] {
      model_->SetTimeMode(static_cast<TraceTableModel::TimeMode>(i));
      if (live_) TraceSettings().SetNumber(QStringLiteral("view/time"), i);
    });
  }
}

bool TraceView::eventFilter(QObject* watched, QEvent* event) {
  // The view's keys are taken before any window shortcut (zeb-ide has its own Ctrl+F and F3):
  // the focus is in the view, so they are meant for it.
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : QWidget::actions()) {
      if (!action->isEnabled() || !action->shortcuts().contains(pressed)) continue;
      // Copy in a text field is the field's.
      if (action == actions_.copy && watched != table_) continue;
      event->accept();
      if (event->type() == QEvent::KeyPress) action->trigger();
      return event->type() == QEvent::KeyPress;
    }
    if (watched == findText_ && key->key() == Qt::Key_Escape && event->type() == QEvent::KeyPress) {
      findBar_->hide();
      table_->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TraceView::ForPanel() {
  for (QAction* a : {actions_.openLog, actions_.saveAll, actions_.saveShown})
    a->setShortcut({});
  auto* more = new QToolButton(this);
  more->setText(tr("More"));
  more->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(more);
  menu->addActions({actions_.openLog, actions_.saveAll, actions_.saveShown});
  menu->addSeparator();
  menu->addActions({actions_.copy, actions_.findNext, actions_.findPrevious,
                    actions_.toggleBookmark, actions_.nextBookmark, actions_.previousBookmark});
  menu->addSeparator();
  menu->addActions({actions_.limits, actions_.problems});
  more->setMenu(menu);
  toolBar_->addWidget(more);
}

TraceRulesDialog* TraceView::RulesDialog() {
  if (rulesDialog_ == nullptr) {
    rulesDialog_ = new TraceRulesDialog(
        rules_,
        [this](const std::vector<TraceRule>& rules) {
          SetRules(rules);
          return model_->Rules().Problems();
        },
        this);
  }
  return rulesDialog_;
}

bool TraceView::StartReceiving(const std::string& socketPath, std::FILE* output,
                               const std::string& outputName) {
  StopReceiving();
  std::string path = socketPath;
  try {
    if (path.empty()) {
      const TraceSocketLocation location = LocateTraceSocket(true);
      if (!location.path) throw ViewerError("no safe runtime directory: " + location.problem);
      path = *location.path;
    }
    TraceReceiver::Options options;
    options.socketPath = path;
    options.output = output;
    options.outputName = outputName;
    options.limits = model_->Store().GetLimits();
    receiver_ = std::make_unique<TraceReceiver>(options, [this] {
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (!takeTimer_.isActive()) takeTimer_.start();
          },
          Qt::QueuedConnection);
    });
  } catch (const ViewerError& e) {
    notReceiving_ = Utf8(e.what());
    banner_->setText(tr("This view shows no traces: %1.").arg(notReceiving_));
    banner_->show();
    UpdateStatus();
    return false;
  }
  socketPath_ = path;
  notReceiving_.clear();
  banner_->hide();
  UpdateStatus();
  return true;
}

void TraceView::StopReceiving() {
  if (receiver_ == nullptr) return;
  // What came before it stopped is still shown.
  receiver_->Stop();
  TakeNow();
  receiver_.reset();
  notReceiving_ = tr("stopped");
  UpdateStatus();
}

void TraceView::TakeNow() {
  TakeBatch();
  while (!pending_.empty())
    Absorb(kSlice);
}

void TraceView::TakeBatch() {
  if (receiver_ != nullptr) {
    TraceReceiver::Batch batch = receiver_->Take();
    received_ += batch.messages.size() + batch.dropped;
    droppedWaiting_ += batch.dropped;
    for (TraceMessage& m : batch.messages)
      pending_.push_back(std::move(m));
    for (const std::string& p : batch.problems) {
      ++problemCount_;
      problems_.push_back(Utf8(p));
      if (problems_.size() > kProblemsKept) problems_.pop_front();
    }
    if (batch.stopped) {
      // It stopped on its own (its --output could not be written): the socket goes now.
      receiver_.reset();
      notReceiving_ = Utf8(*batch.stopped);
      banner_->setText(tr("Stopped receiving: %1.").arg(notReceiving_));
      banner_->show();
      emit receivingStopped(notReceiving_);
    }
  }
  Absorb(kSlice);
  if (!pending_.empty()) takeTimer_.start(0);
}

void TraceView::Absorb(std::size_t most) {
  if (pending_.empty()) {
    UpdateStatus();
    return;
  }
  QScrollBar* bar = table_->verticalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum();
  TraceStore& store = model_->Store();
  for (std::size_t i = 0; i < most && !pending_.empty(); ++i) {
    store.Add(pending_.front());
    pending_.pop_front();
  }
  const int value = bar->value();
  const std::size_t gone = model_->Update();
  if (actions_.autoscroll->isChecked() && atEnd) {
    table_->scrollToBottom();
  } else if (gone > 0) {
    // The rows in view stay in view as older ones go above them.
    bar->setValue(std::max(0, value - static_cast<int>(gone)));
  }
  UpdateStatus();
}

bool TraceView::FollowsNew() const {
  const QScrollBar* bar = table_->verticalScrollBar();
  return actions_.autoscroll->isChecked() && bar->value() >= bar->maximum();
}

void TraceView::SetRules(std::vector<TraceRule> rules) {
  rules_ = std::move(rules);
  model_->SetRules(TraceRuleSet(rules_, quickFilter_->text().toStdString()));
  if (live_) TraceSettings().SetRules(rules_);
  if (actions_.autoscroll->isChecked()) table_->scrollToBottom();
  UpdateStatus();
}

void TraceView::SetQuickFilter(const QString& text) {
  if (quickFilter_->text() != text) {
    const QSignalBlocker block(quickFilter_);
    quickFilter_->setText(text);
  }
  model_->SetRules(TraceRuleSet(rules_, text.toStdString()));
  if (actions_.autoscroll->isChecked()) table_->scrollToBottom();
  UpdateStatus();
}

void TraceView::SetPaused(bool paused) {
  if (actions_.pause->isChecked() != paused) {
    actions_.pause->setChecked(paused);  // comes back here through toggled
    return;
  }
  model_->SetPaused(paused);
  if (!paused && actions_.autoscroll->isChecked()) table_->scrollToBottom();
  UpdateStatus();
}

void TraceView::Clear() {
  pending_.clear();
  model_->Clear();
  UpdateStatus();
}

void TraceView::SetLimits(TraceStoreLimits limits) {
  model_->SetLimits(limits);
  if (live_) TraceSettings().SetLimits(limits);
  UpdateStatus();
}

std::optional<QString> TraceView::OpenLog(const QString& path) {
  try {
    TraceLog log = ReadTraceLog(path.toStdString(), model_->Store().GetLimits());
    rules_ = std::move(log.rules);
    model_->Replace(std::move(log.store), TraceRuleSet(rules_, quickFilter_->text().toStdString()));
  } catch (const ViewerError& e) {
    return Utf8(e.what());
  }
  if (rulesDialog_ != nullptr) rulesDialog_->deleteLater();
  log_ = QFileInfo(path).fileName();
  UpdateStatus();
  return std::nullopt;
}

std::optional<QString> TraceView::Save(const QString& path, bool shownOnly) {
  try {
    const TraceShownList* only = shownOnly ? &model_->Shown() : nullptr;
    if (path.endsWith(QStringLiteral(".ztrace"))) {
      SaveTraceLog(path.toStdString(), model_->Store(), rules_, only);
    } else {
      SaveTraceText(path.toStdString(), model_->Store(), only);
    }
  } catch (const ViewerError& e) {
    return Utf8(e.what());
  }
  return std::nullopt;
}

bool TraceView::Find(const QString& text, bool backward) {
  const int count = model_->rowCount();
  if (count == 0 || text.isEmpty()) return false;
  TraceRule rule;
  rule.pattern = text.toStdString();
  const TraceRuleSet finder({rule});
  const TraceStore& store = model_->Store();
  const int current =
      table_->currentIndex().isValid() ? table_->currentIndex().row() : (backward ? count : -1);
  for (int step = 1; step <= count; ++step) {
    const int row = ((backward ? current - step : current + step) % count + count) % count;
    const TraceStore::Entry& e = store.At(model_->SerialAt(row));
    if (finder.Shows(store.Text(e), {}, 0)) {
      table_->setCurrentIndex(model_->index(row, TraceTableModel::kMessage));
      table_->scrollTo(model_->index(row, TraceTableModel::kMessage));
      return true;
    }
  }
  return false;
}

void TraceView::JumpToBookmark(bool backward) {
  const int count = model_->rowCount();
  const int current =
      table_->currentIndex().isValid() ? table_->currentIndex().row() : (backward ? count : -1);
  for (int step = 1; step <= count; ++step) {
    const int row = ((backward ? current - step : current + step) % count + count) % count;
    if (model_->Bookmarked(row)) {
      table_->setCurrentIndex(model_->index(row, TraceTableModel::kMessage));
      table_->scrollTo(model_->index(row, TraceTableModel::kMessage));
      return;
    }
  }
}

void TraceView::ShowFindBar() {
  findBar_->show();
  findText_->setFocus();
  findText_->selectAll();
}

QList<int> TraceView::SelectedRows() const {
  QList<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TraceView::SaveHeader() {
  if (live_) {
    TraceSettings().SetValue(QStringLiteral("view/header"),
                             table_->horizontalHeader()->saveState());
  }
}

QString TraceView::StatusText() const {
  const TraceStore& store = model_->Store();
  const std::uint64_t memory = store.MemoryBytes() +
                               model_->Shown().Size() * sizeof(TraceStore::Serial) +
                               pending_.size() * sizeof(TraceMessage);
  QString text =
      log_.isEmpty()
          ? tr("received %1 · shown %2 · refused or bad %3 · dropped %4 · held %5 · memory %6")
                .arg(Count(received_), Count(model_->Shown().Size()), Count(problemCount_),
                     Count(store.Dropped() + droppedWaiting_), Count(store.Count()),
                     Mebibytes(memory))
          : tr("log %1 · shown %2 · held %3 · dropped %4 · memory %5")
                .arg(log_, Count(model_->Shown().Size()), Count(store.Count()),
                     Count(store.Dropped()), Mebibytes(memory));
  if (model_->Paused()) text += tr(" · paused");
  if (!notReceiving_.isEmpty()) text += tr(" · not receiving: %1").arg(notReceiving_);
  return text;
}

void TraceView::UpdateStatus() {
  // The rules at work, counted where they are edited: a view that shows less says why.
  const auto on =
      std::count_if(rules_.begin(), rules_.end(), [](const TraceRule& r) { return r.enabled; });
  const QString rules = on == 0 ? tr("&Rules...") : tr("&Rules (%1 on)...").arg(on);
  if (actions_.rules->text() != rules) actions_.rules->setText(rules);
  const QString text = StatusText();
  if (text == status_->text()) return;
  status_->setText(text);
  emit statusChanged();
}

}  // namespace zeb
