// The trace window driven as a user drives it, offscreen: messages sent with TRACE from the
// window's own thread, the table's columns, rules and the quick filter, pause, clear, autoscroll,
// find, bookmarks, copy, logs, settings, and the one-viewer rule.
#include <sys/stat.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <cstdio>
#include <fstream>

#include "tests/viewer/window/TraceWindowFixture.h"
#include "viewer/TraceLogFile.h"
#include "viewer/window/TraceRulesDialog.h"

namespace zeb::test {

namespace {

using Column = TraceTableModel::Column;

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

void Screenshot(QWidget& widget, const QString& name) {
  const QByteArray dir = qgetenv("ZEB_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(QString::fromUtf8(dir));
  widget.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + name);
}

TraceRule Rule(TraceRule::Action action, std::string pattern) {
  TraceRule r;
  r.action = action;
  r.pattern = std::move(pattern);
  return r;
}

// Sent from the window's own thread: the receiver's thread answers, so TRACE does not wait on
// the window.
TEST_F(TraceWindowTest, ShowsEachMessageInItsColumns) {
  Open();
  EXPECT_EQ(Delivery("x=%d name=%s", 5, "a\tb"), TraceOutcome::Delivered);
  EXPECT_EQ(Delivery("a|b with its own bar"), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(2));
  ASSERT_EQ(Model().rowCount(), 2);
  EXPECT_EQ(Cell(0, Column::kNumber), QStringLiteral("1"));
  EXPECT_EQ(Cell(0, Column::kPid), QString::number(getpid()));
  EXPECT_FALSE(Cell(0, Column::kProcess).isEmpty());
  EXPECT_EQ(Cell(0, Column::kMessage), QStringLiteral("x=5 name=a\\tb"));
  EXPECT_EQ(Cell(0, Column::kContext), QStringLiteral("0|.|.|."));
  EXPECT_EQ(Cell(1, Column::kMessage), QStringLiteral("a|b with its own bar"));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                  .match(Cell(0, Column::kTime))
                  .hasMatch());
  // Seconds since the first message, then since the selected one.
  View().GetActions().time->actions()[1]->trigger();
  EXPECT_EQ(Cell(0, Column::kTime), QStringLiteral("+0.000000"));
  View().Table()->setCurrentIndex(Model().index(1, 0));
  View().GetActions().time->actions()[2]->trigger();
  EXPECT_EQ(Cell(1, Column::kTime), QStringLiteral("+0.000000"));
  EXPECT_TRUE(Cell(0, Column::kTime).startsWith(QLatin1Char('-'))) << Cell(0, 1).toStdString();
  EXPECT_TRUE(
      View().StatusText().startsWith(QStringLiteral("received 2 · shown 2 · refused or "
                                                    "bad 0 · dropped 0 · held 2")))
      << View().StatusText().toStdString();
  Screenshot(*window_, QStringLiteral("trace-window-columns.png"));
}

TEST_F(TraceWindowTest, RulesAndTheQuickFilterApplyToWhatCameAndWhatComes) {
  Open();
  for (const char* text : {"open Unit1.pas", "error: no such file", "Indent 4 lines", "idle"})
    EXPECT_EQ(Delivery("%s", text), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(4));
  TraceRule red = Rule(TraceRule::Action::Highlight, "error");
  red.background = 0xFFC0C0;
  // Through the rules dialog, as the user edits them: each change applies at once.
  TraceRulesDialog* dialog = View().RulesDialog();
  dialog->AddRule(Rule(TraceRule::Action::Hide, "idle"));
  EXPECT_EQ(Model().rowCount(), 3);
  dialog->AddRule(red);
  EXPECT_EQ(
      Model().data(Model().index(1, Column::kMessage), Qt::BackgroundRole).value<QBrush>().color(),
      QColor(0xFF, 0xC0, 0xC0));
  dialog->Table()->item(0, 5)->setText(QStringLiteral("(unclosed"));  // hides nothing now
  EXPECT_EQ(Model().rowCount(), 4);
  TraceRule broken = Rule(TraceRule::Action::Keep, "(unclosed");
  broken.regex = true;
  dialog->AddRule(broken);
  EXPECT_EQ(Model().rowCount(), 4) << "a pattern that does not compile does nothing";
  EXPECT_FALSE(dialog->Table()->item(2, 5)->toolTip().isEmpty());

  View().SetQuickFilter(QStringLiteral("UNIT1"));
  EXPECT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Delivery("closed unit1.pas"), TraceOutcome::Delivered);
  EXPECT_EQ(Delivery("something else"), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(6));
  EXPECT_EQ(Model().rowCount(), 2);
  View().SetQuickFilter({});
  EXPECT_EQ(Model().rowCount(), 6);
  Screenshot(*dialog, QStringLiteral("trace-rules.png"));
}

