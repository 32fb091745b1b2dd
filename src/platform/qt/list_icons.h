// The folder and drive icons of the lists, as the style gives them: from the desktop's icon theme
// where it has them, so they look like every other program's. On a desktop whose theme cache is
// older than its folders, the style's search probes each icon name in every folder of the theme,
// tens of thousands of disk checks; so nothing is searched before the first window has been
// painted. Until then the lists show blank icons of the same size, and no row moves when the real
// ones arrive, each looked up once for every list of the program.
#pragma once

#include <QIcon>
#include <QObject>
#include <array>

namespace vantrel::platform::qt {

class ListIcons final : public QObject {
  Q_OBJECT

 public:
  enum Kind { OpenFolder, ClosedFolder, Drive };

  // Watches for the first paint of a window: the QApplication must exist.
  ListIcons();

  // The icon of that kind, or a blank one of the same size until the icons have arrived.
  const QIcon& Icon(Kind kind) const { return arrived_ ? icons_[kind] : blank_; }
  bool HaveArrived() const { return arrived_; }

 signals:
  // The icons have been looked up: lists showing the blank ones show them now.
  void Arrived();

 protected:
  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  void LookUp();

  QIcon blank_;
  std::array<QIcon, 3> icons_;
  bool arrived_ = false;
};

}  // namespace vantrel::platform::qt
