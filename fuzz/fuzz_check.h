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
