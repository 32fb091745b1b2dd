// Every control of the main window and of the About dialog at its designed place on the real Qt
// widgets, from the table of designed places in pixels (tests/support/designed_places.cpp).
#include <QAction>
#include <QMainWindow>
#include <QTest>
#include <map>
#include <set>
#include <string>

#include "designed_places.h"
#include "qt_fixture.h"

namespace vantrel::qt_testing {
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

}  // namespace
}  // namespace vantrel::qt_testing
