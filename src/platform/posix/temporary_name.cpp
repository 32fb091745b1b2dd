#include "platform/posix/temporary_name.h"

#include <algorithm>
#include <random>

namespace vantrel::platform::posix {
namespace {

constexpr std::size_t kNameMax = 255;  // bytes, and UTF-16 units, in one name
constexpr std::string_view kTag = ".vantrel-";
// What the name may keep: all but the leading '.', the tag and the tail.
constexpr std::size_t kRoom = kNameMax - 1 - kTag.size() - kTailLength;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the character at the start of `text`: a whole valid UTF-8 sequence (no
// overlong form, no surrogate, nothing past U+10FFFF), else the one byte.
std::size_t CharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  unsigned char low = 0x80;  // the range of the second byte, narrower after some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 1 || text.size() < length) return 1;
  const auto second = static_cast<unsigned char>(text[1]);
  if (second < low || second > high) return 1;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 1;
  }
  return length;
}

// How much of the name fits in `bytes` bytes and `units` UTF-16 units, whole characters only. A
// character outside the Basic Multilingual Plane takes four bytes and two units; every other one
// as many units as it takes bytes or fewer, so the bytes run out first, but both are counted.
std::size_t FittingPrefix(std::string_view name, std::size_t bytes, std::size_t units) {
  std::size_t used_bytes = 0;
  std::size_t used_units = 0;
  while (used_bytes < name.size()) {
    const std::size_t length = CharacterLength(name.substr(used_bytes));
    const std::size_t character_units = length == 4 ? 2 : 1;
    if (used_bytes + length > bytes || used_units + character_units > units) break;
    used_bytes += length;
    used_units += character_units;
  }
  return used_bytes;
}

bool IsTail(std::string_view tail) {
  return tail.size() == kTailLength && tail.find_first_not_of(kTailAlphabet) == std::string::npos;
}

std::string Assemble(std::string_view kept, std::string_view tail) {
  std::string name = ".";
  name.append(kept);
  name.append(kTag);
  name.append(tail);
  return name;
}

}  // namespace

std::string RandomTail() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kTailAlphabet.size() - 1);
  std::string tail(kTailLength, ' ');
  for (char& c : tail) c = kTailAlphabet[pick(engine)];
  return tail;
}

std::string TemporaryName(std::string_view name, std::string_view tail) {
  // A name holds neither; should one come anyway, the temporary name stays one valid component.
  name = name.substr(0, std::min(name.find('/'), name.find('\0')));
  std::size_t kept = FittingPrefix(name, kRoom, kRoom);
  std::string temporary = Assemble(name.substr(0, kept), tail);
  // Only a shortened name of the temporary form itself can come out equal (".", then the same
  // name less its last characters, and the same tail): one character fewer makes it differ.
  if (temporary == name && kept > 0) {
    kept = FittingPrefix(name, kept - 1, kRoom);
    temporary = Assemble(name.substr(0, kept), tail);
  }
  return temporary;
}

std::string TemporaryName(std::string_view name) {
  return TemporaryName(name, RandomTail());
}

std::string ShortTemporaryName(std::string_view tail) {
  std::string name(kTag);
  name.append(tail);
  return name;
}

bool IsTemporaryName(std::string_view name) {
  constexpr std::size_t kEnding = kTag.size() + kTailLength;
  if (name.size() < kEnding || !IsTail(name.substr(name.size() - kTailLength))) return false;
  if (name.size() == kEnding) return name.starts_with(kTag);
  return name[0] == '.' && name.substr(name.size() - kEnding, kTag.size()) == kTag;
}

}  // namespace vantrel::platform::posix
