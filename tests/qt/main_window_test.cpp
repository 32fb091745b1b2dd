// The main window as built from its description: caption, captions, looks, tab order, menus,
// keys that must press nothing, and a resize that moves nothing (where each control sits is in
// layout_test).
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <array>
#include <functional>
#include <map>

#include "form/form2.h"
#include "platform/qt/app_icons.h"
#include "platform/qt/text.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

using platform::Event;

TEST_F(MainWindowTest, StartsWithItsCaptionLabelsAndLoadEvent) {
  EXPECT_EQ(top_->windowTitle(), "Vantrel 1.0");
  for (const char* name : {"Label1", "Label2", "Label4", "Label5"}) {
    EXPECT_EQ(window_->FindLabel(name).Caption(), " ") << name;
    EXPECT_EQ(Child<QLabel>(top_, name)->text(), " ") << name;
  }
  EXPECT_EQ(window_->FindLabel("Label6").Caption(), "");
  EXPECT_EQ(sink_.Count(platform::kFormControl, Event::Load), 1);
  // Loading puts the lists in the working folder without raising their Change.
  EXPECT_EQ(window_->FindFolderList("Dir1").Path(), working);
  EXPECT_EQ(window_->FindFileList("File1").Path(), working);
  EXPECT_EQ(sink_.Count("Dir1", Event::Change) + sink_.Count("Drive1", Event::Change), 0);
}

TEST_F(MainWindowTest, DrawsTheRunPaneControlsAboveTheirFrame) {
  QWidget* client = static_cast<QMainWindow*>(top_)->centralWidget();
  const QObjectList& stack = client->children();  // bottom to top
  const auto frame = stack.indexOf(Widget("Frame3"));
  for (const char* name : {"File3", "Command5", "Command6"}) {
    EXPECT_GT(stack.indexOf(Widget(name)), frame) << name;
    QWidget* hit = client->childAt(Widget(name)->geometry().center());
    EXPECT_TRUE(hit == Widget(name) || Widget(name)->isAncestorOf(hit)) << name;
  }
}

