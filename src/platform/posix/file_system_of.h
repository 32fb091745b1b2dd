// Which mounted file system holds a path, worked out from the kernel's mount table so that no
// file system has to be asked (a hung one would not answer).
#pragma once

#include <string>
#include <vector>

namespace vantrel::platform::posix {

// The kernel's mount table as it stands: every mount point, in the table's order.
std::string ReadMountInfo();
std::vector<std::string> ReadMountPoints();

// The mount point holding the path, by its text alone.
std::string FileSystemIn(const std::string& path, const std::vector<std::string>& mount_points);

// The mount point holding what the path leads to, its links followed. Only links are read on the
// way; a mount point is never looked at, nor anything below it.
std::string ResolvedFileSystemIn(const std::string& path,
                                 const std::vector<std::string>& mount_points);

}  // namespace vantrel::platform::posix
