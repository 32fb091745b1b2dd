// Path texts are joined with the platform's separator ('\\' on Windows, '/' on Linux), which is
// a parameter here so the rules can be checked in both styles on any machine.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform {

struct PathStyle {
  char separator = '/';
};

inline constexpr PathStyle kWindowsPaths{'\\'};
inline constexpr PathStyle kPosixPaths{'/'};

#ifdef _WIN32
inline constexpr PathStyle kNativePaths = kWindowsPaths;
#else
inline constexpr PathStyle kNativePaths = kPosixPaths;
#endif

// Folder text, one separator, name: no trimming, so at a root the separator is doubled.
inline std::string PlainJoin(std::string_view folder, std::string_view name, PathStyle style) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  path.push_back(style.separator);
  path.append(name);
  return path;
}

}  // namespace vantrel::platform
