#include "platform/win32/window_system.h"

#include <commctrl.h>

#include <utility>

#include "platform/off_thread_calls.h"
#include "platform/os_services.h"
#include "platform/win32/form_window.h"
#include "platform/win32/path.h"
#include "platform/win32/picture.h"
#include "platform/win32/window_class.h"

namespace vantrel::platform::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"VantrelOwner";
constexpr int kLargeIcon = 48;

HICON ProgramIcon(HINSTANCE instance, int size) {
  const auto icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource),
                                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon != nullptr ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

HCURSOR BuiltInDragCursor(HINSTANCE instance) {
  const auto icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kDragIconResource),
                                                    IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  return icon != nullptr ? icon : ::LoadCursorW(nullptr, IDC_HAND);
}

// A window that is never shown: windows it owns stay out of the taskbar.
HWND MakeHiddenOwner(HINSTANCE instance) {
  RegisterWindowClass(instance, kOwnerClass, ::DefWindowProcW, nullptr);
  return ::CreateWindowExW(0, kOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance, std::function<void()> quit,
                                     const std::string& start_folder, DriveReader list_drives)
    : front_end_{.instance = instance,
                 .drives = lists::DriveMemory({}, start_folder, kWindowsPaths),
                 .list_drives = list_drives
                                    ? std::move(list_drives)
                                    : [](OffThread& off_thread) { return ListDrives(off_thread); },
                 .off_thread = off_thread_,
                 .working_folder = start_folder,
                 .wait = wait_,
                 .quit = std::move(quit)},
      gui_wait_(front_end_),
      off_thread_(gui_wait_, wait_, ProcessStuckPlaces()) {
  front_end_.drives =
      lists::DriveMemory(front_end_.list_drives(off_thread_), start_folder, kWindowsPaths);
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  front_end_.large_icon = ProgramIcon(instance, kLargeIcon);
  front_end_.window_icon = ProgramIcon(instance, ::GetSystemMetrics(SM_CXICON));
  front_end_.small_icon = ProgramIcon(instance, ::GetSystemMetrics(SM_CXSMICON));
  front_end_.built_in_drag = BuiltInDragCursor(instance);
  front_end_.hidden_owner = MakeHiddenOwner(instance);
}

Win32WindowSystem::~Win32WindowSystem() {
  front_end_.quit = nullptr;
  if (front_end_.hidden_owner != nullptr) ::DestroyWindow(front_end_.hidden_owner);
}

std::unique_ptr<Window> Win32WindowSystem::CreateWindow(const WindowDescription& description,
                                                        EventSink& events) {
  return std::make_unique<Win32Window>(description, events, front_end_);
}

// The file may sit on a slow or hung drive: it is read on a worker, given up on as any read is
// (icons belong to the process, not to a thread). A picture that comes after the read was
// given up on goes with the worker's result.
PicturePtr Win32WindowSystem::LoadPicture(const std::string& path) {
  return ReadOffThread<PicturePtr>(
      front_end_.off_thread, path,
      [](const std::string& file, const std::function<void()>&) -> PicturePtr {
        const auto icon = static_cast<HICON>(
            ::LoadImageW(nullptr, SystemPath(file).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        if (icon == nullptr) return nullptr;
        return std::make_shared<Win32Picture>(icon);
      },
      nullptr);
}

// No handler runs from here on; the windows close and the loop ends.
void Win32WindowSystem::EndProgram() {
  wait_.ended = true;
  // Closing the last loaded window quits; with none loaded, quit here.
  const bool any_loaded = front_end_.loaded_windows > 0;
  const auto windows = front_end_.windows;
  for (Win32Window* window : windows) window->Unload();
  if (!any_loaded && front_end_.quit) front_end_.quit();
}

// The message's window is found first: handling the message may make a new window.
bool Win32WindowSystem::PreTranslate(MSG& message) {
  HWND target = nullptr;
  for (const Win32Window* window : front_end_.windows) {
    const HWND hwnd = window->hwnd();
    if (hwnd != nullptr && (message.hwnd == hwnd || ::IsChild(hwnd, message.hwnd))) target = hwnd;
  }
  return target != nullptr && ::IsDialogMessageW(target, &message) != 0;
}

Win32Window* Win32WindowSystem::Find(std::string_view name) const {
  for (auto it = front_end_.windows.rbegin(); it != front_end_.windows.rend(); ++it) {
    if ((*it)->description().name == name) return *it;
  }
  return nullptr;
}

int RunMessageLoop(Win32WindowSystem& windows) {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (windows.PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace vantrel::platform::win32
