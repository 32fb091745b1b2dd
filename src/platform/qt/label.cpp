#include "platform/qt/label.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

// The label widget of a QtLabel, told apart from other labels (message boxes', pictures') by its
// type when the accessibility factory is asked for an interface.
class LabelWidget final : public QLabel {
 public:
  using QLabel::QLabel;
};

// A label as a screen reader reads it. A label with a name from its window's table is known by
// that name ("File name"), which says what it shows; what it shows now ("Filename:a.txt") is its
// description and its text. A label without one is named by its text, as Qt names labels. Both
// kinds offer their text through the text interface.
class AccessibleLabel final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text type) const override {
    const bool named = !label()->accessibleName().isEmpty();
    if (type == QAccessible::Name && !named) return label()->text();
    if (type == QAccessible::Description && named && label()->accessibleDescription().isEmpty())
      return label()->text().trimmed();
    return QAccessibleWidget::text(type);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
  }

  // The text interface: the whole shown text, with no caret and no selection.
  QString text(int start, int end) const override {
    return label()->text().mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(label()->text().size()); }
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 private:
  QLabel* label() const { return static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* MakeAccessibleLabel(const QString&, QObject* object) {
  auto* label = dynamic_cast<LabelWidget*>(object);
  return label != nullptr ? new AccessibleLabel(label) : nullptr;
}

QLabel* NewLabel(QWidget* parent) {
  static const bool installed = (QAccessible::installFactory(MakeAccessibleLabel), true);
  static_cast<void>(installed);
  return new LabelWidget(parent);
}

}  // namespace

QtLabel::QtLabel(const ControlDescription& description, QWidget* parent)
    : QtControl(description), label_(NewLabel(parent)) {
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setFocusPolicy(Qt::NoFocus);
  SetCaption(std::string(description.caption));
}

void QtLabel::Load() {
  SetCaption(std::string(description().caption));
}

void QtLabel::SetCaption(const std::string& text) {
  caption_ = text;
  const QString before = label_->text();
  const QString shown = ToDisplay(text);
  if (shown == before) return;
  label_->setText(shown);
  // Qt tells screen readers of the new text only for labels named by it; a label named by its
  // table keeps its name, and its text and description change.
  QAccessibleTextUpdateEvent updated(label_, 0, before, shown);
  QAccessible::updateAccessibility(&updated);
  if (!label_->accessibleName().isEmpty()) {
    QAccessibleEvent described(label_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
  }
}

}  // namespace vantrel::platform::qt
