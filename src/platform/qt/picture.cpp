#include "platform/qt/picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <memory>
#include <optional>

#include "platform/off_thread_calls.h"

namespace vantrel::platform::qt {

namespace {

// Icons are small; anything far larger is not the icon we are looking for.
constexpr off_t kMaxPictureBytes = off_t{16} * 1024 * 1024;

// A descriptor for reading the regular file at the path, or -1. O_NONBLOCK keeps a FIFO from
// hanging the open.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxPictureBytes) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::optional<QByteArray> ReadPictureBytes(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return std::nullopt;
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return std::nullopt;
  }
  return file.readAll();
}

QPixmap ReadPixmap(const QByteArray& bytes) {
  QPixmap pixmap;
  if (!pixmap.loadFromData(bytes)) pixmap.loadFromData(bytes, "ICO");
  return pixmap;
}

}  // namespace

PicturePtr LoadPictureFile(const std::string& path, OffThread& off_thread) {
  const std::optional<QByteArray> bytes = ReadOffThread(
      off_thread, path,
      [](const std::string& file, const std::function<void()>&) { return ReadPictureBytes(file); },
      std::optional<QByteArray>());
  if (!bytes) return nullptr;
  QPixmap pixmap = ReadPixmap(*bytes);
  if (pixmap.isNull()) return nullptr;
  return std::make_shared<QtPicture>(std::move(pixmap));
}

}  // namespace vantrel::platform::qt
