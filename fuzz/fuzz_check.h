// What every fuzz target shares: a check that stops the run on a broken property, and the
// splitting of an input into text fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A property of the rule under test. When it does not hold, the run stops with the condition, so
// libFuzzer keeps the input as a finding and the replay of a saved input fails.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

namespace vantrel::fuzz {

// The code point of the UTF-8 sequence starting at `at`, its byte count in `length`; kNoCharacter
// (and a length of 1) where no well-formed sequence starts there. Surrogates (U+D800 to U+DFFF)
// are decoded like any other code point: each caller says whether it takes them.
inline constexpr char32_t kNoCharacter = 0xFFFFFFFF;
inline char32_t DecodeAt(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  length = lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
  char32_t c = length == 1   ? lead
               : length == 2 ? lead & 0x1F
               : length == 3 ? lead & 0x0F
                             : lead & 7;
  bool ok = length > 0 && at + length <= text.size();
  for (std::size_t k = 1; ok && k < length; ++k) {
    const auto next = static_cast<std::uint8_t>(text[at + k]);
    ok = (next & 0xC0) == 0x80;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (ok && c >= kSmallest[length] && c <= 0x10FFFF) return c;
  length = 1;
  return kNoCharacter;
}

inline bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// An input read as fields separated by '\n', so saved inputs can be written and read as text.
// The last field taken with Rest() may hold newlines of its own.
class Fields {
 public:
  explicit Fields(std::string_view text) : text_(text) {}

  bool empty() const { return text_.empty(); }

  std::string_view Next() {
    const std::size_t end = text_.find('\n');
    const std::string_view field = text_.substr(0, end);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
    return field;
  }

  std::string_view Rest() {
    const std::string_view rest = text_;
    text_ = {};
    return rest;
  }

 private:
  std::string_view text_;
};

}  // namespace vantrel::fuzz
