// Vantrel.exe: the real services, the application, and the message loop.
#include "app/application.h"
#include "platform/native.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/dialogs_win32.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/window_system_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace vantrel;
  // A drive without a medium answers with a failure, not a system dialog.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  platform::win32::Win32WindowSystem windows(
      instance, [] { ::PostQuitMessage(0); }, platform::WorkingFolder());
  platform::win32::Win32Dialogs dialogs;
  platform::win32::Win32Clipboard clipboard;
  const auto files = platform::MakeNativeFileSystem();
  const auto programs = platform::MakeNativeProgramStarter();
  const auto registry = platform::MakeNativeRegistry();
  const auto program = platform::MakeNativeProgramInfo();
  app::Services services{windows,   *files,    dialogs,  *programs,
                         clipboard, *registry, *program, platform::kWindowsPaths};
  app::Application application(services);
  application.Start();
  return platform::win32::RunMessageLoop(windows);
}