TEST_F(TraceWindowTest, PauseStopsTheDisplayNotTheReceptionAndClearEmptiesTheView) {
  Open();
  EXPECT_EQ(Delivery("before"), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(1));
  View().GetActions().pause->trigger();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Delivery("while paused %d", i), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(4));
  EXPECT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Model().Store().Count(), 4U);
  EXPECT_TRUE(View().StatusText().contains(QStringLiteral("paused")));
  // Rules changed during the pause still show only what came before it.
  View().SetQuickFilter(QStringLiteral("e"));
  EXPECT_EQ(Model().rowCount(), 1);
  View().SetQuickFilter({});
  View().GetActions().pause->trigger();
  EXPECT_EQ(Model().rowCount(), 4);
  EXPECT_EQ(Cell(3, Column::kMessage), QStringLiteral("while paused 2"));

  View().GetActions().clear->trigger();
  EXPECT_EQ(Model().rowCount(), 0);
  EXPECT_EQ(Delivery("after"), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(5));
  EXPECT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Cell(0, Column::kNumber), QStringLiteral("5")) << "numbers go on after Clear";
}

TEST_F(TraceWindowTest, AutoscrollFollowsUntilScrolledUpAndAgainAtTheEnd) {
  Open();
  const auto send = [&](int count, std::uint64_t total) {
    for (int i = 0; i < count; ++i)
      Delivery("line %d", i);
    ASSERT_TRUE(Received(total));
    QApplication::processEvents();
  };
  QScrollBar* bar = View().Table()->verticalScrollBar();
  send(200, 200);
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(10);  // the user scrolls up
  send(50, 250);
  EXPECT_EQ(bar->value(), 10);
  bar->setValue(bar->maximum());  // and back to the end
  send(50, 300);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_TRUE(View().FollowsNew());
}

TEST_F(TraceWindowTest, FindBookmarksAndCopyWithTheirKeys) {
  Open();
  for (const char* text : {"alpha", "beta", "gamma ALPHA", "delta"})
    Delivery("%s", text);
  ASSERT_TRUE(Received(4));
  QTableView* table = View().Table();
  table->setFocus();
  table->setCurrentIndex(Model().index(0, 0));
  QTest::keyClick(table, Qt::Key_F, Qt::ControlModifier);
  auto* find = View().findChild<QLineEdit*>(QStringLiteral("TraceFindText"));
  ASSERT_NE(find, nullptr);
  EXPECT_TRUE(find->isVisible());
  QTest::keyClicks(find, QStringLiteral("alpha"));
  QTest::keyClick(find, Qt::Key_Return);
  EXPECT_EQ(table->currentIndex().row(), 2);
  QTest::keyClick(table, Qt::Key_F3);
  EXPECT_EQ(table->currentIndex().row(), 0) << "F3 goes round";
  QTest::keyClick(table, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(table->currentIndex().row(), 2);

  QTest::keyClick(table, Qt::Key_F2, Qt::ControlModifier);
  EXPECT_TRUE(Model().Bookmarked(2));
  table->setCurrentIndex(Model().index(0, 0));
  QTest::keyClick(table, Qt::Key_F2);
  EXPECT_EQ(table->currentIndex().row(), 2);

  table->selectRow(1);
  table->selectionModel()->select(Model().index(3, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("] beta|0|.|.|."))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral("] delta|0|.|.|."))) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].isEmpty());
}

TEST_F(TraceWindowTest, ALogReopensWithItsRulesAndTextIsTheConsolesLines) {
  Open();
  for (int i = 0; i < 20; ++i)
    Delivery("message %d", i);
  ASSERT_TRUE(Received(20));
  View().SetRules({Rule(TraceRule::Action::Hide, "message 1")});  // 1, 10 to 19
  Model().ToggleBookmark(3);
  ASSERT_EQ(Model().rowCount(), 9);
  const QString log = QString::fromStdString(dir_.Path() + "/saved.ztrace");
  EXPECT_FALSE(View().Save(log, false));
  const QString shown = QString::fromStdString(dir_.Path() + "/shown.txt");
  EXPECT_FALSE(View().Save(shown, true));

  TraceWindow reopened(false);
  EXPECT_FALSE(reopened.View()->OpenLog(log));
  TraceTableModel& model = reopened.View()->Model();
  EXPECT_EQ(model.Store().Count(), 20U);
  ASSERT_EQ(model.rowCount(), 9);
  EXPECT_EQ(model.Rules().Rules(), Model().Rules().Rules());
  EXPECT_TRUE(model.Bookmarked(3));
  for (int row = 0; row < 9; ++row) {
    EXPECT_EQ(model.data(model.index(row, Column::kMessage), Qt::DisplayRole),
              Cell(row, Column::kMessage));
  }
  std::ifstream text(shown.toStdString());
  std::string line;
  int lines = 0;
  while (std::getline(text, line)) {
    EXPECT_NE(line.find("] message "), std::string::npos) << line;
    ++lines;
  }
  EXPECT_EQ(lines, 9);
  EXPECT_TRUE(reopened.View()->OpenLog(QString::fromStdString(dir_.Path() + "/shown.txt")))
      << "text is no log";
}

