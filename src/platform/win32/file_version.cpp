#include "platform/win32/file_version.h"

#include <cstring>

#include "platform/win32/file_calls.h"

namespace vantrel::platform::win32 {
namespace {

// Wine answers FileIdInfo with zeros, and no real file has id 0: such an answer carries no
// identity, and the 64-bit index stands in.
bool HasFileId(const FILE_ID_INFO& id) {
  static constexpr FILE_ID_128 kNone{};
  return std::memcmp(&id.FileId, &kNone, sizeof kNone) != 0;
}

}  // namespace

FileVersion VersionOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
  FileVersion version;
  FILE_ID_INFO id{};
  if (calls::GetFileInformationByHandleEx(file, FileIdInfo, &id, sizeof id) && HasFileId(id)) {
    version.volume = id.VolumeSerialNumber;
    static_assert(sizeof version.id == sizeof id.FileId);
    std::memcpy(version.id, &id.FileId, sizeof version.id);
  } else {
    version.volume = info.dwVolumeSerialNumber;
    version.id[0] = IndexOf(info);
  }
  version.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  version.modified =
      static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                info.ftLastWriteTime.dwLowDateTime);
  return version;
}

}  // namespace vantrel::platform::win32
