// The failing-call seam itself: the sweep proves nothing unless the seam fails the call it says,
// lets the others through, and sees the handles the service leaves open.
#include <gtest/gtest.h>

#include "file_call_faults.h"
#include "platform/win32/file_calls.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

namespace calls = platform::win32::calls;
using faults::Failure;

TEST(FailingCallSeam, FailsTheNthCountedCallAloneAndNotesIt) {
  TempFolder temp;
  const std::string first = Join(temp.str(), "first"), second = Join(temp.str(), "second");
  faults::Arm(2, Failure::kDiskFull);
  // Looking at a name needs no room: not counted when the disk is full.
  EXPECT_EQ(calls::GetFileAttributesW(W(first).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(calls::CreateDirectoryW(W(first).c_str(), nullptr));
  EXPECT_FALSE(calls::CreateDirectoryW(W(second).c_str(), nullptr));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  const faults::Record record = faults::Disarm();
  EXPECT_TRUE(IsFolder(first));
  EXPECT_FALSE(Exists(second)) << "a failed call must not reach the system";
  EXPECT_EQ(record.counted, 2);
  ASSERT_EQ(record.injected.size(), 1u);
  EXPECT_EQ(record.injected[0].at, 2);
  EXPECT_EQ(record.injected[0].call, "CreateDirectoryW");
  EXPECT_EQ(record.injected[0].error, static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(record.calls, (std::vector<std::string>{"GetFileAttributesW", "CreateDirectoryW",
                                                    "CreateDirectoryW"}));
  EXPECT_EQ(record.injected[0].index, 2u);
  // Disarmed, the calls only pass through.
  EXPECT_TRUE(calls::CreateDirectoryW(W(second).c_str(), nullptr));
  EXPECT_EQ(faults::Disarm().counted, 0);
}

TEST(FailingCallSeam, AFailedCloseStillClosesTheHandle) {
  TempFolder temp;
  const std::string path = temp.Write("file", "bytes");
  faults::Arm(2, Failure::kDeviceError);
  const HANDLE file =
      calls::CreateFileW(W(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(calls::CloseHandle(file));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_DEVICE));
  const faults::Record record = faults::Disarm();
  EXPECT_TRUE(record.left_open.empty());
  // Opened without sharing, it would refuse a second open had it stayed open.
  const HANDLE again =
      ::CreateFileW(W(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  ::CloseHandle(again);
}

TEST(FailingCallSeam, NotesHandlesLeftOpen) {
  TempFolder temp;
  const std::string path = temp.Write("file", "bytes");
  faults::Arm(0, Failure::kDeviceError);
  const HANDLE kept = calls::CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
  const HANDLE closed = calls::CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
  calls::CloseHandle(closed);
  const faults::Record record = faults::Disarm();
  ::CloseHandle(kept);
  EXPECT_EQ(record.left_open, std::vector<std::string>{"CreateFileW(open)"});
}

}  // namespace
}  // namespace vantrel::testing
