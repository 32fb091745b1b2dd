#include "platform/win32/temporary_name.h"

#include <random>

#include "platform/win32/same_name.h"

namespace vantrel::platform::win32 {
namespace {

constexpr std::size_t kNameMax = 255;  // UTF-16 units in one name
constexpr std::wstring_view kTag = L".vantrel-";
// What the name may keep: all but the leading '.', the tag and the tail.
constexpr std::size_t kRoom = kNameMax - 1 - kTag.size() - kTailLength;

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// The first `room` units of the name, or one fewer where the last of them would be the first
// half of a surrogate pair.
std::wstring_view Kept(std::wstring_view name, std::size_t room) {
  if (room >= name.size()) return name;
  if (room > 0 && IsHighSurrogate(name[room - 1])) --room;
  return name.substr(0, room);
}

std::wstring Assemble(std::wstring_view kept, std::wstring_view tail) {
  std::wstring name = L".";
  name.append(kept);
  name.append(kTag);
  name.append(tail);
  return name;
}

bool IsTail(std::wstring_view tail) {
  return tail.size() == kTailLength && tail.find_first_not_of(kTailAlphabet) == std::wstring::npos;
}

}  // namespace

std::wstring RandomTail() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kTailAlphabet.size() - 1);
  std::wstring tail(kTailLength, L' ');
  for (wchar_t& c : tail) c = kTailAlphabet[pick(engine)];
  return tail;
}

std::wstring TemporaryName(std::wstring_view name, std::wstring_view tail) {
  std::wstring_view kept = Kept(name, kRoom);
  std::wstring temporary = Assemble(kept, tail);
  // Only a shortened name of the temporary form itself can come out equal (".", then the same
  // name less its last characters, and the same tail): one character fewer makes it differ.
  if (!kept.empty() && SameName(temporary, name)) {
    temporary = Assemble(Kept(name, kept.size() - 1), tail);
  }
  return temporary;
}

std::wstring ShortTemporaryName(std::wstring_view tail) {
  std::wstring name(kTag);
  name.append(tail);
  return name;
}

bool IsTemporaryName(std::wstring_view name) {
  constexpr std::size_t kEnding = kTag.size() + kTailLength;
  if (name.size() < kEnding || !IsTail(name.substr(name.size() - kTailLength))) return false;
  if (name.size() == kEnding) return name.starts_with(kTag);
  return name[0] == L'.' && name.substr(name.size() - kEnding, kTag.size()) == kTag;
}

}  // namespace vantrel::platform::win32
