// The registry reader on values of any type, any size and any bytes, with or without a
// terminating NUL: a string reads as the text Windows reads, a number as its digits, anything
// else leaves the text alone, the reader never reads past what the registry stored, and the key
// is always closed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "about/frm_about.h"
#include "fuzz_check.h"
#include "platform/registry.h"

namespace {

using namespace vantrel::platform;

constexpr RegistryKey kOpened = 0x4711;

// Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about "<" + text at -O3.
std::string Marked(std::string_view text) {
  std::string marked = "<";
  marked += text;
  marked += '>';
  return marked;
}

// One value under one key, as a registry keeps it; opening or querying can be made to fail.
class OneValue final : public Registry {
 public:
  bool opens = true;
  bool found = true;
  std::uint32_t type = 0;
  std::string data;
  int open_keys = 0;
  int expanded = 0;

  long OpenKey(RegistryKey, const std::string&, std::uint32_t, RegistryKey* result) override {
    if (!opens) return kErrorFileNotFound;
    ++open_keys;
    *result = kOpened;
    return kErrorSuccess;
  }

  long QueryValue(RegistryKey key, const std::string&, std::uint32_t* value_type,
                  unsigned char* buffer, std::uint32_t* size) override {
    FUZZ_CHECK(key == kOpened && open_keys == 1);
    if (!found) return kErrorFileNotFound;
    *value_type = type;
    const auto needed = static_cast<std::uint32_t>(data.size());
    const bool fits = *size >= needed;
    *size = needed;
    if (!fits) return kErrorMoreData;
    std::memcpy(buffer, data.data(), data.size());
    return kErrorSuccess;
  }

  long CloseKey(RegistryKey key) override {
    FUZZ_CHECK(key == kOpened);
    --open_keys;
    return kErrorSuccess;
  }

  // Marked, so the test sees which texts were expanded.
  std::string ExpandEnvironment(const std::string& text) override {
    ++expanded;
    return Marked(text);
  }
};

// The text of a string value as Windows reads it: up to its first NUL.
std::string StringOf(std::string_view data) {
  return std::string(data.substr(0, data.find('\0')));
}

std::string DwordOf(std::string_view data) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
    value |= std::uint32_t{static_cast<unsigned char>(data[i])} << (8 * i);
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(value));
  return std::string("&h") + digits;
}

}  // namespace

// Input: one byte for what fails (bit 0: the key does not open, bit 1: there is no value), the
// type's low byte, then the value's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  OneValue registry;
  registry.opens = (data[0] & 1) == 0;
  registry.found = (data[0] & 2) == 0;
  registry.type = data[1];
  registry.data.assign(reinterpret_cast<const char*>(data + 2), size - 2);

  const std::string before = "left as it was";
  std::string text = before;
  const bool read =
      vantrel::about::GetKeyValue(registry, kHkeyLocalMachine, "SOFTWARE\\Key", "Value", text);
  FUZZ_CHECK(registry.open_keys == 0);
  const bool fits = registry.data.size() <= 1024;
  FUZZ_CHECK(read == (registry.opens && registry.found && fits));
  if (!read) {
    FUZZ_CHECK(text.empty());
    return 0;
  }
  const std::string_view value = registry.data;
  FUZZ_CHECK(registry.expanded == (registry.type == kRegExpandSz && !value.empty() ? 1 : 0));
  if (value.empty()) {
    FUZZ_CHECK(text.empty());
  } else if (registry.type == kRegSz) {
    FUZZ_CHECK(text == StringOf(value));
  } else if (registry.type == kRegExpandSz) {
    FUZZ_CHECK(text == Marked(StringOf(value)));
  } else if (registry.type == kRegDword) {
    FUZZ_CHECK(text == DwordOf(value));
  } else {
    FUZZ_CHECK(text == before);
  }
  return 0;
}
