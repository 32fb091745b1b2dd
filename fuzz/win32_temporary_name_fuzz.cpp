// The hidden name a copy writes under on Windows, for any name of UTF-16 units (lone surrogates
// included): it fits in one name, keeps as long a prefix of the file's name as fits without
// parting a surrogate pair, never equals the name it hides, and is told apart as a temporary
// name, while the same form without its tail is not. The input is the name's units, two bytes
// each, low byte first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/win32/same_name.h"
#include "platform/win32/temporary_name.h"

namespace {

namespace win32 = vantrel::platform::win32;

constexpr std::size_t kNameMax = 255;
constexpr std::wstring_view kTag = L".vantrel-";
constexpr std::wstring_view kTail = L"a0b9zq";

bool IsHigh(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(wchar_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring name;
  for (std::size_t at = 0; at + 1 < size; at += 2) {
    name += static_cast<wchar_t>(data[at] | (data[at + 1] << 8));
  }
  // A name in a folder is not empty and holds no separator and no NUL.
  if (name.empty() || name.find_first_of(std::wstring(L"\\/\0", 3)) != std::wstring::npos) {
    return 0;
  }
  const std::wstring temporary = win32::TemporaryName(name, kTail);
  FUZZ_CHECK(!win32::SameName(temporary, name));
  FUZZ_CHECK(temporary.size() <= kNameMax);
  FUZZ_CHECK(temporary.front() == L'.');
  FUZZ_CHECK(temporary.ends_with(std::wstring(kTag) + std::wstring(kTail)));
  FUZZ_CHECK(win32::IsTemporaryName(temporary));

  const std::wstring_view kept =
      std::wstring_view(temporary).substr(1, temporary.size() - 1 - kTag.size() - kTail.size());
  FUZZ_CHECK(std::wstring_view(name).starts_with(kept));
  if (kept.size() < name.size()) {
    // Cut short only as far as needed, and never between the halves of a pair.
    FUZZ_CHECK(kept.empty() || !(IsHigh(kept.back()) && IsLow(name[kept.size()])));
    FUZZ_CHECK(temporary.size() + 2 > kNameMax);
  }

  FUZZ_CHECK(win32::IsTemporaryName(win32::ShortTemporaryName(kTail)));
  FUZZ_CHECK(!win32::IsTemporaryName(L"." + name + std::wstring(kTag)));
  FUZZ_CHECK(!win32::IsTemporaryName(L"." + name + std::wstring(kTag) + L"a0b9z"));
  return 0;
}
