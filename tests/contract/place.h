// What the contract tests of the platform services need from the system beside the service under
// test: a fresh temporary folder, and raw file operations made with the platform's own calls
// (never through the service). Each platform's test program implements it once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

class Place {
 public:
  virtual ~Place() = default;

  // The temporary folder, removed with all it holds when the place goes.
  virtual const std::string& root() const = 0;
  // '/' on POSIX, '\\' on Windows.
  virtual char separator() const = 0;
  // The path of `relative` in the temporary folder; '/' in `relative` becomes the separator.
  std::string Path(const std::string& relative) const;
  // A path in the platform's style: the folder, the separator, the name.
  std::string Join(const std::string& folder, const std::string& name) const {
    return folder + separator() + name;
  }

  // Makes one folder level and returns its path.
  virtual std::string Folder(const std::string& relative) = 0;
  // Writes a file with exactly these bytes (its folder exists) and returns its path.
  virtual std::string Write(const std::string& relative, const std::string& content) = 0;
  // Writes a file that the platform counts as hidden (a dot name on POSIX, the hidden attribute
  // on Windows), made from `name`, and returns its name as a folder listing gives it.
  virtual std::string WriteHidden(const std::string& name) = 0;
  // Writes these bytes over the start of an existing file, which keeps its size if it was longer.
  virtual void Overwrite(const std::string& path, const std::string& content) = 0;
  // Makes a file of that length that holds no data.
  virtual void WriteHoles(const std::string& path, std::uint64_t length) = 0;
  virtual std::string Read(const std::string& path) = 0;
  // The name itself, a link not followed.
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsFolder(const std::string& path) = 0;
  // Every name in a folder, sorted.
  virtual std::vector<std::string> Names(const std::string& folder) = 0;
  virtual void SetReadOnly(const std::string& path, bool read_only) = 0;
  // The modification time, of a file or a folder, in the units of FileVersion::modified.
  virtual std::int64_t ModifiedTime(const std::string& path) = 0;
  virtual void SetModifiedTime(const std::string& path, std::int64_t time) = 0;
  // One second in those units.
  virtual std::int64_t Second() const = 0;
  // Another name for the same file.
  virtual void HardLink(const std::string& existing, const std::string& link) = 0;
  // Renames `from` over `to`, replacing it, as a program saving a file does.
  virtual void RenameOver(const std::string& from, const std::string& to) = 0;
};

using PlaceMaker = std::unique_ptr<Place> (*)();

}  // namespace vantrel::testing
