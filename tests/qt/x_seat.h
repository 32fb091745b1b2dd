// The pointer of a compositor's seat when the compositor runs as a window of an X server (weston's
// X11 backend): moved and pressed through the XTEST extension, and the screen read back, so a
// Wayland client can be driven as a user's hand drives it. Kept free of Xlib's headers, whose
// macros clash with Qt's names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row by row
  std::uint32_t At(int x, int y) const {
    return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)];
  }
};

// One connection to the X server; use it from one thread at a time.
class XSeat {
 public:
  // Connects to that display; Connected() tells whether it worked and XTEST is there.
  explicit XSeat(const std::string& display);
  ~XSeat();
  XSeat(const XSeat&) = delete;
  XSeat& operator=(const XSeat&) = delete;

  bool Connected() const;
  void MoveTo(int x, int y);
  void PressLeft();
  void ReleaseLeft();
  // The screen's pixels in that rectangle, clipped to the screen.
  ScreenImage Grab(int x, int y, int width, int height);

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

}  // namespace vantrel::testing
