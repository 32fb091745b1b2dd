#include "platform/qt/drive_list.h"

#include <QSignalBlocker>
#include <functional>
#include <utility>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

// A combo box that says when its list is about to open.
class DriveCombo final : public QComboBox {
 public:
  DriveCombo(QWidget* parent, std::function<void()> opening)
      : QComboBox(parent), opening_(std::move(opening)) {}

  void showPopup() override {
    opening_();
    QComboBox::showPopup();
  }

 private:
  std::function<void()> opening_;
};

}  // namespace

QtDriveList::QtDriveList(const ControlDescription& description, QWidget* parent,
                         ControlContext context)
    : QtControl(description),
      combo_(new DriveCombo(parent, [this] { ReadDrives(); })),
      context_(context) {
  ShowItems(lists::DriveTexts(context_.front_end.drives.Drives()));
  QObject::connect(&context_.front_end.icons, &ListIcons::Arrived, combo_, [this] { ShowIcons(); });
  // activated comes from the user only, never from Load or from reading the drives again.
  QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) { Picked(index); });
}

void QtDriveList::Load() {
  const FrontEndContext& front_end = context_.front_end;
  shown_ = lists::ItemIndex(texts_, front_end.drives.DriveTextOf(front_end.working_folder));
  if (shown_ < 0 && !texts_.empty()) shown_ = 0;
  combo_->setCurrentIndex(shown_);
}

std::string QtDriveList::Drive() const {
  const int index = combo_->currentIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= texts_.size()) return {};
  return texts_[static_cast<std::size_t>(index)];
}

void QtDriveList::Picked(int index) {
  if (index == shown_) return;
  shown_ = index;
  context_.events.Raise(name(), Event::Change, {});
}

void QtDriveList::ReadDrives() {
  FrontEndContext& front_end = context_.front_end;
  // Opened while a handler waits (a screen reader can open it then): a read would be a wait
  // inside that wait, so the list shows the drives it read last.
  if (!front_end.list_drives || front_end.off_thread.Waiting()) return;
  lists::DriveMemory::ListItems items =
      front_end.drives.Reread(front_end.list_drives(front_end.off_thread), Drive());
  if (items.texts == texts_ && items.shown == shown_) return;
  ShowItems(std::move(items.texts));
  shown_ = items.shown;
  const QSignalBlocker quiet(combo_);
  combo_->setCurrentIndex(shown_);
}

void QtDriveList::ShowItems(std::vector<std::string> texts) {
  const QSignalBlocker quiet(combo_);
  combo_->clear();
  const QIcon& icon = context_.front_end.icons.Icon(ListIcons::Drive);
  for (const std::string& text : texts) combo_->addItem(icon, ToDisplayName(text));
  texts_ = std::move(texts);
}

void QtDriveList::ShowIcons() {
  const QIcon& icon = context_.front_end.icons.Icon(ListIcons::Drive);
  for (int item = 0; item < combo_->count(); ++item) combo_->setItemIcon(item, icon);
}

}  // namespace vantrel::platform::qt
