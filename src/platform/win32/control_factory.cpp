#include "platform/win32/control_factory.h"

#include <algorithm>
#include <numeric>

#include "platform/win32/button.h"
#include "platform/win32/drive_list.h"
#include "platform/win32/file_list.h"
#include "platform/win32/folder_list.h"
#include "platform/win32/frame.h"
#include "platform/win32/label.h"
#include "platform/win32/line.h"
#include "platform/win32/picture_box.h"

namespace vantrel::platform::win32 {

std::unique_ptr<Win32Control> MakeControl(const ControlDescription& description) {
  switch (description.kind) {
    case ControlKind::Frame:
      return std::make_unique<Win32Frame>(description);
    case ControlKind::DriveList:
      return std::make_unique<Win32DriveList>(description);
    case ControlKind::FolderList:
      return std::make_unique<Win32FolderList>(description);
    case ControlKind::FileList:
      return std::make_unique<Win32FileList>(description);
    case ControlKind::Label:
      return std::make_unique<Win32Label>(description);
    case ControlKind::Button:
      return std::make_unique<Win32Button>(description);
    case ControlKind::PictureBox:
      return std::make_unique<Win32PictureBox>(description);
    case ControlKind::Line:
      return std::make_unique<Win32Line>(description);
  }
  return nullptr;
}

std::vector<std::size_t> CreationOrder(std::span<const ControlDescription> controls) {
  std::vector<std::size_t> order(controls.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  auto rank = [&](std::size_t i) {
    const ControlDescription& c = controls[i];
    const int group = c.kind == ControlKind::Frame ? 2 : (c.tab_index == kNoTab ? 1 : 0);
    return std::pair{group, c.tab_index};
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  return order;
}

}  // namespace vantrel::platform::win32
