// Copying the bytes of a file, all of them or only the parts of a sparse file that hold data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Copies from the current position of `in` to that of `out` until `length` bytes or the end of
// `in`, whichever comes first; `copied` grows by the bytes copied.
std::error_code CopyBytes(HANDLE in, HANDLE out, std::uint64_t length, std::vector<char>& buffer,
                          std::uint64_t& copied);

// The parts of the file's first `size` bytes that hold data, in order; nullopt where the file
// system cannot tell (Wine, FAT).
std::optional<std::vector<ByteRange>> AllocatedRanges(HANDLE file, std::uint64_t size);

// Marks the file sparse: ranges never written take no room on the disk.
bool MakeSparse(HANDLE file);

// Copies the ranges of `in` to the same offsets of `out` (a sparse file, so what lies between
// them stays unallocated and reads as zeros), then makes `out` exactly `size` bytes long.
std::error_code CopyRanges(HANDLE in, HANDLE out, std::span<const ByteRange> ranges,
                           std::uint64_t size);

}  // namespace vantrel::platform::win32
