#include "x_seat.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

namespace vantrel::testing {

struct XSeat::Connection {
  Display* display = nullptr;
  bool has_xtest = false;
};

XSeat::XSeat(const std::string& display) : connection_(std::make_unique<Connection>()) {
  connection_->display = XOpenDisplay(display.c_str());
  if (connection_->display == nullptr) return;
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  connection_->has_xtest =
      XTestQueryExtension(connection_->display, &event_base, &error_base, &major, &minor) != 0;
}

XSeat::~XSeat() {
  if (connection_->display != nullptr) XCloseDisplay(connection_->display);
}

bool XSeat::Connected() const {
  return connection_->display != nullptr && connection_->has_xtest;
}

void XSeat::MoveTo(int x, int y) {
  XTestFakeMotionEvent(connection_->display, -1, x, y, CurrentTime);
  XSync(connection_->display, False);
}

void XSeat::PressLeft() {
  XTestFakeButtonEvent(connection_->display, 1, True, CurrentTime);
  XSync(connection_->display, False);
}

void XSeat::ReleaseLeft() {
  XTestFakeButtonEvent(connection_->display, 1, False, CurrentTime);
  XSync(connection_->display, False);
}

ScreenImage XSeat::Grab(int x, int y, int width, int height) {
  Display* display = connection_->display;
  const int screen = DefaultScreen(display);
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = std::min(x + width, DisplayWidth(display, screen));
  const int bottom = std::min(y + height, DisplayHeight(display, screen));
  ScreenImage image;
  if (right <= left || bottom <= top) return image;
  XImage* pixels = XGetImage(display, RootWindow(display, screen), left, top,
                             static_cast<unsigned>(right - left),
                             static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (pixels == nullptr) return image;
  image.width = right - left;
  image.height = bottom - top;
  image.rgb.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  for (int row = 0; row < image.height; ++row) {
    for (int column = 0; column < image.width; ++column) {
      image.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(pixels, column, row)) & 0xFFFFFFU);
    }
  }
  XDestroyImage(pixels);
  return image;
}

}  // namespace vantrel::testing
