// File-system operations on path texts in the platform's own encoding (bytes on Linux, UTF-8 on
// Windows). Failures come back as values.
//
// Every call blocks for as long as the disk or network takes, forever on a mount that stopped
// answering: the GUI thread makes them only through OffThreadFileSystem (off_thread_calls.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace vantrel::platform {

// Which file a copy read, and which version of it: the file's identity on its volume and the
// size and modification time it had when it was read. A move deletes its source only while the
// name still points to this very version.
struct FileVersion {
  std::uint64_t volume = 0;  // st_dev, or the volume serial number
  std::uint64_t id[2] = {};  // the inode, or the 128-bit file id
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own units (ns on POSIX, 100 ns on Windows)
  friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Replaces an existing destination file. A failed copy leaves the destination as it was.
  // When `copied` is given and the copy succeeds, it receives the version of the source copied.
  virtual std::error_code CopyFile(const std::string& from, const std::string& to,
                                   FileVersion* copied) = 0;
  std::error_code CopyFile(const std::string& from, const std::string& to) {
    return CopyFile(from, to, nullptr);
  }
  // Removes one file (a link itself, never its target); never removes a folder.
  virtual std::error_code DeleteFile(const std::string& path) = 0;
  // Removes the file as DeleteFile does, but only while the name still points to the version a
  // copy read; a file saved over that name since is left alone (an error comes back).
  virtual std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) = 0;
  // Creates the last level of the path only.
  virtual std::error_code MakeFolder(const std::string& path) = 0;
  virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;
  // The name of the regular file found at the path, or an empty text.
  virtual std::string FileExists(const std::string& path) = 0;
};

}  // namespace vantrel::platform
