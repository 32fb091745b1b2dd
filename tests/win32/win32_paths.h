// Small helpers for the Windows tests: UTF-8 paths of a temporary folder, and raw checks made
// with the system's own calls (never through the code under test).
#pragma once

#include <string>
#include <vector>

#include "platform/win32/api.h"
#include "platform/win32/text.h"
#include "temp_folder.h"

namespace vantrel::testing {

inline std::wstring W(const std::string& utf8) {
  return platform::win32::Widen(utf8);
}

inline std::string Join(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

inline bool Exists(const std::string& path) {
  return ::GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(W(path).c_str());
}

inline bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline void SetReadOnly(const std::string& path, bool read_only) {
  ::SetFileAttributesW(W(path).c_str(),
                       read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

// Names in a folder, hidden ones included, as the system lists them.
std::vector<std::string> RawNames(const std::string& folder);

// The folder of the running test program, where the helper programs are built too.
std::string TestProgramFolder();

}  // namespace vantrel::testing
