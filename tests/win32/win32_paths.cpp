#include "win32_paths.h"

#include <algorithm>
#include <vector>

namespace vantrel::testing {

std::vector<std::string> RawNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(W(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(platform::win32::Narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestProgramFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  const std::wstring program = path;
  return platform::win32::Narrow(program.substr(0, program.find_last_of(L'\\')));
}

}  // namespace vantrel::testing
