// What the core asks of a front end: windows made from descriptions, pictures, and the end of
// the program.
#pragma once

#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/events.h"
#include "platform/window_description.h"

namespace vantrel::platform {

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // Creates a window from its description; its controls' events go to the sink. The window is
  // not loaded or shown until Show.
  virtual std::unique_ptr<Window> CreateWindow(const WindowDescription& description,
                                               EventSink& events) = 0;
  // A picture from an icon or image file, or null when the file is missing or unreadable.
  virtual PicturePtr LoadPicture(const std::string& path) = 0;
  // Closes every window and ends the process at once.
  virtual void EndProgram() = 0;
};

}  // namespace vantrel::platform
