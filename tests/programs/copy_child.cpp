// A program that makes one copy with the Windows copy and exits (0 when it succeeded): the copy
// tests kill it while it copies.
#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  using vantrel::platform::win32::Narrow;
  const auto files = vantrel::platform::MakeNativeFileSystem();
  return files->CopyFile(Narrow(argv[1]), Narrow(argv[2])) ? 1 : 0;
}
