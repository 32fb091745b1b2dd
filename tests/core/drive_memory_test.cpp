// Which drive holds a folder, and each drive's current folder during a run.
#include <gtest/gtest.h>

#include "lists/drive_memory.h"

namespace vantrel::testing {
namespace {

using lists::DriveMemory;
using platform::DriveInfo;
using platform::kPosixPaths;
using platform::kWindowsPaths;

std::vector<DriveInfo> PosixDrives() {
  return {{"/", "/"}, {"/home", "/home"}, {"/media/usb", "/media/usb"}};
}

TEST(DriveMemoryTest, AFolderBelongsToTheLongestRootItStartsWithAtASeparator) {
  const DriveMemory memory(PosixDrives(), "/home/ann", kPosixPaths);
  EXPECT_EQ(memory.DriveOf("/home/ann/docs"), 1U);
  EXPECT_EQ(memory.DriveOf("/home"), 1U);
  EXPECT_EQ(memory.DriveOf("/homework"), 0U);
  EXPECT_EQ(memory.DriveOf("/media/usb/x"), 2U);
  EXPECT_EQ(memory.DriveOf("/media/usb2"), 0U);
  EXPECT_EQ(memory.DriveOf("relative"), std::nullopt);

  const DriveMemory windows({{"C:", "C:\\"}, {"D:", "D:\\"}}, "C:\\Work", kWindowsPaths);
  EXPECT_EQ(windows.DriveOf("D:\\Backup\\Old"), 1U);
  EXPECT_EQ(windows.DriveOf("C:\\"), 0U);
  EXPECT_EQ(windows.DriveOf("E:\\"), std::nullopt);
}

TEST(DriveMemoryTest, ADriveOpensAtItsCurrentFolderOrTheNearestFolderAboveIt) {
  DriveMemory memory(PosixDrives(), "/home/ann/docs", kPosixPaths);
  EXPECT_EQ(memory.FoldersOfDrive("/home"),
            (std::vector<std::string>{"/home/ann/docs", "/home/ann", "/home"}));
  memory.Remember("/usr/share");
  EXPECT_EQ(memory.FoldersOfDrive("/"), (std::vector<std::string>{"/usr/share", "/usr", "/"}));
  EXPECT_EQ(memory.FoldersOfDrive("/media/usb"), std::vector<std::string>{"/media/usb"});
  EXPECT_TRUE(memory.FoldersOfDrive("/nowhere").empty());

  DriveMemory windows({{"c: [SYSTEM]", "C:\\"}, {"D:", "D:\\"}}, "C:\\Work\\Old", kWindowsPaths);
  EXPECT_EQ(windows.FoldersOfDrive("c: [SYSTEM]"),
            (std::vector<std::string>{"C:\\Work\\Old", "C:\\Work", "C:\\"}));
  EXPECT_EQ(windows.FoldersOfDrive("D:"), std::vector<std::string>{"D:\\"});
}

TEST(DriveMemoryTest, EachDriveKeepsTheFolderLastOpenedOnIt) {
  DriveMemory memory(PosixDrives(), "/home/ann", kPosixPaths);
  EXPECT_EQ(memory.CurrentFolderOfDrive("/home"),
            "/home/ann");                            // the working folder's drive
  EXPECT_EQ(memory.CurrentFolderOfDrive("/"), "/");  // others start at their root
  EXPECT_EQ(memory.CurrentFolderOfDrive("/nowhere"), std::nullopt);

  memory.Remember("/usr/share");
  memory.Remember("/home/bob");
  memory.Remember("/media/usb");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/"), "/usr/share");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/home"), "/home/bob");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/media/usb"), "/media/usb");
}

TEST(DriveMemoryTest, DriveTextsThatDifferFromTheirRootsOpenTheRoot) {
  DriveMemory memory({{"C:", "C:\\"}, {"D:", "D:\\"}}, "C:\\Work", kWindowsPaths);
  EXPECT_EQ(memory.CurrentFolderOfDrive("D:"), "D:\\");
  EXPECT_EQ(memory.CurrentFolderOfDrive("C:"), "C:\\Work");
  EXPECT_EQ(memory.CurrentFolderOfDrive("C:\\"),
            std::nullopt);  // a folder, not a drive text
}

TEST(DriveMemoryTest, ReadingTheDrivesAgainOffersNewOnesAndKeepsTheOneShown) {
  DriveMemory memory(PosixDrives(), "/home/ann", kPosixPaths);
  memory.Remember("/media/usb/photos");
  // The stick went, a card came; a list that shows the stick keeps it, at the end.
  const std::vector<DriveInfo> now{{"/", "/"}, {"/home", "/home"}, {"/media/card", "/media/card"}};
  const auto items = memory.Reread(now, "/media/usb");
  EXPECT_EQ(items.texts, (std::vector<std::string>{"/", "/home", "/media/card", "/media/usb"}));
  EXPECT_EQ(items.shown, 3);
  EXPECT_EQ(memory.Reread(now, "/home").texts.size(), 3U);
  EXPECT_EQ(memory.Reread(now, "/home").shown, 1);
  // The card's folders belong to the card now, not to "/"; the stick keeps its folder.
  EXPECT_EQ(memory.DriveTextOf("/media/card/DCIM"), "/media/card");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/media/card"), "/media/card");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/media/usb"), "/media/usb/photos");
  memory.Remember("/media/card/DCIM");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/media/card"), "/media/card/DCIM");
  EXPECT_EQ(memory.CurrentFolderOfDrive("/"), "/");
  EXPECT_EQ(memory.DriveTextOf("relative"), "");
}

TEST(DriveMemoryTest, ANewVolumeLabelRenamesTheShownDriveAndKeepsItsFolder) {
  DriveMemory memory({{"c:", "C:\\"}, {"d: [DISC1]", "D:\\"}}, "C:\\Work", kWindowsPaths);
  memory.Remember("D:\\Music");
  const auto items = memory.Reread({{"c:", "C:\\"}, {"d: [DISC2]", "D:\\"}}, "d: [DISC1]");
  EXPECT_EQ(items.texts, (std::vector<std::string>{"c:", "d: [DISC2]"}));
  EXPECT_EQ(items.shown, 1);
  EXPECT_EQ(memory.CurrentFolderOfDrive("d: [DISC2]"), "D:\\Music");
  // A list not read again yet still names the drive by its old text.
  memory.Remember("D:\\Films");
  EXPECT_EQ(memory.CurrentFolderOfDrive("d: [DISC1]"), "D:\\Films");
  EXPECT_EQ(memory.CurrentFolderOfDrive("d: [DISC2]"), "D:\\Films");
}

}  // namespace
}  // namespace vantrel::testing
