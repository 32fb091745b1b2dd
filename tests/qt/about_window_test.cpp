// The About dialog on the real window system, opened by the program: its place and frame, its
// keys and tab order, unloading and loading again, and the end of the program with it open.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

class AboutWindowTest : public ProgramTest {
 protected:
  void SetUp() override { Start(); }

  std::string Text(QWidget* about, const char* label) {
    return Child<QWidget>(about, label)->property("text").toString().toStdString();
  }
};

TEST_F(AboutWindowTest, OpensAtItsPlaceAsAFixedToolWindowWithoutIcon) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->windowTitle(), "About Vantrel ");
  EXPECT_EQ(Text(about, "lblTitle"), "Vantrel");
  EXPECT_EQ(Text(about, "lblVersion"), "Version 1.0.0");
  // The client area at (2340, 1935) twips on the screen, 5730 by 3555 twips.
  EXPECT_EQ(about->geometry(), QRect(156, 129, 382, 237));
  EXPECT_EQ(about->minimumSize(), about->maximumSize());
  EXPECT_EQ(about->windowType(), Qt::Tool);  // no taskbar entry
  EXPECT_FALSE(about->windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(about->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(about->windowIcon().isNull());
  EXPECT_EQ(about->parentWidget(), nullptr);  // no owner
  EXPECT_TRUE(TopLevel("Form2")->isVisible());
}

// The rule's two lines: grey from (90, 2445) to (5654, 2445) twips, that is row 163 from pixel 6,
// and 2 pixels of white from (105, 2460) to (5654, 2460), rows 164 and 165 from pixel 7; both
// end at about pixel 377.
TEST_F(AboutWindowTest, DrawsTheEtchedRuleAsAGreyLineOverAWhiteOne) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  const QImage image = about->grab().toImage();
  const QColor grey(128, 128, 128), white(Qt::white);
  for (int x = 6; x <= 376; ++x) {
    EXPECT_EQ(image.pixelColor(x, 163), grey) << x;
    EXPECT_NE(image.pixelColor(x, 162), grey) << x;
  }
  for (int x = 7; x <= 376; ++x) {
    EXPECT_EQ(image.pixelColor(x, 164), white) << x;
    EXPECT_EQ(image.pixelColor(x, 165), white) << x;
    EXPECT_NE(image.pixelColor(x, 166), white) << x;
  }
  // Nothing of either line before its start or past its end.
  EXPECT_NE(image.pixelColor(5, 163), grey);
  for (const int y : {164, 165}) EXPECT_NE(image.pixelColor(6, y), white) << y;
  for (const int y : {163, 164, 165}) {
    EXPECT_NE(image.pixelColor(379, y), grey) << y;
    EXPECT_NE(image.pixelColor(379, y), white) << y;
  }
}

TEST_F(AboutWindowTest, FocusStartsOnOkAndTabGoesToPictureThenSystemInfo) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(about, "cmdOK"));
  EXPECT_EQ(TabRound(3), (std::vector<std::string>{"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"}));
}

TEST_F(AboutWindowTest, OkIsTheDefaultAndTheCancelButton) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(Child<QPushButton>(about, "cmdOK")->isDefault());

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(TopLevel("frmAbout"), nullptr);

  about = OpenAbout();
  ASSERT_NE(about, nullptr);
  Child<QWidget>(about, "picIcon")->setFocus();
  QTest::keyClick(Child<QWidget>(about, "picIcon"), Qt::Key_Return);
  EXPECT_FALSE(about->isVisible());

  // Enter on the focused System Info button presses that button, not OK.
  about = OpenAbout();
  ASSERT_NE(about, nullptr);
  dialogs.answers = {platform::Answer::Ok};
  QWidget* sys_info = Child<QWidget>(about, "cmdSysInfo");
  sys_info->setFocus();
  QTest::keyClick(sys_info, Qt::Key_Return);
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].prompt, "System Information Is Unavailable At This Time");
  EXPECT_TRUE(about->isVisible());
}

TEST_F(AboutWindowTest, CloseBoxUnloadsAndTheNextAboutLoadsAfresh) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  about->move(400, 300);
  about->close();
  EXPECT_EQ(TopLevel("frmAbout"), nullptr);

  QWidget* again = OpenAbout();
  ASSERT_EQ(again, about);  // the same dialog object and window
  EXPECT_EQ(again->windowTitle(), "About Vantrel ");
  EXPECT_EQ(again->geometry().topLeft(), QPoint(156, 129));
}

TEST_F(AboutWindowTest, AboutWhileOpenOnlyBringsItToTheFront) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  // A caption the load would put back, were the dialog loaded again.
  about->setWindowTitle("changed");
  EXPECT_EQ(OpenAbout(), about);
  EXPECT_EQ(about->windowTitle(), "changed");
}

TEST_F(AboutWindowTest, TheProgramRunsUntilItsLastWindowIsClosed) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  QSignalSpy last_closed(qApp, &QGuiApplication::lastWindowClosed);
  bool about_open_alone = false;
  // The event loop of the program itself, with a watchdog that ends it with another code.
  QTimer::singleShot(0, [] { TopLevel("Form2")->close(); });
  QTimer::singleShot(20, [&] {
    about_open_alone = about->isVisible() && last_closed.count() == 0;
    about->close();
  });
  // The watchdog goes with the test: left armed, it would end a later test's wait at once.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  watchdog.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(about_open_alone);
  EXPECT_EQ(last_closed.count(), 1);
}

TEST_F(AboutWindowTest, ExitEndsTheProgramWithTheDialogOpenAndNoHandlerRunsAfter) {
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  QWidget* main_window = TopLevel("Form2");
  QTest::mouseClick(Child<QWidget>(main_window, "Command2"), Qt::LeftButton);
  EXPECT_EQ(quit_count, 1);
  EXPECT_FALSE(main_window->isVisible());
  EXPECT_FALSE(about->isVisible());
  // Events that still arrive before the loop ends reach no handler.
  Child<QPushButton>(main_window, "Command4")->click();
  EXPECT_EQ(clipboard.clear_count, 0);
  Child<QAction>(main_window, "ext")->trigger();
  EXPECT_EQ(quit_count, 1);
}

TEST_F(AboutWindowTest, ExitFromTheFileMenuEndsTheProgram) {
  Child<QAction>(TopLevel("Form2"), "ext")->trigger();
  EXPECT_EQ(quit_count, 1);
  EXPECT_EQ(TopLevel("Form2"), nullptr);
}

}  // namespace
}  // namespace vantrel::testing
