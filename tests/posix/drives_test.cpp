// The drive list on POSIX: the mount table parser on sample text, and the real list.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "platform/posix/mount_table.h"
#include "sandbox.h"

namespace vantrel::testing {
namespace {

using platform::DriveInfo;
using platform::ImmediateOffThread;
using platform::ListDrives;
using platform::WorkingFolder;
using platform::posix::BrowsableMountPoints;
using platform::posix::ParseMountInfo;
using platform::posix::UnescapeMountField;
using Points = std::vector<std::string>;

// Taken from a desktop with a USB stick, a bind mount and the usual pseudo file systems.
constexpr char kDesktop[] =
    "22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw\n"
    "23 28 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
    "24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8099192k\n"
    "25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,mode=620\n"
    "26 28 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1626k\n"
    "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "29 22 0:6 / /sys/kernel/security rw,relatime shared:8 - securityfs securityfs rw\n"
    "31 22 0:27 / /sys/fs/cgroup rw,relatime shared:9 - cgroup2 cgroup2 rw\n"
    "34 28 0:29 / /dev/mqueue rw,relatime shared:14 - mqueue mqueue rw\n"
    "40 28 259:1 / /boot/efi rw,relatime shared:31 - vfat /dev/nvme0n1p1 rw,fmask=0077\n"
    "41 28 259:3 / /home rw,relatime shared:32 - ext4 /dev/nvme0n1p3 rw\n"
    "42 28 0:33 / /tmp rw,nosuid,nodev shared:33 - tmpfs tmpfs rw\n"
    "43 28 0:34 / /proc/sys/fs/binfmt_misc rw,relatime shared:34 - binfmt_misc binfmt_misc rw\n"
    "50 26 0:40 / /run/user/1000 rw,nosuid,nodev,relatime shared:40 - tmpfs tmpfs rw\n"
    "51 50 0:41 / /run/user/1000/gvfs rw,nosuid,nodev shared:41 - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "60 26 8:17 / /run/media/ann/My\\040Stick rw,nosuid,nodev shared:50 - vfat /dev/sdb1 rw\n"
    "61 41 259:3 /ann/shared /srv/shared rw,relatime shared:32 - ext4 /dev/nvme0n1p3 rw\n"
    "62 28 259:3 / /mnt/home-again rw,relatime shared:32 - ext4 /dev/nvme0n1p3 rw\n"
    "63 28 0:50 / /mnt/back\\134slash rw,relatime - nfs4 server:/export rw\n"
    "64 28 0:51 / /snap/core/100 ro,nodev,relatime - squashfs /dev/loop0 ro\n";

TEST(MountTableTest, ParsesTheFieldsAndUndoesTheEscapes) {
  const auto mounts = ParseMountInfo(kDesktop);
  ASSERT_EQ(mounts.size(), 20u);
  EXPECT_EQ(mounts[5].device, "259:2");
  EXPECT_EQ(mounts[5].root, "/");
  EXPECT_EQ(mounts[5].mount_point, "/");
  EXPECT_EQ(mounts[5].fs_type, "ext4");
  EXPECT_EQ(mounts[15].mount_point, "/run/media/ann/My Stick");
  EXPECT_EQ(mounts[16].root, "/ann/shared");
  EXPECT_EQ(mounts[18].mount_point, "/mnt/back\\slash");
}

TEST(MountTableTest, UnescapesOctalAndLeavesOtherBackslashes) {
  EXPECT_EQ(UnescapeMountField("a\\040b\\011c\\012d\\134e"), "a b\tc\nd\\e");
  EXPECT_EQ(UnescapeMountField("trailing\\04"), "trailing\\04");
  EXPECT_EQ(UnescapeMountField("not\\999octal"), "not\\999octal");
  // The kernel escapes bytes 1 to 255 only: no escape makes a NUL or wraps past a byte.
  EXPECT_EQ(UnescapeMountField("nul\\000x\\400y\\501"), "nul\\000x\\400y\\501");
  EXPECT_EQ(UnescapeMountField("\\001\\377"), "\x01\xFF");
}

TEST(MountTableTest, SkipsMalformedLines) {
  EXPECT_TRUE(ParseMountInfo("").empty());
  EXPECT_TRUE(ParseMountInfo("garbage\n1 2 3\n\n").empty());
  EXPECT_TRUE(ParseMountInfo("1 2 0:1 / /x rw - \n").empty());
  EXPECT_EQ(ParseMountInfo("1 2 0:1 / /x rw - ext4 /dev/x rw").size(), 1u);
  // A mount point the kernel cannot have written: relative, or cut short by a NUL.
  EXPECT_TRUE(ParseMountInfo("1 2 0:1 / x rw - ext4 /dev/x rw").empty());
  using namespace std::string_view_literals;
  EXPECT_TRUE(ParseMountInfo("1 2 0:1 / /a\0b rw - ext4 /dev/x rw"sv).empty());
}

// "/" first, then sorted; pseudo and memory file systems, system folders, snaps and a second
// view of /home are left out; a bind of a subfolder is a folder of its own and stays.
TEST(MountTableTest, KeepsWhatAUserWouldBrowse) {
  EXPECT_EQ(BrowsableMountPoints(ParseMountInfo(kDesktop)),
            (Points{"/", "/boot/efi", "/home", "/mnt/back\\slash", "/run/media/ann/My Stick",
                    "/srv/shared"}));
}

TEST(MountTableTest, ABindOfTheRootIsADuplicate) {
  const char* table =
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:1 / /mnt/root-again rw - ext4 /dev/sda1 rw\n"
      "3 1 8:1 /var /mnt/var rw - ext4 /dev/sda1 rw\n";
  EXPECT_EQ(BrowsableMountPoints(ParseMountInfo(table)), (Points{"/", "/mnt/var"}));
}

// A container: the root is an overlay (kept), memory file systems beside it are not.
TEST(MountTableTest, AnOverlayIsKeptOnlyAtTheRoot) {
  const char* table =
      "1 0 0:40 / / rw - overlay overlay rw,lowerdir=/a\n"
      "2 1 0:41 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
      "3 1 0:42 / /mnt/ram rw - tmpfs tmpfs rw\n";
  EXPECT_EQ(BrowsableMountPoints(ParseMountInfo(table)), Points{"/"});
}

// A later mount on the same folder hides the earlier one: only what is visible counts.
TEST(MountTableTest, AHiddenMountDoesNotCount) {
  const char* table =
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:2 / /data rw - ext4 /dev/sda2 rw\n"
      "3 2 0:30 / /data rw - tmpfs tmpfs rw\n"
      "4 1 0:31 / /media rw - tmpfs tmpfs rw\n"
      "5 4 8:3 / /media/cdrom ro - iso9660 /dev/sr0 ro\n";
  EXPECT_EQ(BrowsableMountPoints(ParseMountInfo(table)), (Points{"/", "/media/cdrom"}));
}

TEST(MountTableTest, TheRootIsListedEvenWhenTheTableIsEmpty) {
  EXPECT_EQ(BrowsableMountPoints({}), Points{"/"});
}

TEST(DrivesTest, ThisMachineListsTheRootFirstAndOnlyFolders) {
  const std::vector<DriveInfo> drives = ListDrives(ImmediateOffThread());
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front().text, "/");
  for (const DriveInfo& drive : drives) {
    EXPECT_EQ(drive.text, drive.root);
    struct stat info {};
    EXPECT_EQ(::stat(drive.root.c_str(), &info), 0) << drive.root;
    EXPECT_TRUE(S_ISDIR(info.st_mode)) << drive.root;
  }
}

TEST(DrivesTest, WorkingFolderIsTheListsForm) {
  Sandbox box;
  const std::string folder = box.Folder("work");
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(folder.c_str()), 0);
  const std::string in_folder = WorkingFolder();
  ASSERT_EQ(::chdir("/"), 0);
  const std::string at_root = WorkingFolder();
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(in_folder, folder);
  EXPECT_EQ(at_root, "/");
}

}  // namespace
}  // namespace vantrel::testing
