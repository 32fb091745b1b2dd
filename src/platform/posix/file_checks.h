// Small checks shared by the POSIX file operations.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/file_system.h"

namespace vantrel::platform::posix {

// A path cut before its last component, so the *at calls can work on the name in its folder.
// "a/b" gives "a" and "b"; "b" gives "." and "b"; "/b" gives "/" and "b"; "a/" gives "a" and
// an empty name, which no operation accepts (nothing was selected).
struct PathParts {
  std::string folder;
  std::string name;
};
PathParts SplitLastComponent(const std::string& path);

// True when the user may not change the file: no write bit at all (checked on the bits, so
// that it holds for root too, like the read-only attribute on Windows), or no write access
// for this process, or a read-only file system.
bool IsReadOnly(int folder_fd, const std::string& name, const struct stat& info);

// Whether two looks saw the same file: the same inode on the same device.
inline bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The version of a file as a copy records it and a move checks it: device, inode, size and
// modification time in nanoseconds.
FileVersion VersionOf(const struct stat& info);

}  // namespace vantrel::platform::posix
