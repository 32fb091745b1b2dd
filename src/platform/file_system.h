// File-system operations on path texts in the platform's own encoding (bytes on Linux, UTF-8 on
// Windows). Failures come back as values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace vantrel::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Replaces an existing destination file. A failed copy leaves the destination as it was.
  virtual std::error_code CopyFile(const std::string& from, const std::string& to) = 0;
  // Removes one file (a link itself, never its target); never removes a folder.
  virtual std::error_code DeleteFile(const std::string& path) = 0;
  // Creates the last level of the path only.
  virtual std::error_code MakeFolder(const std::string& path) = 0;
  virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;
  // The name of the regular file found at the path, or an empty text.
  virtual std::string FileExists(const std::string& path) = 0;
};

}  // namespace vantrel::platform
