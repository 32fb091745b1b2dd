#include "platform/win32/copy_ranges.h"

#include <winioctl.h>

#include <algorithm>

#include "platform/win32/file_calls.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
constexpr std::size_t kRangesPerQuery = 256;

bool Seek(HANDLE file, std::uint64_t offset) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  return calls::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

std::error_code CopyBytes(HANDLE in, HANDLE out, std::uint64_t length, std::vector<char>& buffer,
                          std::uint64_t& copied) {
  if (buffer.size() < kBufferSize) buffer.resize(kBufferSize);
  while (length > 0) {
    const auto want = static_cast<DWORD>(std::min<std::uint64_t>(length, buffer.size()));
    DWORD got = 0;
    if (!calls::ReadFile(in, buffer.data(), want, &got, nullptr)) return LastError();
    if (got == 0) return {};
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!calls::WriteFile(out, buffer.data() + done, got - done, &put, nullptr))
        return LastError();
      if (put == 0) return ErrorOf(ERROR_WRITE_FAULT);
      done += put;
    }
    copied += got;
    length -= got;
  }
  return {};
}

// The system answers in batches: ERROR_MORE_DATA asks for the next one, from the end of the last
// range given.
std::optional<std::vector<ByteRange>> AllocatedRanges(HANDLE file, std::uint64_t size) {
  std::vector<ByteRange> ranges;
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> batch(kRangesPerQuery);
  FILE_ALLOCATED_RANGE_BUFFER query{};
  query.Length.QuadPart = static_cast<LONGLONG>(size);
  for (;;) {
    DWORD bytes = 0;
    const BOOL done = calls::DeviceIoControl(
        file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, batch.data(),
        static_cast<DWORD>(batch.size() * sizeof batch[0]), &bytes, nullptr);
    if (!done && ::GetLastError() != ERROR_MORE_DATA) return std::nullopt;
    const std::size_t count = bytes / sizeof batch[0];
    for (std::size_t i = 0; i < count; ++i) {
      ranges.push_back({static_cast<std::uint64_t>(batch[i].FileOffset.QuadPart),
                        static_cast<std::uint64_t>(batch[i].Length.QuadPart)});
    }
    if (done) return ranges;
    if (count == 0) return std::nullopt;  // more data, yet none given: no progress to make
    const std::uint64_t end = ranges.back().offset + ranges.back().length;
    if (end >= size) return ranges;
    query.FileOffset.QuadPart = static_cast<LONGLONG>(end);
    query.Length.QuadPart = static_cast<LONGLONG>(size - end);
  }
}

bool MakeSparse(HANDLE file) {
  DWORD returned = 0;
  return calls::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned,
                                nullptr) != 0;
}

std::error_code CopyRanges(HANDLE in, HANDLE out, std::span<const ByteRange> ranges,
                           std::uint64_t size) {
  std::vector<char> buffer;
  for (const ByteRange& range : ranges) {
    if (range.offset >= size) break;
    const std::uint64_t length = std::min(range.length, size - range.offset);
    if (!Seek(in, range.offset) || !Seek(out, range.offset)) return LastError();
    std::uint64_t copied = 0;
    if (auto error = CopyBytes(in, out, length, buffer, copied)) return error;
    if (copied != length) return ErrorOf(ERROR_READ_FAULT);  // the source ended early
  }
  if (!Seek(out, size) || !calls::SetEndOfFile(out)) return LastError();
  return {};
}

}  // namespace vantrel::platform::win32