TEST_F(MainWindowTest, HasTheDescribedLooks) {
  EXPECT_TRUE(top_->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(top_->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(top_->windowIcon().pixmap(48, 48).size(), QSize(48, 48));
  EXPECT_EQ(top_->windowIcon().pixmap(48, 48).toImage(),
            platform::qt::ApplicationIconPixmap().toImage());

  // Each described face is asked for by an installed stand-in where the face is missing.
  const auto is_face_or_stand_in = [](const QFont& font, const QString& face) {
    const QStringList installed = QFontDatabase::families();
    const QStringList stand_ins = QFont::substitutes(face);
    const bool any_installed = std::any_of(stand_ins.begin(), stand_ins.end(), [&](const auto& s) {
      return installed.contains(s, Qt::CaseInsensitive);
    });
    if (installed.contains(face) || !any_installed) return font.family() == face;
    return stand_ins.contains(font.family(), Qt::CaseInsensitive) &&
           installed.contains(font.family());
  };
  const QFont window_font = static_cast<QMainWindow*>(top_)->centralWidget()->font();
  EXPECT_TRUE(is_face_or_stand_in(window_font, "MS Sans Serif"))
      << window_font.family().toStdString();
  EXPECT_DOUBLE_EQ(window_font.pointSizeF(), 8.25);
  QLabel* label1 = Child<QLabel>(top_, "Label1");
  EXPECT_TRUE(is_face_or_stand_in(label1->font(), "News Gothic MT"))
      << label1->font().family().toStdString();
  EXPECT_DOUBLE_EQ(label1->font().pointSizeF(), 9);
  EXPECT_TRUE(label1->font().bold());
  EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  QLabel* label5 = Child<QLabel>(top_, "Label5");
  EXPECT_TRUE(label5->font().bold());
  EXPECT_EQ(label5->palette().color(QPalette::WindowText), QColor(0, 0, 192));

  EXPECT_EQ(Widget("Command4")->toolTip(), "Clear the contens of Clipboard ");
  EXPECT_EQ(Child<QPushButton>(top_, "Command8")->text(), "&Copy +Paste");
  EXPECT_EQ(Child<QGroupBox>(top_, "Frame2")->title(), "Destination");
}

TEST_F(MainWindowTest, ShowsLabelCaptionsAsPlainText) {
  window_->FindLabel("Label4").SetCaption("Folder Name: /tmp/R&D <b>x</b>");
  QLabel* label = Child<QLabel>(top_, "Label4");
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->text(), "Folder Name: /tmp/R&D <b>x</b>");
  EXPECT_EQ(label->buddy(), nullptr);  // no accelerator taken from the '&'
}

TEST_F(MainWindowTest, TabVisitsTheControlsInTabOrderFromDrive1RoundToDrive1) {
  EXPECT_EQ(QApplication::focusWidget(), Widget("Drive1"));
  const std::vector<std::string> expected{
      "Drive1",   "File1",    "Dir1",     "Dir2",  "Drive2",   "File2",    "Command1", "Command3",
      "Command4", "Command5", "Command6", "File3", "Command7", "Command8", "Command2", "Drive1"};
  EXPECT_EQ(TabRound(15), expected);
}

TEST_F(MainWindowTest, MenuBarHasFileRunAndAboutAsACommand) {
  QMenuBar* bar = static_cast<QMainWindow*>(top_)->menuBar();
  const QList<QAction*> titles = bar->actions();
  ASSERT_EQ(titles.size(), 3);
  EXPECT_EQ(titles[0]->text(), "File");
  EXPECT_EQ(titles[1]->text(), "Run");
  EXPECT_EQ(titles[2]->text(), "About");
  EXPECT_EQ(titles[2]->menu(), nullptr);

  auto items = [](QAction* title) {
    std::vector<std::string> texts;
    for (QAction* item : title->menu()->actions()) texts.push_back(item->text().toStdString());
    return texts;
  };
  EXPECT_EQ(items(titles[0]), std::vector<std::string>{"&Exit"});
  EXPECT_EQ(items(titles[1]),
            (std::vector<std::string>{"&Calculator", "&Paintbrush", "&CD Player", "&Notepad"}));

  // Opening a drop-down raises nothing; its items and the About command raise their Click.
  titles[0]->menu()->popup(QPoint(0, 0));
  titles[0]->menu()->close();
  EXPECT_TRUE(sink_.raised.size() == 1 && sink_.raised[0].event == Event::Load);
  titles[2]->trigger();
  titles[1]->menu()->actions()[2]->trigger();
  EXPECT_EQ(sink_.Count("ab", Event::Click), 1);
  EXPECT_EQ(sink_.Count("cd", Event::Click), 1);
}

TEST_F(MainWindowTest, PopsUpTheRunMenuAtThePointer) {
  window_->PopupMenu("rn");
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->objectName(), "rn");
  popup->close();
  window_->PopupMenu("ab");  // a command has no drop-down
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(MainWindowTest, EnterAndEscapePressNoButton) {
  std::vector<QSignalSpy*> spies;
  for (QPushButton* button : top_->findChildren<QPushButton*>()) {
    spies.push_back(new QSignalSpy(button, &QPushButton::clicked));
  }
  const std::size_t before = sink_.raised.size();
  // On every control that takes the focus, buttons included.
  for (int i = 0; i < 15; ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Return);
    QTest::keyClick(focused, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(focused, Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(sink_.raised.size(), before);
  for (QSignalSpy* spy : spies) {
    EXPECT_EQ(spy->count(), 0);
    delete spy;
  }
  EXPECT_TRUE(top_->isVisible());
}

// Every control found by what a screen reader calls it, through the accessibility tree.
TEST_F(MainWindowTest, ScreenReadersFindEachControlByName) {
  std::map<std::string, std::string> found;  // accessible name -> control
  std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
    if (node == nullptr) return;
    if (node->object() != nullptr && !node->object()->objectName().isEmpty()) {
      const std::string control = node->object()->objectName().toStdString();
      found.emplace(node->text(QAccessible::Name).toStdString(), control);
      // Combo boxes are named by their value on Linux and say what they are here.
      if (node->role() == QAccessible::ComboBox)
        found.emplace(node->text(QAccessible::Description).toStdString(), control);
    }
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
  };
  walk(QAccessible::queryAccessibleInterface(top_));
  const std::map<std::string, std::string> expected{{"Source drive", "Drive1"},
                                                    {"Source folders", "Dir1"},
                                                    {"Source files", "File1"},
                                                    {"File name", "Label1"},
                                                    {"File size", "Label2"},
                                                    {"Destination drive", "Drive2"},
                                                    {"Destination folders", "Dir2"},
                                                    {"Destination files", "File2"},
                                                    {"Programs", "File3"},
                                                    {"Program to run", "Label5"},
                                                    {"Source folder name", "Label4"},
                                                    {"Destination folder name", "Label6"},
                                                    {"Copy +Paste", "Command8"},
                                                    {"Run Winprogram...", "Command6"},
                                                    {"Source", "Frame1"}};
  for (const auto& [name, control] : expected) {
    EXPECT_EQ(found[name], control) << name;
  }
}

TEST_F(MainWindowTest, AltAndTheUnderlinedLetterPressTheButton) {
  const std::vector<std::pair<Qt::Key, std::string>> accelerators{{Qt::Key_N, "Command1"},
                                                                  {Qt::Key_M, "Command7"},
                                                                  {Qt::Key_C, "Command8"},
                                                                  {Qt::Key_E, "Command2"}};
  ASSERT_TRUE(QTest::qWaitForWindowActive(top_));
  for (const auto& [key, button] : accelerators) {
    QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
    // A button pressed by its accelerator shows itself down for a moment, then clicks.
    EXPECT_TRUE(QTest::qWaitFor([&] { return sink_.Count(button, Event::Click) == 1; }, 2000))
        << button;
  }
  // C belongs to the button while the Run menu is closed.
  EXPECT_EQ(sink_.Count("cal", Event::Click) + sink_.Count("cd", Event::Click), 0);
}

TEST(AccessMarksTest, CaptionsShowAsQtDrawsThem) {
  using platform::qt::WithoutAccessMarks;
  EXPECT_EQ(WithoutAccessMarks("&New Folder.."), "New Folder..");
  EXPECT_EQ(WithoutAccessMarks("Copy &+Paste"), "Copy +Paste");
  EXPECT_EQ(WithoutAccessMarks("Salt && Pepper"), "Salt & Pepper");
  // "&&" is a literal '&', then "&x" marks x.
  EXPECT_EQ(WithoutAccessMarks("&&&x"), "&x");
  EXPECT_EQ(WithoutAccessMarks("Run&"), "Run");
  EXPECT_EQ(WithoutAccessMarks(""), "");
}

TEST_F(MainWindowTest, ResizingMovesNothing) {
  std::map<std::string, QRect> before;
  for (const auto& control : form::Form2Description().controls) {
    const std::string name(control.name);
    before[name] = Widget(name.c_str())->geometry();
  }
  for (const QSize size : {QSize(900, 700), QSize(200, 150), QSize(530, 500)}) {
    top_->resize(size);
    QApplication::processEvents();
    for (const auto& [name, geometry] : before) {
      EXPECT_EQ(Widget(name.c_str())->geometry(), geometry) << name << " at " << size.width();
    }
  }
}

TEST_F(MainWindowTest, MouseDownOnCommand6ReportsEachButton) {
  QWidget* button = Widget("Command6");
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mousePress(button, Qt::RightButton, Qt::ShiftModifier, QPoint(30, 15));
  QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(30, 15));
  QTest::mousePress(button, Qt::MiddleButton, {}, QPoint(5, 5));
  QTest::mouseRelease(button, Qt::MiddleButton, {}, QPoint(5, 5));
  std::vector<int> buttons;
  for (const auto& r : sink_.raised) {
    if (r.control == "Command6" && r.event == Event::MouseDown) buttons.push_back(r.args.button);
  }
  EXPECT_EQ(buttons, (std::vector<int>{1, 2, 4}));
  const auto* right = &sink_.raised[0];
  for (const auto& r : sink_.raised) {
    if (r.args.button == 2) right = &r;
  }
  EXPECT_EQ(right->args.shift, 1);
  EXPECT_FLOAT_EQ(right->args.x, 450);  // 30 pixels
  EXPECT_FLOAT_EQ(right->args.y, 225);
}

// Answers the style's folder and drive icons with one plain colour each, and notes each ask and
// whether the window had been painted by then.
class IconRecordingStyle final : public QProxyStyle {
 public:
  struct Ask {
    StandardPixmap which;
    bool after_paint;
  };
  static constexpr std::array kColours{std::pair{SP_DirOpenIcon, Qt::red},
                                       std::pair{SP_DirClosedIcon, Qt::green},
                                       std::pair{SP_DriveHDIcon, Qt::blue}};

  explicit IconRecordingStyle(const bool& painted) : painted_(painted) {}

  QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                     const QWidget* widget) const override {
    for (const auto& [kind, colour] : kColours) {
      if (kind != which) continue;
      asked.push_back({which, painted_});
      QPixmap pixmap(16, 16);
      pixmap.fill(colour);
      return QIcon(pixmap);
    }
    return QProxyStyle::standardIcon(which, option, widget);
  }

  mutable std::vector<Ask> asked;

 private:
  const bool& painted_;
};

