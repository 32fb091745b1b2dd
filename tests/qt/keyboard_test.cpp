// The whole program driven by the keyboard alone: every key goes to the window that has the
// focus through the window system's own queue, as a real keyboard's do, so shortcuts, access
// keys and the menu bar's keyboard navigation take part. The questions are the real message and
// input boxes, answered by keys too.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "platform/qt/dialogs.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

// A key pressed and released in the window that has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWindow* window = QGuiApplication::focusWindow();
  ASSERT_NE(window, nullptr) << "no window has the keyboard focus";
  QTest::keyClick(window, key, modifiers);
}

void Type(const QString& text) {
  for (const QChar c : text) {
    QWindow* window = QGuiApplication::focusWindow();
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window, c.toLatin1());
  }
}

std::string Focused() {
  QWidget* focused = QApplication::focusWidget();
  return focused != nullptr ? focused->objectName().toStdString() : "(none)";
}

// Waits until the window has had the keyboard for a quarter of a second on end.
bool KeepsTheKeyboard(QWidget* window) {
  QElapsedTimer held;
  return QTest::qWaitFor(
      [&] {
        if (!WaitActive(window)) return false;
        if (!held.isValid()) held.start();
        if (QApplication::activeWindow() != window) held.invalidate();
        return held.isValid() && held.elapsed() >= 250;
      },
      5000);
}

// Tabs until the named control has the focus; false if a whole round never reaches it.
bool TabTo(const char* name) {
  for (int i = 0; i < 30 && Focused() != name; ++i) Press(Qt::Key_Tab);
  return Focused() == name;
}

// Runs `act` on the modal dialog once it is open, from inside its own event loop; a dialog
// still open 5 s later is rejected and fails the test, so a key that does nothing cannot hang.
class WhenDialogOpens {
 public:
  explicit WhenDialogOpens(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QTimer::singleShot(0, [this] { Poll(0); });
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "the keys left the dialog open";
        dialog->reject();
      }
    });
    watchdog_.start(5000);
  }
  // Waits until the dialog has opened and been acted on; a button pressed by its access key
  // shows itself down for a moment before it clicks.
  bool Acted() {
    return QTest::qWaitFor([this] { return acted_; }, 3000);
  }

 private:
  void Poll(int tries) {
    QWidget* dialog = QApplication::activeModalWidget();
    const bool ready = dialog != nullptr && dialog->windowHandle() != nullptr &&
                       QGuiApplication::focusWindow() == dialog->windowHandle();
    if (!ready && tries < 300) {
      QTimer::singleShot(10, [this, tries] { Poll(tries + 1); });
      return;
    }
    if (!ready) return;
    acted_ = true;
    act_(dialog);
  }

  std::function<void(QWidget*)> act_;
  QTimer watchdog_;
  bool acted_ = false;
};

class KeyboardTest : public ProgramTest {
 protected:
  platform::Dialogs& HandlerDialogs() override { return real_dialogs; }

  void StartFocused() {
    Start();
    QWidget* top = TopLevel("Form2");
    top->activateWindow();
    ASSERT_TRUE(WaitActive(top));
  }

  platform::qt::QtDialogs real_dialogs;
};

