#include "platform/win32/path.h"

#include <vector>

#include "platform/win32/api.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

// Longest ordinary path that every file function accepts (CreateDirectoryW leaves room for an
// 8.3 name inside the folder).
constexpr std::size_t kOrdinaryPathLimit = MAX_PATH - 12;
constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool IsDriveAbsolute(std::wstring_view path) {
  return path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]) &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsUnc(std::wstring_view path) {
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

std::vector<std::wstring_view> Components(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Joins the components after the root, resolving "." and ".." (never above the root).
std::wstring ResolvedTail(std::wstring_view tail) {
  std::vector<std::wstring_view> kept;
  for (std::wstring_view part : Components(tail)) {
    if (part == L".") continue;
    if (part == L"..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::wstring out;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out.push_back(L'\\');
    out.append(kept[i]);
  }
  if (!tail.empty() && IsSeparator(tail.back()) && !out.empty()) out.push_back(L'\\');
  return out;
}

std::wstring FullPath(const std::wstring& path) {
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  size = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (size == 0 || size >= full.size()) return path;
  full.resize(size);
  return full;
}

std::wstring Extended(const std::wstring& path) {
  if (IsDriveAbsolute(path)) {
    std::wstring out(kExtendedPrefix);
    out.push_back(path[0]);
    out.append(L":\\");
    return out + ResolvedTail(std::wstring_view(path).substr(3));
  }
  if (IsUnc(path)) return std::wstring(kExtendedPrefix) + L"UNC\\" + ResolvedTail(path);
  // Relative or drive-relative: only the system knows the folder it is relative to.
  const std::wstring full = FullPath(path);
  return IsDriveAbsolute(full) || IsUnc(full) ? Extended(full) : path;
}

}  // namespace

PathParts SplitLastComponent(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  return {path.substr(0, cut), path.substr(cut)};
}

bool HasComponentEndingInDotOrSpace(std::wstring_view path) {
  if (path.starts_with(kExtendedPrefix) || path.starts_with(kDevicePrefix)) path.remove_prefix(4);
  for (std::wstring_view part : Components(path)) {
    if (part == L"." || part == L"..") continue;
    if (part.back() == L'.' || part.back() == L' ') return true;
  }
  return false;
}

std::wstring SystemPath(std::string_view utf8) {
  std::wstring path = Widen(utf8);
  if (path.starts_with(kExtendedPrefix) || path.starts_with(kDevicePrefix)) return path;
  if (path.size() < kOrdinaryPathLimit && !HasComponentEndingInDotOrSpace(path)) return path;
  return Extended(path);
}

}  // namespace vantrel::platform::win32
