// Loading the drag icon from a file: the project's own icon files, and every way a file can fail
// to be a picture.
#include <sys/stat.h>

#include <QImage>
#include <chrono>

#include "platform/qt/picture.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

platform::PicturePtr Load(const std::string& path) {
  return platform::qt::LoadPictureFile(path, platform::ImmediateOffThread());
}

using platform::qt::QtPicture;

QSize SizeOf(const platform::PicturePtr& picture) {
  const auto* qt_picture = dynamic_cast<const QtPicture*>(picture.get());
  return qt_picture != nullptr ? qt_picture->pixmap().size() : QSize();
}

TEST(LoadPictureTest, ReadsTheProjectsIconFiles) {
  EXPECT_EQ(SizeOf(Load(VANTREL_RESOURCES_DIR "/grab.ico")), QSize(48, 48));
  EXPECT_FALSE(SizeOf(Load(VANTREL_RESOURCES_DIR "/vantrel.ico")).isEmpty());
  EXPECT_EQ(SizeOf(Load(VANTREL_RESOURCES_DIR "/icons/vantrel-256.png")), QSize(256, 256));
}

TEST(LoadPictureTest, FailsCleanlyOnWhatIsNoPicture) {
  testing::TempFolder temp;
  EXPECT_EQ(Load(temp.str() + "/missing.ico"), nullptr);
  EXPECT_EQ(Load(temp.Write("empty.ico", "")), nullptr);
  EXPECT_EQ(Load(temp.Write("text.ico", "plain text, not an icon")), nullptr);
  // The start of a real icon, cut short.
  const std::string icon = testing::ReadAll(VANTREL_RESOURCES_DIR "/grab.ico");
  EXPECT_EQ(Load(temp.Write("cut.ico", icon.substr(0, 30))), nullptr);
  EXPECT_EQ(Load(temp.Folder("folder.ico")), nullptr);

  // A FIFO with no writer must not hang the drag start.
  const std::string fifo = temp.str() + "/fifo.ico";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Load(fifo), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(LoadPictureTest, OpensAPathThatIsNotUtf8) {
  testing::TempFolder temp;
  const std::string icon = testing::ReadAll(VANTREL_RESOURCES_DIR "/grab.ico");
  const std::string path = temp.Write(
      "gr\xE4"
      "b.ico",
      icon);
  // A file whose name is the decoded form must not be the one read.
  temp.Write(
      "gr\xEF\xBF\xBD"
      "b.ico",
      "not an icon");
  EXPECT_EQ(SizeOf(Load(path)), QSize(48, 48));
}

}  // namespace
}  // namespace vantrel::testing
