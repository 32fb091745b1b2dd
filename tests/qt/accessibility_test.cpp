// What a screen reader reads of the program's windows through Qt's accessibility interfaces: the
// labels' purposes and their shown texts, and a name for every control that takes the focus. The
// same tree, seen over AT-SPI from outside the program, is walked by atspi_walk.py.
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <functional>
#include <string>

#include "about/frm_about.h"
#include "form/form2.h"
#include "qt_fixture.h"

namespace vantrel::qt_testing {
namespace {

using AccessibilityTest = ProgramTest;

QString ReadText(QAccessibleInterface* node) {
  QAccessibleTextInterface* text = node->textInterface();
  return text == nullptr ? QStringLiteral("<no text interface>")
                         : text->text(0, text->characterCount());
}

// Every label of a window's table: a table name stays its name, with the shown text as its
// description; otherwise the shown text is the name. Either way the text interface reads it.
void ExpectLabelsRead(QWidget* top, const platform::WindowDescription& table) {
  for (const platform::ControlDescription& control : table.controls) {
    if (control.kind != platform::ControlKind::Label) continue;
    const std::string name(control.name);
    auto* label = Child<QLabel>(top, name.c_str());
    ASSERT_NE(label, nullptr) << name;
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(node, nullptr) << name;
    EXPECT_EQ(node->role(), QAccessible::StaticText) << name;
    EXPECT_EQ(ReadText(node), label->text()) << name;
    if (control.accessible_name.empty()) {
      EXPECT_EQ(node->text(QAccessible::Name), label->text()) << name;
    } else {
      EXPECT_EQ(node->text(QAccessible::Name).toStdString(), control.accessible_name) << name;
      EXPECT_EQ(node->text(QAccessible::Description), label->text().trimmed()) << name;
    }
  }
}

TEST_F(AccessibilityTest, LabelsKeepTheirPurposeAndReadWhatTheyShow) {
  temp.Write("alpha.txt", "hello");
  Start();
  QWidget* main_window = TopLevel("Form2");
  ASSERT_NE(main_window, nullptr);
  ExpectLabelsRead(main_window, form::Form2Description());

  auto* files = Child<QListView>(main_window, "File1");
  ClickRow(files, RowOf(files, "alpha.txt"));
  ASSERT_EQ(Caption("Label1"), "Filename:alpha.txt");
  ExpectLabelsRead(main_window, form::Form2Description());
  QAccessibleInterface* size =
      QAccessible::queryAccessibleInterface(Child<QLabel>(main_window, "Label2"));
  EXPECT_EQ(size->text(QAccessible::Name), "File size");
  EXPECT_EQ(size->text(QAccessible::Description), "Filesize: 5 Bytes");
  EXPECT_EQ(ReadText(size), "Filesize: 5 Bytes");

  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  ExpectLabelsRead(about, about::FrmAboutDescription());
}

// A screen reader names what takes the focus: each control of both windows has a name (a combo
// box, named by its current drive, says what it is in its description).
TEST_F(AccessibilityTest, EveryControlThatTakesTheFocusHasAName) {
  Start();
  QWidget* main_window = TopLevel("Form2");
  ASSERT_NE(main_window, nullptr);
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  for (QWidget* top : {main_window, about}) {
    int focusable = 0;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
      if (node == nullptr) return;
      const QAccessible::State state = node->state();
      if (state.focusable && !state.invisible && node->object() != nullptr &&
          node->object()->isWidgetType()) {
        ++focusable;
        const QString name = node->role() == QAccessible::ComboBox
                                 ? node->text(QAccessible::Description)
                                 : node->text(QAccessible::Name);
        EXPECT_FALSE(name.trimmed().isEmpty())
            << top->objectName().toStdString() << "." << node->object()->objectName().toStdString();
      }
      for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(top));
    EXPECT_GT(focusable, 2) << top->objectName().toStdString();
  }
}

}  // namespace
}  // namespace vantrel::qt_testing
