#include "platform/qt/drive_list.h"

#include <QApplication>
#include <QStyle>

#include "platform/qt/qt_text.h"

namespace vantrel::platform::qt {

QtDriveList::QtDriveList(const ControlDescription& description, QWidget* parent,
                         ControlContext context)
    : QtControl(description), combo_(new QComboBox(parent)), context_(context) {
  const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const auto& drive : context_.front_end.drives.Drives()) {
    combo_->addItem(icon, ToDisplay(drive.text));
  }
  // activated comes from the user only, never from Load.
  QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) { Picked(index); });
}

void QtDriveList::Load() {
  const auto drive = context_.front_end.drives.DriveOf(context_.front_end.working_folder);
  shown_ = drive ? static_cast<int>(*drive) : (combo_->count() > 0 ? 0 : -1);
  combo_->setCurrentIndex(shown_);
}

std::string QtDriveList::Drive() const {
  const auto& drives = context_.front_end.drives.Drives();
  const int index = combo_->currentIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= drives.size()) return {};
  return drives[static_cast<std::size_t>(index)].text;
}

void QtDriveList::Picked(int index) {
  if (index == shown_) return;
  shown_ = index;
  context_.events.Raise(name(), Event::Change, {});
}

}  // namespace vantrel::platform::qt
