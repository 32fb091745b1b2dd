// The hidden name a copy writes under, for any file name a file system may hold: it fits in one
// name by bytes and by UTF-16 units (as exFAT, FAT and NTFS count), keeps a prefix of the file's
// name cut only between whole characters, as long a prefix as fits, never equals the name it
// hides, and is told apart as a temporary name, while the same form without its tail is not.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/posix/temporary_name.h"

namespace {

namespace posix = vantrel::platform::posix;

constexpr std::size_t kNameMax = 255;
constexpr std::string_view kTag = ".vantrel-";
constexpr std::string_view kTail = "aZ0b9Q";

// The length of the well-formed UTF-8 sequence starting at `at` (no surrogates), or 0 where none
// starts there.
std::size_t SequenceAt(std::string_view text, std::size_t at) {
  std::size_t length = 0;
  const char32_t c = vantrel::fuzz::DecodeAt(text, at, length);
  return c == vantrel::fuzz::kNoCharacter || vantrel::fuzz::IsSurrogate(c) ? 0 : length;
}

// UTF-16 units of a well-formed text; nullopt-like SIZE_MAX for one that is not.
std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceAt(text, at);
    if (length == 0) return SIZE_MAX;
    units += length == 4 ? 2 : 1;
    at += length;
  }
  return units;
}

// Whether a cut at `at` falls inside a well-formed sequence.
bool SplitsACharacter(std::string_view text, std::size_t at) {
  for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
    const std::size_t length = SequenceAt(text, at - back);
    if (length > back) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name = vantrel::fuzz::AsText(data, size);
  // A name in a folder is not empty and holds neither '/' nor NUL.
  if (name.empty() || name.find('/') != std::string_view::npos ||
      name.find('\0') != std::string_view::npos) {
    return 0;
  }
  const std::string temporary = posix::TemporaryName(name, kTail);
  FUZZ_CHECK(temporary != name);
  FUZZ_CHECK(temporary.size() <= kNameMax);
  FUZZ_CHECK(temporary.find('/') == std::string::npos && temporary.find('\0') == std::string::npos);
  FUZZ_CHECK(temporary.front() == '.');
  FUZZ_CHECK(temporary.ends_with(std::string(kTag) + std::string(kTail)));
  FUZZ_CHECK(posix::IsTemporaryName(temporary));

  const std::string_view kept =
      std::string_view(temporary).substr(1, temporary.size() - 1 - kTag.size() - kTail.size());
  FUZZ_CHECK(name.starts_with(kept));
  FUZZ_CHECK(!SplitsACharacter(name, kept.size()));
  const std::size_t units = Utf16Units(temporary);
  if (Utf16Units(name) != SIZE_MAX) FUZZ_CHECK(units <= kNameMax);
  // As long a prefix as fits: the next whole character would not.
  if (kept.size() < name.size()) {
    std::size_t next = SequenceAt(name, kept.size());
    if (next == 0) next = 1;
    const std::size_t longer_bytes = temporary.size() + next;
    const std::size_t longer_units = units == SIZE_MAX ? 0 : units + (next == 4 ? 2 : 1);
    FUZZ_CHECK(longer_bytes > kNameMax || longer_units > kNameMax);
  }

  // The short form, and look-alikes without a whole tail.
  FUZZ_CHECK(posix::IsTemporaryName(posix::ShortTemporaryName(kTail)));
  FUZZ_CHECK(!posix::IsTemporaryName("." + std::string(name) + std::string(kTag)));
  FUZZ_CHECK(!posix::IsTemporaryName("." + std::string(name) + std::string(kTag) + "aZ0b9"));
  return 0;
}
