// Names as the lists show them: nothing that hides or moves text survives, names with nothing to
// mark come back unchanged, and the marks can be read back to the one name they came from.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "lists/visible_text.h"

namespace {

using vantrel::lists::VisibleText;

constexpr char32_t kBad = vantrel::fuzz::kNoCharacter;

// The code points of the text as a display decodes them: a byte that starts no well-formed UTF-8
// sequence stands alone (as kBad) and decoding goes on at the next byte.
std::vector<char32_t> Decode(std::string_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
    const char32_t c = vantrel::fuzz::DecodeAt(text, i, length);
    if (vantrel::fuzz::IsSurrogate(c)) length = 1;
    out.push_back(vantrel::fuzz::IsSurrogate(c) ? kBad : c);
  }
  return out;
}

// What shows as nothing or moves the text around it: the C0 and C1 controls, DEL, the line and
// paragraph separators, and Unicode's bidirectional controls (the marks, embeddings, overrides
// and isolates).
bool Hides(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x061C ||
         c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<char32_t> Hex(std::string_view digits) {
  char32_t value = 0;
  for (const char d : digits) {
    if (d >= '0' && d <= '9') {
      value = value * 16 + static_cast<char32_t>(d - '0');
    } else if (d >= 'A' && d <= 'F') {
      value = value * 16 + static_cast<char32_t>(d - 'A' + 10);
    } else {
      return std::nullopt;
    }
  }
  return value;
}

// Reads the marks back: "\n", "\r", "\t", "\xHH" and "\uHHHH". Nullopt for a backslash that
// starts none of them.
std::optional<std::string> ReadMarks(std::string_view shown) {
  std::string name;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\') {
      name += shown[i];
      continue;
    }
    const std::string_view rest = shown.substr(i + 1);
    if (rest.starts_with('n') || rest.starts_with('r') || rest.starts_with('t')) {
      name += rest[0] == 'n' ? '\n' : rest[0] == 'r' ? '\r' : '\t';
      i += 1;
    } else if (rest.starts_with('x') && rest.size() >= 3 && Hex(rest.substr(1, 2))) {
      name += static_cast<char>(*Hex(rest.substr(1, 2)));
      i += 3;
    } else if (rest.starts_with('u') && rest.size() >= 5 && Hex(rest.substr(1, 4))) {
      AppendUtf8(name, *Hex(rest.substr(1, 4)));
      i += 5;
    } else {
      return std::nullopt;
    }
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name = vantrel::fuzz::AsText(data, size);
  const std::string shown = VisibleText(name);

  // Nothing that hides or moves text is left to show, in any decoding of the bytes.
  bool hidden = false;
  for (const char32_t c : Decode(name)) hidden = hidden || (c != kBad && Hides(c));
  for (const char32_t c : Decode(shown)) FUZZ_CHECK(c == kBad || !Hides(c));

  // A name with nothing to mark shows as it is.
  if (!hidden) FUZZ_CHECK(shown == name);

  // Every mark reads back to what it stands for, so two names without a backslash of their own
  // never show alike. A name's own backslash may read like a mark; the lists keep each exact
  // name, so such rows stay apart.
  if (name.find('\\') == std::string_view::npos) {
    const std::optional<std::string> read_back = ReadMarks(shown);
    FUZZ_CHECK(read_back && *read_back == name);
  }
  return 0;
}
