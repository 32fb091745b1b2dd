// Path texts on their way to Windows. Both '\' and '/' separate folders, as Windows reads them.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform::win32 {

inline bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}
inline bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

struct PathParts {
  std::string folder;  // up to and including the last separator; empty when there is none
  std::string name;    // after the last separator; empty when the path ends in one
};
PathParts SplitLastComponent(const std::string& path);

// True when a component other than "." and ".." ends in a dot or a space. Windows drops those
// characters when it reads an ordinary path, so such a name would silently become another one.
bool HasComponentEndingInDotOrSpace(std::wstring_view path);

// The UTF-16 form handed to the file functions. Windows reads an ordinary path loosely: it drops
// trailing dots and spaces from names and stops at MAX_PATH. A path that is long or holds such a
// name is given in the extended form ("\\?\C:\...", separators, "." and ".." resolved here), so
// the call reaches exactly the named file.
std::wstring SystemPath(std::string_view utf8);

}  // namespace vantrel::platform::win32