// Notes the first paint of a window and runs a check while it is being painted.
class FirstPaintWatch final : public QObject {
 public:
  bool eventFilter(QObject* target, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(target);
    if (event->type() == QEvent::Paint && widget != nullptr && widget->isWindow() && !painted) {
      painted = true;
      if (at_first_paint) at_first_paint();
    }
    return false;
  }

  bool painted = false;
  std::function<void()> at_first_paint;
};

// The main window, built with the recording style in place.
class ListIconsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Folder("sub");
    qApp->installEventFilter(&watch_);
    watch_.at_first_paint = [this] { first_painted_ = Decoration("Dir1", 0); };
    previous_style_ = QApplication::style()->name();
    style_ = new IconRecordingStyle(watch_.painted);
    QApplication::setStyle(style_);  // the application owns it from here
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    qApp->removeEventFilter(&watch_);
    QApplication::setStyle(previous_style_);
  }

  QIcon Decoration(const char* list, int row) {
    const QAbstractItemModel* model = Child<QListView>(TopLevel("Form2"), list)->model();
    return model->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
  }
  static QRgb Centre(const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixel(8, 8); }

  FirstPaintWatch watch_;
  IconRecordingStyle* style_ = nullptr;
  QString previous_style_;
  QIcon first_painted_;
};

