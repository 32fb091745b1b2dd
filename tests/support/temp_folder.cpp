#include "temp_folder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vantrel::testing {
namespace {

// Path texts in the tests are what the lists report: raw bytes on POSIX, UTF-8 on Windows
// (where std::filesystem would otherwise read a narrow text in the ANSI code page).
std::filesystem::path FromText(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end())).make_preferred();
#else
  return std::filesystem::path(text);
#endif
}

std::string ToText(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace

TempFolder::TempFolder() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("vantrel-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      // The canonical form, so paths compare equal to what the lists report.
      path_ = std::filesystem::canonical(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Read-only files and folders made by tests must not survive the test.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
  }
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::str() const {
  return ToText(path_);
}

std::string TempFolder::Folder(const std::string& relative) const {
  const auto folder = path_ / FromText(relative);
  std::filesystem::create_directories(folder);
  return ToText(folder);
}

std::string TempFolder::Write(const std::string& relative, const std::string& content) const {
  const auto file = path_ / FromText(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return ToText(file);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(FromText(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace vantrel::testing
