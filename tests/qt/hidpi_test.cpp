// At twice the scale (QT_SCALE_FACTOR=2, or a 192 dpi screen) every control keeps its place in
// device-independent pixels and is drawn with twice the device pixels, icons included. CTest runs
// this suite a second time at that scale; at scale 1 it has nothing to check.
#include <QIcon>
#include <QMainWindow>
#include <QTest>

#include "form/form2.h"
#include "qt_fixture.h"

namespace vantrel::qt_testing {
namespace {

class HiDpi : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (top_ != nullptr && top_->devicePixelRatioF() != 2.0)
      GTEST_SKIP() << "not running at scale 2";
  }
};

TEST_F(HiDpi, WindowAndControlsAreDrawnAtTwiceTheSize) {
  QWidget* client = static_cast<QMainWindow*>(top_)->centralWidget();
  EXPECT_EQ(client->size(), QSize(522, 453));
  EXPECT_EQ(client->grab().size(), QSize(1044, 906));
  QWidget* copy = Child<QWidget>(top_, "Command8");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->geometry(), QRect(224, 163, 81, 25));
  EXPECT_EQ(copy->grab().size(), QSize(162, 50));
}

TEST_F(HiDpi, IconsHaveTheirOwnPixelsAtTwiceTheSize) {
  // A 48 pixel icon at scale 2 comes from a 96 pixel (or larger) image, not an upscaled 48.
  const QPixmap icon = top_->windowIcon().pixmap(QSize(48, 48), 2.0);
  EXPECT_EQ(icon.size(), QSize(96, 96));
  EXPECT_GE(top_->windowIcon().availableSizes().back().width(), 96);
}

}  // namespace
}  // namespace vantrel::qt_testing
