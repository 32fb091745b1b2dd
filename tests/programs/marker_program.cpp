// A stand-in program for the start tests: it writes how it was shown (the window style it was
// given) into "<its own path>.ran" and exits.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/api.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  wchar_t path[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  std::ofstream marker(std::filesystem::path(std::wstring(path) + L".ran"));
  marker << startup.wShowWindow << "\n";
  // The command line as it arrived, so the test can see the program's own quoted name.
  const std::wstring line = ::GetCommandLineW();
  marker << line.size() << "\n";
  (void)command_line;
  return 0;
}
