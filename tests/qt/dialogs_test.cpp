// The real message and input boxes, answered by a timer that presses keys in the dialog that is
// open; a watchdog closes any dialog left open, so a mistake fails instead of hanging. Also the
// clipboard.
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/qt/clipboard.h"
#include "platform/qt/dialogs.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

using platform::Answer;

// Runs `act` on the modal dialog once it is open, and rejects it if it is still open 5 s later.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [this, act = std::move(act)] { Act(act, 0); });
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "dialog left open";
        dialog->reject();
      }
    });
    watchdog_.start(5000);
  }

 private:
  void Act(const std::function<void(QWidget*)>& act, int tries) {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr && tries < 100) {
      QTimer::singleShot(10, [this, act, tries] { Act(act, tries + 1); });
      return;
    }
    if (dialog != nullptr) act(dialog);
  }

  QTimer watchdog_;
};

TEST(QtDialogsTest, YesNoQuestionHasYesAsDefaultAndEnterAnswersYes) {
  platform::qt::QtDialogs dialogs;
  QString text;
  QString title;
  bool question = false;
  bool yes_default = false;
  DialogDriver driver([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    question = box->icon() == QMessageBox::Question;
    yes_default = box->defaultButton() == box->button(QMessageBox::Yes);
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.MessageBox("Are you sure <b>copying</b> a&b", 36, "Sure!"), Answer::Yes);
  EXPECT_EQ(text, "Are you sure <b>copying</b> a&b");
  EXPECT_EQ(title, "Sure!");
  EXPECT_TRUE(question);
  EXPECT_TRUE(yes_default);
}

TEST(QtDialogsTest, EscapeAndTheCloseBoxAnswerNo) {
  platform::qt::QtDialogs dialogs;
  {
    DialogDriver driver([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.MessageBox("Delete?", 36, "File Delete!"), Answer::No);
  }
  {
    DialogDriver driver([](QWidget* box) { box->close(); });
    EXPECT_EQ(dialogs.MessageBox("Delete?", 36, "File Delete!"), Answer::No);
  }
}

TEST(QtDialogsTest, OkOnlyMessageShowsTheApplicationTitleWhenGivenNone) {
  platform::qt::QtDialogs dialogs;
  QString title;
  int buttons = 0;
  DialogDriver driver([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    buttons = static_cast<int>(box->buttons().size());
    EXPECT_NE(box->button(QMessageBox::Ok), nullptr);
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.MessageBox("System Information Is Unavailable At This Time", 0, ""),
            Answer::Ok);
  EXPECT_EQ(title, "Vantrel");
  EXPECT_EQ(buttons, 1);
}

TEST(QtDialogsTest, InputBoxGivesTheTypedTextOrNothingOnCancel) {
  platform::qt::QtDialogs dialogs;
  QString label;
  {
    DialogDriver driver([&](QWidget* dialog) {
      auto* box = qobject_cast<QInputDialog*>(dialog);
      ASSERT_NE(box, nullptr);
      label = box->labelText();
      EXPECT_EQ(box->windowTitle(), "Vantrel");
      EXPECT_TRUE(box->textValue().isEmpty());
      auto* line = box->findChild<QLineEdit*>();
      QTest::keyClicks(line, "New ");
      line->insert(QString::fromUtf8("\u00e9"));
      QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.InputBox("enter the new folder name"), "New \xC3\xA9");
    EXPECT_EQ(label, "enter the new folder name");
  }
  {
    DialogDriver driver([](QWidget* box) {
      QTest::keyClicks(box->findChild<QLineEdit*>(), "typed");
      QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.InputBox("enter the new folder name"), "");
  }
}

TEST(QtClipboardTest, ClearLeavesTheClipboardEmpty) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("something to lose");
  ASSERT_EQ(clipboard->text(), "something to lose");
  platform::qt::QtClipboard service;
  EXPECT_TRUE(service.Clear());
  EXPECT_TRUE(clipboard->text().isEmpty());
  const QMimeData* data = clipboard->mimeData();
  EXPECT_TRUE(data == nullptr || data->formats().isEmpty());
}

// Where the system keeps the text last selected apart (X11's primary selection), clearing
// empties it too. The offscreen platform has no selection: there the xcb run below checks it.
TEST(QtClipboardTest, ClearEmptiesTheSelectionToo) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard->supportsSelection()) GTEST_SKIP() << "no selection on this platform";
  clipboard->setText("copied");
  clipboard->setText("selected", QClipboard::Selection);
  ASSERT_EQ(clipboard->text(QClipboard::Selection), "selected");
  platform::qt::QtClipboard service;
  EXPECT_TRUE(service.Clear());
  EXPECT_TRUE(clipboard->text().isEmpty());
  EXPECT_TRUE(clipboard->text(QClipboard::Selection).isEmpty());
}

}  // namespace
}  // namespace vantrel::testing
