#include "platform/win32/frame.h"

namespace vantrel::platform::win32 {

void Win32Frame::Create(const ControlHost& host) {
  MakeWindow(host, L"BUTTON", std::string(description().caption), BS_GROUPBOX);
}

}  // namespace vantrel::platform::win32
