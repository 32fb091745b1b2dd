// What a copy checks before it writes anything: that the source is a regular file it can read,
// opened without ever blocking, and that the destination name may be replaced by it.
#pragma once

#include <sys/stat.h>

#include <string>
#include <system_error>

#include "platform/posix/unique_fd.h"

namespace vantrel::platform::posix {

// Opens the source for reading into `fd`, its status into `info`. Refuses anything but a regular
// file (EISDIR for a folder, EINVAL for the rest), looked at before it is opened so that a
// device is never opened at all.
std::error_code OpenSource(const std::string& from, UniqueFd& fd, struct stat& info);

// Whether the name in the folder may be replaced by a copy of `source`: it may be absent, a
// regular file, or a link to one (a dangling link too); it must not be the source itself (EINVAL),
// a folder (EISDIR), or read-only (EACCES). An empty name is refused as a folder is.
std::error_code CheckDestination(int folder_fd, const std::string& name, const struct stat& source);

}  // namespace vantrel::platform::posix
