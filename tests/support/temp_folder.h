// A fresh temporary folder per test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace vantrel::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the lists report it (native separators, no trailing one; UTF-8 on Windows).
  std::string str() const;
  // Makes a subfolder (and its parents) and returns its path.
  std::string Folder(const std::string& relative) const;
  // Writes a file of the given content and returns its path.
  std::string Write(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

std::string ReadAll(const std::string& path);

}  // namespace vantrel::testing
