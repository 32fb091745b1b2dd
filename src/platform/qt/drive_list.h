// A drive list: the drives a user would browse. Picking another drive raises Change. Each time the
// list opens it reads the drives again, so a medium mounted meanwhile can be picked.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class QtDriveList final : public QtControl, public DriveList {
 public:
  QtDriveList(const ControlDescription& description, QWidget* parent, ControlContext context);

  QWidget* widget() const override { return combo_; }
  // Shows the drive holding the working folder; raises nothing.
  void Load() override;

  std::string Drive() const override;

 private:
  void Picked(int index);
  // The drives read now, the one shown kept even if it has gone; raises nothing.
  void ReadDrives();
  void ShowItems(std::vector<std::string> texts);
  // Gives every item the drive icon, once the icons have arrived.
  void ShowIcons();

  QComboBox* combo_;
  ControlContext context_;
  std::vector<std::string> texts_;  // the drive of each item
  int shown_ = -1;                  // the drive shown before the user's pick
};

}  // namespace vantrel::platform::qt
