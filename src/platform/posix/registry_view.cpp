#include "platform/posix/registry_view.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>

#include "platform/os_services.h"
#include "platform/posix/program_search.h"

namespace vantrel::platform {
namespace {

constexpr std::string_view kSystemInfoTools[] = {"kinfocenter", "hardinfo2", "hardinfo",
                                                 "gnome-system-monitor"};

// Windows' predefined roots are 0x80000000 to 0x80000006.
constexpr RegistryKey kFirstPredefinedRoot = 0x80000000u;
constexpr RegistryKey kLastPredefinedRoot = 0x80000006u;

// Write access: set value, create sub-key, create link, delete, write DAC, write owner.
constexpr std::uint32_t kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

class PosixRegistryView final : public Registry {
 public:
  PosixRegistryView(std::optional<std::string> search_path, posix::EnvironmentLookup environment)
      : search_path_(std::move(search_path)), environment_(std::move(environment)) {}

  // The view is read-only: asking for write rights on the key that exists is denied, as it is
  // on Windows for a user without write rights to HKEY_LOCAL_MACHINE.
  long OpenKey(RegistryKey root, const std::string& sub_key, std::uint32_t access,
               RegistryKey* result) override {
    if (result == nullptr) return posix::kErrorInvalidParameter;
    *result = 0;
    if (open_.count(root) != 0) return kErrorFileNotFound;
    if (root < kFirstPredefinedRoot || root > kLastPredefinedRoot) {
      return posix::kErrorInvalidHandle;
    }
    if (root != kHkeyLocalMachine || !EqualIgnoringCase(sub_key, posix::kMsinfoKey)) {
      return kErrorFileNotFound;
    }
    std::string tool = posix::FindProgram(
        kSystemInfoTools, search_path_ ? *search_path_ : posix::ProgramSearchPath());
    if (tool.empty()) return kErrorFileNotFound;
    if ((access & kWriteRights) != 0) return kErrorAccessDenied;
    *result = next_handle_++;
    open_[*result] = std::move(tool);
    return kErrorSuccess;
  }

  long QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                  unsigned char* data, std::uint32_t* size) override {
    const auto found = open_.find(key);
    if (found == open_.end()) return posix::kErrorInvalidHandle;
    if (data != nullptr && size == nullptr) return posix::kErrorInvalidParameter;
    if (!EqualIgnoringCase(name, posix::kMsinfoValue)) return kErrorFileNotFound;
    const std::string& text = found->second;
    const auto needed = static_cast<std::uint32_t>(text.size() + 1);
    if (type != nullptr) *type = kRegSz;
    if (data == nullptr) {
      if (size != nullptr) *size = needed;
      return kErrorSuccess;
    }
    const bool fits = *size >= needed;
    *size = needed;
    if (!fits) return kErrorMoreData;
    std::memcpy(data, text.c_str(), needed);
    return kErrorSuccess;
  }

  long CloseKey(RegistryKey key) override {
    return open_.erase(key) != 0 ? kErrorSuccess : posix::kErrorInvalidHandle;
  }

  std::string ExpandEnvironment(const std::string& text) override {
    return posix::ExpandPercentReferences(text, environment_);
  }

 private:
  std::optional<std::string> search_path_;
  posix::EnvironmentLookup environment_;
  std::map<RegistryKey, std::string> open_;  // open handle -> the tool's path read at open
  RegistryKey next_handle_ = 0x100;
};

}  // namespace

namespace posix {

std::unique_ptr<Registry> MakeRegistryView(std::optional<std::string> search_path,
                                           EnvironmentLookup environment) {
  return std::make_unique<PosixRegistryView>(std::move(search_path), std::move(environment));
}

std::string ExpandPercentReferences(const std::string& text, const EnvironmentLookup& environment) {
  std::string expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    expanded.append(text, at, open - at);
    const std::string name = text.substr(open + 1, close - open - 1);
    const std::optional<std::string> value = name.empty() ? std::nullopt : environment(name);
    if (value) {
      expanded.append(*value);
      at = close + 1;
    } else {
      expanded.append(text, open, close - open);  // '%' and the name; the closing '%' rescanned
      at = close;
    }
  }
  expanded.append(text, at, std::string::npos);
  return expanded;
}

}  // namespace posix

std::unique_ptr<Registry> MakeNativeRegistry() {
  return posix::MakeRegistryView(std::nullopt, ProcessEnvironment);
}

}  // namespace vantrel::platform
