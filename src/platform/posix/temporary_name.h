// The hidden names a copy writes its temporary file under, beside the destination, and how a
// leftover one is told from every other name in a folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::platform::posix {

// The random tail that ends every temporary name: this many characters of this alphabet.
inline constexpr std::string_view kTailAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
inline constexpr std::size_t kTailLength = 6;

// A fresh random tail.
std::string RandomTail();

// ".<name>.vantrel-<tail>" for a file called `name`. The name is shortened at a character
// boundary (never inside a UTF-8 sequence; a byte that starts no valid sequence counts as a
// character of its own) so that the whole stays within 255 bytes and within 255 UTF-16 units,
// which is how FAT, exFAT and NTFS count a name. Never equal to `name`. `tail` must be
// kTailLength characters of kTailAlphabet.
std::string TemporaryName(std::string_view name, std::string_view tail);
// The same with a fresh random tail.
std::string TemporaryName(std::string_view name);

// ".vantrel-<tail>": for a file system that refuses the long form (ntfs-3g and exFAT refuse a
// name that is not valid UTF-8, for instance). It owes nothing to the file's own name.
std::string ShortTemporaryName(std::string_view tail);

// Whether the name has one of the two forms above: a leading '.', anything, ".vantrel-" and a
// tail of exactly kTailLength characters of kTailAlphabet; or ".vantrel-" and such a tail.
bool IsTemporaryName(std::string_view name);

}  // namespace vantrel::platform::posix
