#include "platform/qt/window_builder.h"

#include <QComboBox>
#include <QMenuBar>
#include <algorithm>
#include <map>
#include <string>

#include "platform/qt/app_icons.h"
#include "platform/qt/button.h"
#include "platform/qt/drive_list.h"
#include "platform/qt/drop_target.h"
#include "platform/qt/file_list.h"
#include "platform/qt/folder_list.h"
#include "platform/qt/fonts.h"
#include "platform/qt/frame.h"
#include "platform/qt/geometry.h"
#include "platform/qt/label.h"
#include "platform/qt/line.h"
#include "platform/qt/mouse_events.h"
#include "platform/qt/picture_box.h"
#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

std::unique_ptr<QtControl> MakeControl(const ControlDescription& d, QWidget* parent,
                                       ControlContext context) {
  switch (d.kind) {
    case ControlKind::Frame:
      return std::make_unique<QtFrame>(d, parent);
    case ControlKind::DriveList:
      return std::make_unique<QtDriveList>(d, parent, context);
    case ControlKind::FolderList:
      return std::make_unique<QtFolderList>(d, parent, context);
    case ControlKind::FileList:
      return std::make_unique<QtFileList>(d, parent, context);
    case ControlKind::Label:
      return std::make_unique<QtLabel>(d, parent);
    case ControlKind::Button:
      return std::make_unique<QtButton>(d, parent, context.events);
    case ControlKind::PictureBox:
      return std::make_unique<QtPictureBox>(d, parent);
    case ControlKind::Line:
      return std::make_unique<QtLine>(d, parent);
  }
  return nullptr;
}

void ApplyLooks(const ControlDescription& d, QWidget* widget) {
  widget->setObjectName(ToDisplay(d.name));
  if (d.kind != ControlKind::Line) widget->setGeometry(ToPixels(d.bounds));
  if (!d.tooltip.empty()) widget->setToolTip(ToDisplay(d.tooltip));
  // Buttons and frames are known by their captions already; lists and labels need a name.
  if (!d.accessible_name.empty()) {
    widget->setAccessibleName(ToDisplay(d.accessible_name));
    // On Linux Qt names a combo box by its current text; the description says what it is.
    if (qobject_cast<QComboBox*>(widget) != nullptr)
      widget->setAccessibleDescription(ToDisplay(d.accessible_name));
  }
  if (d.font) widget->setFont(DescribedFont(*d.font));
  if (d.text_colour && d.kind != ControlKind::Line) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ToQColor(*d.text_colour));
    widget->setPalette(palette);
  }
  if (!d.takes_focus) widget->setFocusPolicy(Qt::NoFocus);
}

// Chains the controls that take the focus by their tab index; returns the first.
QWidget* ChainTabOrder(const std::vector<std::unique_ptr<QtControl>>& controls) {
  std::vector<const QtControl*> order;
  for (const auto& control : controls) {
    if (control->widget()->focusPolicy() & Qt::TabFocus) order.push_back(control.get());
  }
  std::stable_sort(order.begin(), order.end(), [](const QtControl* a, const QtControl* b) {
    return a->description().tab_index < b->description().tab_index;
  });
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(order[i - 1]->widget(), order[i]->widget());
  }
  return order.empty() ? nullptr : order.front()->widget();
}

// Enter presses the default button, or the focused button; Escape the cancel button. A window
// with neither lets no key press a button by itself.
void SetDialogButtons(const WindowDescription& window, FormWidget& form,
                      const std::vector<std::unique_ptr<QtControl>>& controls) {
  if (window.default_button.empty() && window.cancel_button.empty()) return;
  for (const auto& control : controls) {
    const auto* button = dynamic_cast<const QtButton*>(control.get());
    if (button == nullptr) continue;
    button->button()->setAutoDefault(!window.default_button.empty());
    if (control->name() == window.default_button) {
      button->button()->setDefault(true);
      form.SetDefaultButton(button->button());
    }
    if (control->name() == window.cancel_button) form.SetCancelButton(button->button());
  }
}

Qt::WindowFlags FrameFlags(const WindowDescription& window) {
  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint;
  if (window.border == Border::FixedDialog) flags |= Qt::MSWindowsFixedSizeDialogHint;
  if (window.minimize_button) flags |= Qt::WindowMinimizeButtonHint;
  if (window.maximize_button) flags |= Qt::WindowMaximizeButtonHint;
  // A tool window has no taskbar entry.
  if (!window.in_taskbar) return flags | Qt::Tool;
  return flags | (window.border == Border::FixedDialog ? Qt::Dialog : Qt::Window);
}

}  // namespace

BuiltControls BuildControls(const WindowDescription& window, FormWidget& form,
                            ControlContext context) {
  BuiltControls built;
  std::map<std::string_view, QWidget*> frames;
  // Frames first, so the controls they hold have their container whatever the table's order.
  for (const bool frame_pass : {true, false}) {
    for (const ControlDescription& d : window.controls) {
      if ((d.kind == ControlKind::Frame) != frame_pass) continue;
      const auto container = frames.find(d.container);
      QWidget* parent = container != frames.end() ? container->second : form.client();
      auto control = MakeControl(d, parent, context);
      ApplyLooks(d, control->widget());
      if (frame_pass) frames.emplace(d.name, control->widget());
      // Controls lie over the frames they share the window with.
      if (!frame_pass) control->widget()->raise();
      built.controls.push_back(std::move(control));
    }
  }
  for (const auto& control : built.controls) {
    ForwardMouseEvents(*control, context.events);
    AcceptControlDrops(*control, context);
  }
  built.first_focus = ChainTabOrder(built.controls);
  SetDialogButtons(window, form, built.controls);
  return built;
}

void ApplyWindowFrame(const WindowDescription& window, FormWidget& form) {
  form.setObjectName(ToDisplay(window.name));
  form.setWindowFlags(FrameFlags(window));
  // Closing any window of the program counts towards its end, the tool window included.
  form.setAttribute(Qt::WA_QuitOnClose, true);
  form.client()->setFont(DescribedFont(window.font));
  form.setWindowTitle(ToDisplay(window.caption));
  if (window.icon) form.setWindowIcon(ApplicationIcon());
}

void PlaceWindow(const WindowDescription& window, FormWidget& form) {
  const int menu_height = form.menuWidget() != nullptr ? form.menuWidget()->sizeHint().height() : 0;
  const QRect client = ToPixels(window.client);
  const QSize size(client.width(), client.height() + menu_height);
  if (window.border == Border::FixedDialog) {
    form.setFixedSize(size);
  } else {
    form.resize(size);
  }
  // A top-level widget's geometry is its client area, so the area lands where the table says.
  if (window.placement == Placement::Manual)
    form.setGeometry(QRect(QPoint(client.left(), client.top() - menu_height), size));
}

}  // namespace vantrel::platform::qt