TEST_F(TraceWindowTest, RulesColumnsAndGeometryAreRemembered) {
  Open();
  View().SetRules({Rule(TraceRule::Action::Hide, "noise")});
  View().Table()->setColumnHidden(Column::kContext, true);
  View().Table()->horizontalHeader()->resizeSection(Column::kProcess, 222);
  window_->resize(777, 444);
  window_->close();
  window_.reset();

  Open();
  ASSERT_EQ(Model().Rules().Rules().size(), 1U);
  EXPECT_EQ(Model().Rules().Rules()[0].pattern, "noise");
  EXPECT_TRUE(View().Table()->isColumnHidden(Column::kContext));
  EXPECT_EQ(View().Table()->horizontalHeader()->sectionSize(Column::kProcess), 222);
  EXPECT_EQ(window_->size(), QSize(777, 444));
}

TEST_F(TraceWindowTest, OneViewerAtATimeAndClosingFreesTheSocket) {
  Open();
  TraceView second(true);
  EXPECT_FALSE(second.StartReceiving(socket_));
  EXPECT_TRUE(second.NotReceiving().contains(QStringLiteral("already running")))
      << second.NotReceiving().toStdString();
  auto* banner = second.findChild<QLabel*>(QStringLiteral("TraceBanner"));
  ASSERT_NE(banner, nullptr);
  EXPECT_TRUE(banner->text().contains(QStringLiteral("already running")));
  EXPECT_EQ(Delivery("to the first"), TraceOutcome::Delivered);
  ASSERT_TRUE(Received(1));

  window_->close();
  EXPECT_FALSE(Exists(socket_)) << "the socket is still there after the window closed";
  EXPECT_EQ(Model().rowCount(), 1);
  EXPECT_TRUE(second.StartReceiving(socket_));
}

TEST_F(TraceWindowTest, AnOutputThatCannotBeWrittenStopsTheReception) {
  window_ = std::make_unique<TraceWindow>(true);
  std::FILE* full = std::fopen("/dev/full", "ab");
  ASSERT_NE(full, nullptr);
  QString stopped;
  QObject::connect(&View(), &TraceView::receivingStopped,
                   [&](const QString& why) { stopped = why; });
  ASSERT_TRUE(View().StartReceiving(socket_, full, "/dev/full"));
  EXPECT_NE(Delivery("not written"), TraceOutcome::Delivered);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !stopped.isEmpty(); }, 10000));
  EXPECT_TRUE(stopped.contains(QStringLiteral("cannot write /dev/full"))) << stopped.toStdString();
  EXPECT_FALSE(View().Receiving());
  EXPECT_FALSE(Exists(socket_));
  std::fclose(full);
}

// The README's picture: the log of a session with the example add-in and the IDE, opened with
// its rules (errors highlighted, zeb-ide's messages in blue), a bookmark.
TEST_F(TraceWindowTest, TheReadmePictureShowsASession) {
  if (qEnvironmentVariableIsEmpty("ZEB_SCREENSHOT_DIR")) GTEST_SKIP() << "no ZEB_SCREENSHOT_DIR";
  TraceRule errors = Rule(TraceRule::Action::Highlight, "error");
  errors.background = 0xFFD6D6;
  TraceRule ide = Rule(TraceRule::Action::Highlight, "zeb-ide");
  ide.field = TraceRule::Field::Process;
  ide.foreground = 0x1F5FBF;
  const struct {
    std::int64_t pid;
    const char* process;
    const char* text;
  } rows[] = {
      {23810, "zeb-host", "hello: loaded"},
      {23810, "zeb-host", "hello: Register added binding 0"},
      {23810, "zeb-host", "hello: BindKeyboard binds 0xC054"},
      {23810, "zeb-host", "hello: key 0xC054 in Unit1.pas at 1:1, block of 0 bytes"},
      {23874, "zeb-ide", "indent: 3 lines by 2 in Unit1.pas"},
      {23874, "zeb-ide", "indent: block kept, 3:1 to 6:1"},
      {23901, "build.sh", "error: cannot open Unit7.dfm: No such file or directory"},
      {23874, "zeb-ide", "unindent: 3 lines by 2 in Unit1.pas"},
      {23810, "zeb-host", "hello: name=a\tb with a tab"},
      {23810, "zeb-host", "hello: unloaded"},
  };
  TraceStore store;
  auto now = std::chrono::system_clock::now();
  for (const auto& row : rows) {
    TraceMessage m;
    m.pid = row.pid;
    m.processName = row.process;
    m.text = std::string(FromVisible(row.text).value()) + "|0|.|.|.";
    m.received = now += std::chrono::microseconds(1375);
    store.Add(m);
  }
  store.SetFlags(5, TraceStore::kBookmark);
  const std::string log = dir_.Path() + "/session.ztrace";
  SaveTraceLog(log, store, {errors, ide});
  TraceWindow window(false);
  window.resize(1100, 400);
  ASSERT_FALSE(window.View()->OpenLog(QString::fromStdString(log)));
  window.show();
  window.View()->Table()->selectRow(4);
  QApplication::processEvents();
  Screenshot(window, QStringLiteral("readme-trace.png"));
}

}  // namespace

}  // namespace zeb::test
