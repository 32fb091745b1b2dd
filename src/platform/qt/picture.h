// Pictures loaded from files, as the core holds them.
#pragma once

#include <QPixmap>
#include <string>
#include <utility>

#include "platform/controls.h"
#include "platform/off_thread.h"

namespace vantrel::platform::qt {

class QtPicture final : public Picture {
 public:
  explicit QtPicture(QPixmap pixmap) : pixmap_(std::move(pixmap)) {}
  const QPixmap& pixmap() const { return pixmap_; }

 private:
  QPixmap pixmap_;
};

// An icon or image file read into a picture; null when the file is missing, is not a regular
// file, or holds no picture Qt can read. The path is opened as raw bytes, so a name that is not
// UTF-8 still names the right file. The file is read through `off_thread`; the picture is made
// on the calling thread, as Qt wants.
PicturePtr LoadPictureFile(const std::string& path, OffThread& off_thread);

}  // namespace vantrel::platform::qt
