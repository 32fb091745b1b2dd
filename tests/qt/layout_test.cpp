// Every control of the main window and of the About dialog at its designed place on the real Qt
// widgets, from the table of designed places in pixels (tests/support/designed_places.cpp), and
// its text on the lines the Windows program puts it on, with nothing cut off. CTest runs this
// suite a second time at twice the scale, as on a 192 dpi screen.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <map>
#include <set>
#include <string>

#include "designed_places.h"
#include "platform/qt/text.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

std::string Text(const QRect& rect) {
  return "(" + std::to_string(rect.x()) + ", " + std::to_string(rect.y()) + ") " +
         std::to_string(rect.width()) + "x" + std::to_string(rect.height());
}

class LayoutTest : public ProgramTest {
 protected:
  void SetUp() override {
    Start();
    Child<QAction>(TopLevel("Form2"), "ab")->trigger();
    ASSERT_NE(TopLevel("frmAbout"), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(TopLevel("frmAbout")));
  }
};

TEST_F(LayoutTest, EveryControlOfBothWindowsSitsAtItsPixelRectangle) {
  const std::map<std::string, QSize> clients{
      {"Form2", {testing::kForm2ClientWidth, testing::kForm2ClientHeight}},
      {"frmAbout", {testing::kAboutClientWidth, testing::kAboutClientHeight}}};
  std::set<std::pair<std::string, std::string>> placed;
  for (const testing::DesignedPlace& place : testing::DesignedPlaces()) {
    const std::string what = std::string(place.window) + "." + place.control;
    auto* top = static_cast<QMainWindow*>(TopLevel(place.window));
    ASSERT_NE(top, nullptr) << what;
    QWidget* client = top->centralWidget();
    EXPECT_EQ(client->size(), clients.at(place.window)) << what;
    QWidget* widget = Child<QWidget>(top, place.control);
    ASSERT_NE(widget, nullptr) << what;
    EXPECT_EQ(Text(widget->geometry()),
              Text(QRect(place.left, place.top, place.width, place.height)))
        << what;
    QWidget* container = *place.container ? Child<QWidget>(top, place.container) : client;
    EXPECT_EQ(widget->parentWidget(), container) << what;
    placed.emplace(place.window, place.control);
  }
  EXPECT_EQ(placed, testing::DescribedControls());
}

// The lines a widget shows its text on, and whether they fit where its style draws them.
struct TextLayout {
  int lines = 0;
  bool fits = false;
};

// A button draws its caption, as the button fitted it, inside its style's contents rectangle.
TextLayout ButtonText(QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.features =
      button->autoDefault() ? QStyleOptionButton::AutoDefaultButton : QStyleOptionButton::None;
  const QRect room =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  const QStringList lines = platform::qt::WithoutAccessMarks(button->text()).split('\n');
  const QFontMetrics metrics = button->fontMetrics();
  bool fits = static_cast<int>(lines.size()) * metrics.height() <= room.height();
  for (const QString& line : lines) fits = fits && metrics.horizontalAdvance(line) <= room.width();
  return {static_cast<int>(lines.size()), fits};
}

// A word-wrapped label breaks its text as the style's item text does, within its contents.
TextLayout LabelText(QLabel* label) {
  const QRect room = label->contentsRect();
  const QFontMetrics metrics = label->fontMetrics();
  const QRect used =
      metrics.boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, label->text());
  const int lines = (used.height() + metrics.leading()) / metrics.lineSpacing();
  return {lines, used.width() <= room.width() && used.height() <= room.height()};
}

// A frame's title stands on one line, its label rectangle inside the frame.
TextLayout FrameText(QGroupBox* frame) {
  QStyleOptionGroupBox option;
  option.initFrom(frame);
  option.text = frame->title();
  option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  const QRect title =
      frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
  const int needed = frame->fontMetrics().horizontalAdvance(frame->title());
  return {1, title.width() >= needed && frame->rect().contains(title)};
}

TEST_F(LayoutTest, EveryCaptionStandsOnItsDesignedLinesAndFits) {
  std::set<std::pair<std::string, std::string>> checked;
  for (const testing::DesignedText& designed : testing::DesignedTexts()) {
    const std::string what = std::string(designed.window) + "." + designed.control;
    QWidget* widget = Child<QWidget>(TopLevel(designed.window), designed.control);
    ASSERT_NE(widget, nullptr) << what;
    TextLayout got;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      got = ButtonText(button);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (designed.text != nullptr) label->setText(QString::fromUtf8(designed.text));
      got = LabelText(label);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      got = FrameText(frame);
    } else {
      ADD_FAILURE() << what << " shows no text";
      continue;
    }
    EXPECT_EQ(got.lines, designed.lines) << what;
    EXPECT_TRUE(got.fits) << what << " is cut off";
    checked.emplace(designed.window, designed.control);
  }
  EXPECT_EQ(checked, testing::DescribedTextControls());
}

}  // namespace
}  // namespace vantrel::testing
