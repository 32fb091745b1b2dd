// Vantrel.exe: the real services, the application, and the message loop.
#include "app/application.h"
#include "platform/off_thread_calls.h"
#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/window_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace vantrel;
  platform::PrepareProcess();

  platform::win32::Win32WindowSystem windows(
      instance, [] { ::PostQuitMessage(0); }, platform::WorkingFolder());
  platform::win32::Win32Dialogs dialogs;
  platform::win32::Win32Clipboard clipboard;
  // The file system, program start and registry may block on a disk or a network: every call
  // runs on a worker while the windows keep painting, and closing the last window ends the
  // program meanwhile.
  const std::shared_ptr<platform::FileSystem> native_files = platform::MakeNativeFileSystem();
  const auto native_programs = platform::MakeNativeProgramStarter();
  platform::OffThreadFileSystem files(native_files, windows.off_thread());
  platform::OffThreadProgramStarter programs(*native_programs, windows.off_thread());
  const auto native_registry = platform::MakeNativeRegistry();
  platform::OffThreadRegistry registry(*native_registry, windows.off_thread());
  const auto program = platform::MakeNativeProgramInfo();
  form::Services services{windows,   files,    dialogs,  programs,
                          clipboard, registry, *program, platform::kWindowsPaths};
  app::Application application(services);
  application.Start();
  return platform::win32::RunMessageLoop(windows);
}
