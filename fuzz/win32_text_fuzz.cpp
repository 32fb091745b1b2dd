// UTF-8 inside the program, UTF-16 at Windows: every UTF-16 name survives the trip through the
// program's text unchanged, lone surrogates included; text that is UTF-8 (with the program's own
// form for lone surrogates) survives the other way; and a name as the lists show it holds nothing
// that hides or moves text.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/win32/text.h"

namespace {

using namespace vantrel::platform::win32;

bool IsHigh(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// True when every byte belongs to a well-formed UTF-8 sequence, surrogates allowed alone but not
// as a pair (a pair is written as the one character it stands for).
bool IsProgramText(std::string_view text) {
  char32_t previous = 0;
  for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
    const char32_t c = vantrel::fuzz::DecodeAt(text, i, length);
    if (c == vantrel::fuzz::kNoCharacter || (IsHigh(previous) && IsLow(c))) return false;
    previous = c;
  }
  return true;
}

bool Hides(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x061C ||
         c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as UTF-16 code units, as a file name from Windows may hold them.
  std::wstring name;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    name.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::string narrow = Narrow(name);
  FUZZ_CHECK(Widen(narrow) == name);
  FUZZ_CHECK(IsProgramText(narrow));

  // The bytes as the program's text.
  const std::string_view text = vantrel::fuzz::AsText(data, size);
  const std::wstring wide = Widen(text);
  FUZZ_CHECK((Narrow(wide) == text) == IsProgramText(text));

  // As the lists show it.
  for (const std::string_view shown : {std::string_view(narrow), text}) {
    for (const wchar_t unit : WidenName(shown)) FUZZ_CHECK(!Hides(static_cast<char16_t>(unit)));
  }
  return 0;
}
