// The drives on Windows: their letters and labels, the file system of a path, the working folder.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>

#include "platform/os_services.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

TEST(Drives, EveryDriveReadsAsLetterColonAndOptionalLabel) {
  const auto drives = platform::ListDrives(platform::ImmediateOffThread());
  ASSERT_FALSE(drives.empty());
  bool has_c = false;
  for (const auto& drive : drives) {
    ASSERT_GE(drive.text.size(), 2u);
    EXPECT_TRUE(drive.text[0] >= 'a' && drive.text[0] <= 'z') << drive.text;
    EXPECT_EQ(drive.text[1], ':');
    if (drive.text.size() > 2) {
      EXPECT_EQ(drive.text.substr(2, 2), " [") << drive.text;
      EXPECT_EQ(drive.text.back(), ']') << drive.text;
    }
    const char letter = static_cast<char>(drive.text[0] - 'a' + 'A');
    EXPECT_EQ(drive.root, std::string(1, letter) + ":\\");
    has_c = has_c || drive.root == "C:\\";
  }
  EXPECT_TRUE(has_c);
}

// Runs the work at once and keeps what it was asked, or, as a volume that does not answer, never
// runs it.
class ScriptedOffThread final : public platform::OffThread {
 public:
  explicit ScriptedOffThread(bool answers) : answers_(answers) {}
  using platform::OffThread::RunAnswering;
  bool Run(std::function<void()> work) override {
    work();
    return true;
  }
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                    const std::string& place, std::function<std::string()>) override {
    asked.emplace_back(place, deadline);
    if (answers_) work([] {});
    return answers_;
  }
  bool Waiting() const override { return false; }
  const std::shared_ptr<platform::StuckPlaces>& places() const override { return places_; }
  std::vector<std::pair<std::string, std::chrono::milliseconds>> asked;

 private:
  bool answers_;
  std::shared_ptr<platform::StuckPlaces> places_ = std::make_shared<platform::StuckPlaces>();
};

// Which drives there are comes from the drive letters alone; each one's label is asked off the
// GUI thread, on its own file system, within the one deadline.
TEST(Drives, LabelsAreAskedPerDriveAndADriveThatDoesNotAnswerIsListedByItsLetter) {
  ScriptedOffThread answering(true);
  const auto drives = platform::ListDrives(answering);
  ASSERT_EQ(answering.asked.size(), drives.size());
  for (std::size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(answering.asked[i].first, drives[i].root);
    EXPECT_GT(answering.asked[i].second.count(), 0);
    EXPECT_LE(answering.asked[i].second, platform::kDriveAnswerDeadline);
  }

  ScriptedOffThread silent(false);
  const auto unchecked = platform::ListDrives(silent);
  ASSERT_EQ(unchecked.size(), drives.size());
  for (std::size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(unchecked[i].root, drives[i].root);
    EXPECT_EQ(unchecked[i].text, drives[i].text.substr(0, 2));
  }
}

TEST(Drives, TheFileSystemOfAPathIsItsDriveOrShareRootWhateverTheSpelling) {
  using platform::FileSystemOf;
  EXPECT_EQ(FileSystemOf("C:\\Data\\a.txt"), "C:\\");
  EXPECT_EQ(FileSystemOf("c:/data"), "C:\\");
  EXPECT_EQ(FileSystemOf("D:\\"), "D:\\");
  EXPECT_EQ(FileSystemOf("\\\\?\\e:\\deep\\path"), "E:\\");
  EXPECT_EQ(FileSystemOf("\\\\Server\\Share\\folder\\a.txt"), "\\\\server\\share\\");
  EXPECT_EQ(FileSystemOf("//server/SHARE"), "\\\\server\\share\\");
  EXPECT_EQ(FileSystemOf("\\\\?\\UNC\\server\\share\\x"), "\\\\server\\share\\");
  TempFolder temp;
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryW(W(temp.str()).c_str()));
  EXPECT_EQ(FileSystemOf("relative\\name"), temp.str().substr(0, 3));
  ::SetCurrentDirectoryW(before);
}

TEST(Drives, WorkingFolderIsTheCurrentFolderWithAnUpperCaseDrive) {
  TempFolder temp;
  std::string lower = temp.str();
  lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryW(W(lower).c_str()));
  EXPECT_EQ(platform::WorkingFolder(), temp.str());
  ::SetCurrentDirectoryW(L"C:\\");
  EXPECT_EQ(platform::WorkingFolder(), "C:\\");
  ::SetCurrentDirectoryW(before);
}

}  // namespace
}  // namespace vantrel::testing
