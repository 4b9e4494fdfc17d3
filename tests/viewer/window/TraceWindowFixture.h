// The trace window on Qt's offscreen platform, receiving on a socket in a private folder, with
// settings of the test's own, and TRACE pointed at it.
#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "testkit/ViewerFixture.h"
#include "tests/trace/FakeTransport.h"
#include "trace/TraceTransportPosix.h"
#include "viewer/window/TraceView.h"
#include "viewer/window/TraceWindow.h"

namespace zeb::test {

class TraceWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(settings_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    socket_ = dir_.Path() + "/TFormTrace";
    InitializeuTrace();
    transport_ = std::make_unique<PosixTraceTransport>(std::chrono::seconds(2), socket_);
    SetTraceTransport(transport_.get());
  }
  void TearDown() override {
    window_.reset();
    SetTraceTransport(nullptr);
    FinalizeuTrace();
  }

  // A live window, shown, receiving on the test's socket.
  TraceWindow& Open() {
    window_ = std::make_unique<TraceWindow>(true);
    window_->show();
    EXPECT_TRUE(View().StartReceiving(socket_)) << View().NotReceiving().toStdString();
    return *window_;
  }
  TraceView& View() { return *window_->View(); }
  TraceTableModel& Model() { return View().Model(); }

  // Waits until the view has taken `count` messages in all.
  bool Received(std::uint64_t count) {
    return QTest::qWaitFor([&] { return View().Received() >= count; }, 10000) &&
           (View().TakeNow(), true);
  }
  QString Cell(int row, int column) {
    return Model().data(Model().index(row, column), Qt::DisplayRole).toString();
  }

  TempDir dir_;
  QTemporaryDir settings_;
  std::string socket_;
  std::unique_ptr<PosixTraceTransport> transport_;
  std::unique_ptr<TraceWindow> window_;
};

}  // namespace zeb::test
