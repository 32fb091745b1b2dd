#include "lists/visible_text.h"

#include <cstddef>
#include <cstdint>

namespace vantrel::lists {
namespace {

constexpr char32_t kArabicLetterMark = 0x061C;  // UTF-8 D8 9C

// The length in bytes of the character at `at` that is to be shown as an escape (a C1 control or
// one of the layout marks), or 0 when the character there shows as itself.
std::size_t HiddenLength(std::string_view text, std::size_t at, char32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[at + k]); };
  const std::size_t left = text.size() - at;
  if (left >= 2 && byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {
    code = byte(1);
    return 2;
  }
  if (left >= 2 && byte(0) == 0xD8 && byte(1) == 0x9C) {
    code = kArabicLetterMark;
    return 2;
  }
  if (left >= 3 && byte(0) == 0xE2 && (byte(2) & 0xC0) == 0x80) {
    code = 0x2000 | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
    const bool direction_mark = code == 0x200E || code == 0x200F;
    const bool line_or_direction = code >= 0x2028 && code <= 0x202E;
    const bool isolate = code >= 0x2066 && code <= 0x2069;
    if ((byte(1) == 0x80 || byte(1) == 0x81) && (direction_mark || line_or_direction || isolate)) {
      return 3;
    }
  }
  return 0;
}

constexpr char kHex[] = "0123456789ABCDEF";

bool ShowsAsItself(std::uint8_t byte) {
  return byte >= 0x20 && byte != 0x7F && byte != 0xC2 && byte != 0xD8 && byte != 0xE2;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && ShowsAsItself(static_cast<std::uint8_t>(text[first]))) ++first;
  if (first == text.size()) return std::string(text);

  std::string shown(text.substr(0, first));
  shown.reserve(text.size() + 8);
  for (std::size_t at = first; at < text.size();) {
    const auto byte = static_cast<std::uint8_t>(text[at]);
    char32_t code = 0;
    if (byte == '\n' || byte == '\r' || byte == '\t') {
      shown += '\\';
      shown += byte == '\n' ? 'n' : byte == '\r' ? 'r' : 't';
      ++at;
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
      ++at;
    } else if (const std::size_t length = HiddenLength(text, at, code); length > 0) {
      shown += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) shown += kHex[(code >> shift) & 0xF];
      at += length;
    } else {
      shown += text[at];
      ++at;
    }
  }
  return shown;
}

}  // namespace vantrel::lists