TEST_F(ListIconsTest, AreLookedUpOnceAfterTheFirstPaintAndThenShown) {
  ASSERT_TRUE(QTest::qWaitFor([this] { return style_->asked.size() >= 3; }, 2000));
  QApplication::processEvents();
  // Each icon once for both panes' lists, none before the window was painted.
  std::vector<QStyle::StandardPixmap> asked;
  for (const IconRecordingStyle::Ask& ask : style_->asked) {
    EXPECT_TRUE(ask.after_paint) << ask.which;
    asked.push_back(ask.which);
  }
  std::vector expected{QStyle::SP_DirOpenIcon, QStyle::SP_DirClosedIcon, QStyle::SP_DriveHDIcon};
  std::sort(asked.begin(), asked.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(asked, expected);
  // Painted first with a blank icon of the same size, so no row moves when the icon comes.
  EXPECT_EQ(qAlpha(Centre(first_painted_)), 0);
  EXPECT_EQ(first_painted_.actualSize(QSize(16, 16)), QSize(16, 16));
  // Then the open folder and its ancestors show the open icon, its one subfolder the closed one.
  for (const char* list : {"Dir1", "Dir2"}) {
    const int rows = Child<QListView>(top_, list)->model()->rowCount();
    ASSERT_GE(rows, 2) << list;
    for (int row = 0; row < rows - 1; ++row)
      EXPECT_EQ(Centre(Decoration(list, row)), QColor(Qt::red).rgb()) << list << row;
    EXPECT_EQ(Centre(Decoration(list, rows - 1)), QColor(Qt::green).rgb()) << list;
  }
  for (const char* drives : {"Drive1", "Drive2"}) {
    const auto* combo = Child<QComboBox>(top_, drives);
    ASSERT_GT(combo->count(), 0) << drives;
    EXPECT_EQ(Centre(combo->itemIcon(0)), QColor(Qt::blue).rgb()) << drives;
  }
}

}  // namespace
}  // namespace vantrel::testing
