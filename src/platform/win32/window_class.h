// Window classes of the program's own windows and controls.
#pragma once

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

// Registers the class once per process; later calls find it registered and do nothing.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HBRUSH background);

}  // namespace vantrel::platform::win32
