// The hidden names a copy writes its temporary file under, beside the destination, and how a
// leftover one is told from every other name in a folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::platform::win32 {

// The random tail that ends every temporary name: this many characters of this alphabet. Lower
// case only: names differing in case alone are one name on Windows.
inline constexpr std::wstring_view kTailAlphabet = L"abcdefghijklmnopqrstuvwxyz0123456789";
inline constexpr std::size_t kTailLength = 6;

// A fresh random tail.
std::wstring RandomTail();

// ".<name>.vantrel-<tail>" for a file called `name`, the name shortened so that the whole stays
// within 255 UTF-16 units, never between the two halves of a surrogate pair. Never equal to
// `name`, letter case aside. `tail` must be kTailLength characters of kTailAlphabet.
std::wstring TemporaryName(std::wstring_view name, std::wstring_view tail);

// ".vantrel-<tail>": for a volume that refuses the long form. It owes nothing to the file's name.
std::wstring ShortTemporaryName(std::wstring_view tail);

// Whether the name has one of the two forms above: a leading '.', anything, ".vantrel-" and a
// tail of exactly kTailLength characters of kTailAlphabet; or ".vantrel-" and such a tail.
bool IsTemporaryName(std::wstring_view name);

}  // namespace vantrel::platform::win32
