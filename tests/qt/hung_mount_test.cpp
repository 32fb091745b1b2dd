// The real window beside a network mount that has stopped answering: picking its drive gives up
// after the folder deadline with the window painting meanwhile, the pane stays where it was, and
// a second pick of the same drive gives up at once.
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "hung_mount.h"
#include "platform/off_thread_calls.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

class HungDriveTest : public ProgramTest {
 protected:
  void SetUp() override {
    const HungMount::Started started = mount.Start();
    if (started.outcome == HungMount::Outcome::kUnavailable) GTEST_SKIP() << started.message;
    ASSERT_EQ(started.outcome, HungMount::Outcome::kMounted) << started.message;
  }
  // The server goes before the window system, so the worker left on the mount ends.
  void TearDown() override { mount.Remove(); }

  // Picks the next drive of Drive1 with the keyboard; how long the pick took, in ms.
  qint64 PickNext(QComboBox* drive1, Qt::Key key) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(drive1, key);
    return timer.elapsed();
  }

  HungMount mount;
};

TEST_F(HungDriveTest, PickingAHungDriveGivesUpInTimeAndThenAtOnce) {
  drives = {{temp.str(), temp.str()}, {mount.path(), mount.path()}};
  ASSERT_NO_FATAL_FAILURE(Start());
  QComboBox* drive1 = Child<QComboBox>(TopLevel("Form2"), "Drive1");
  ASSERT_EQ(drive1->count(), 2);
  ASSERT_TRUE(mount.Hang());
  drive1->setFocus();

  int timer_rounds = 0;  // timers keep running while the pick waits
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] { ++timer_rounds; });
  ticks.start(100);
  const qint64 first = PickNext(drive1, Qt::Key_Down);
  ticks.stop();
  EXPECT_GE(first, platform::kAnswerDeadline.count() - 50);
  EXPECT_LT(first, platform::kAnswerDeadline.count() + 1500);
  EXPECT_GE(timer_rounds, 20);
  EXPECT_EQ(form2().FindDriveList("Drive1").Drive(), mount.path());
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);
  EXPECT_EQ(Caption("Label4"), " ");
  EXPECT_TRUE(dialogs.messages.empty());

  PickNext(drive1, Qt::Key_Up);
  EXPECT_LT(PickNext(drive1, Qt::Key_Down), 500) << "the stuck drive was waited for again";
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);
}

}  // namespace
}  // namespace vantrel::testing
