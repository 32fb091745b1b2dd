// The copy behind FileSystem::CopyFile on POSIX.
#pragma once

#include <string>
#include <system_error>

namespace vantrel::platform::posix {

// Copies a regular file over the destination name so that a failure never damages anything: the
// data goes into a hidden temporary file beside the destination, which replaces the destination
// name in one rename only when it is complete and on disk. Refuses a source that is not a
// regular file, a destination that is the source itself (by device and inode, whatever the
// spelling), a folder or a read-only file.
std::error_code CopyFileSafely(const std::string& from, const std::string& to);

}  // namespace vantrel::platform::posix