TEST_F(KeyboardTest, CopyANewFolderAndAboutWithoutAMouse) {
  temp.Write("a.txt", "payload");
  temp.Write("b.txt", "other");
  const std::string destination = temp.Folder("dest");
  StartFocused();
  ASSERT_EQ(Focused(), "Drive1");

  // The source file: Tab to the list, Down picks the first row, Down again the next; the labels
  // follow the keys.
  ASSERT_TRUE(TabTo("File1"));
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  Press(Qt::Key_Up);
  EXPECT_EQ(form2().FindFileList("File1").FileName(), "a.txt");
  EXPECT_EQ(Caption("Label1"), "Filename:a.txt");

  // The destination folder: arrows move to its row and Enter opens it.
  ASSERT_TRUE(TabTo("Dir2"));
  auto* dir2 = Child<QListView>(TopLevel("Form2"), "Dir2");
  const int dest_row = RowOf(dir2, "dest");
  ASSERT_GE(dest_row, 0);
  for (int i = 0; i < 40 && dir2->currentIndex().row() != dest_row; ++i) {
    Press(dir2->currentIndex().row() < dest_row ? Qt::Key_Down : Qt::Key_Up);
  }
  ASSERT_EQ(dir2->currentIndex().row(), dest_row);
  Press(Qt::Key_Return);
  ASSERT_EQ(form2().FindFolderList("Dir2").Path(), destination);

  // Alt+C asks; Escape answers No and nothing is copied.
  QString asked;
  {
    WhenDialogOpens escape([&](QWidget* box) {
      asked = qobject_cast<QMessageBox*>(box)->text();
      Press(Qt::Key_Escape);
    });
    Press(Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(escape.Acted());
  }
  EXPECT_EQ(asked.toStdString(),
            "Are you sure copying from " + working + "/a.txt to " + destination + "/a.txt");
  EXPECT_FALSE(std::filesystem::exists(destination + "/a.txt"));
  ASSERT_TRUE(WaitActive(TopLevel("Form2"))) << "the keyboard does not come back";

  // Alt+C again; the focus starts on Yes, so Enter copies.
  {
    std::string focused_button;
    WhenDialogOpens enter([&](QWidget*) {
      auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
      focused_button = button != nullptr ? button->text().remove('&').toStdString() : "";
      Press(Qt::Key_Return);
    });
    Press(Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(enter.Acted());
    EXPECT_EQ(focused_button, "Yes");
  }
  EXPECT_EQ(testing::ReadAll(destination + "/a.txt"), "payload");
  ASSERT_TRUE(WaitActive(TopLevel("Form2")));
  EXPECT_EQ(Focused(), "Dir2") << "the focus goes back where it was";

  // Alt+N asks for a name, typed and confirmed with Enter, in the source folder.
  {
    WhenDialogOpens typed([&](QWidget* box) {
      EXPECT_NE(qobject_cast<QInputDialog*>(box), nullptr);
      Type("made");
      Press(Qt::Key_Enter, Qt::KeypadModifier);
    });
    Press(Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(typed.Acted());
  }
  EXPECT_TRUE(std::filesystem::is_directory(working + "/made"));
  ASSERT_TRUE(WaitActive(TopLevel("Form2")));

  // Space presses the focused button: Clear Clipboard.
  ASSERT_TRUE(TabTo("Command4"));
  Press(Qt::Key_Space);
  EXPECT_EQ(clipboard.clear_count, 1);

  // The menu bar by Alt alone: it opens on File; Right moves to Run and to About, and Enter on
  // About opens the dialog, with the focus on OK. The item the keys are on is marked.
  auto* bar = TopLevel("Form2")->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  const QImage bar_at_rest = bar->grab().toImage();
  Press(Qt::Key_Alt);
  EXPECT_NE(bar->grab().toImage(), bar_at_rest) << "Alt reaches the menu bar unseen";
  ASSERT_NE(bar->activeAction(), nullptr) << "Alt alone does not reach the menu bar";
  EXPECT_EQ(bar->activeAction()->text().remove('&'), "File");
  Press(Qt::Key_Right);
  EXPECT_EQ(bar->activeAction()->text().remove('&'), "Run");
  Press(Qt::Key_Right);
  EXPECT_EQ(bar->activeAction()->text().remove('&'), "About");
  Press(Qt::Key_Return);
  QWidget* about = TopLevel("frmAbout");
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitActive(about));
  EXPECT_EQ(Focused(), "cmdOK");
  // Escape closes it, and so does Enter on a second visit.
  Press(Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([] { return TopLevel("frmAbout") == nullptr; }, 2000));
  ASSERT_TRUE(WaitActive(TopLevel("Form2")));
  Press(Qt::Key_Alt);
  Press(Qt::Key_Left);
  ASSERT_NE(bar->activeAction(), nullptr);
  EXPECT_EQ(bar->activeAction()->text().remove('&'), "About");
  Press(Qt::Key_Return);
  ASSERT_NE(TopLevel("frmAbout"), nullptr);
  ASSERT_TRUE(WaitActive(TopLevel("frmAbout")));
  Press(Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([] { return TopLevel("frmAbout") == nullptr; }, 2000));

  // The Run menu: Alt, Right and Down open it on its first item; an item's own access key
  // starts it, and Enter the highlighted one.
  // Each time after a dialog or a popup has gone, as before Alt+E below.
  const auto open_run_menu = [] {
    ASSERT_TRUE(KeepsTheKeyboard(TopLevel("Form2")));
    Press(Qt::Key_Alt);
    Press(Qt::Key_Right);
    Press(Qt::Key_Down);
    ASSERT_NE(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr)
        << "Down does not open the Run menu";
  };
  open_run_menu();
  Press(Qt::Key_P);
  open_run_menu();
  Press(Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([this] { return programs.accessories_asked.size() == 2; }, 2000));
  EXPECT_EQ(programs.accessories_asked,
            (std::vector<platform::Accessory>{platform::Accessory::Paint,
                                              platform::Accessory::Calculator}));

  // Alt+E ends the program, once the closed menu has handed the keyboard back for good: a
  // compositor may take it away once more as the menu's popup goes.
  EXPECT_TRUE(QTest::qWaitFor(
      [bar] { return QApplication::activePopupWidget() == nullptr && !bar->activeAction(); },
      2000));
  ASSERT_TRUE(KeepsTheKeyboard(TopLevel("Form2")));
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([this] { return quit_count == 1; }, 2000));
}

// Every control that takes the focus draws itself differently while it has it, so a keyboard
// user can always see where the keys go.
TEST_F(KeyboardTest, TheFocusedControlIsVisiblyMarked) {
  temp.Write("a.txt", "payload");
  StartFocused();
  std::vector<std::string> unmarked;
  const std::string first = Focused();
  QWidget* top = TopLevel("Form2");
  do {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    // A focused control next to how it looks with the focus on another window.
    const QImage with_focus = focused->grab().toImage();
    focused->clearFocus();
    const QImage without_focus = focused->grab().toImage();
    focused->setFocus(Qt::TabFocusReason);
    if (with_focus == without_focus) unmarked.push_back(focused->objectName().toStdString());
    Press(Qt::Key_Tab);
  } while (Focused() != first && top->isActiveWindow());
  EXPECT_EQ(unmarked, std::vector<std::string>{});
}

}  // namespace
}  // namespace vantrel::testing
