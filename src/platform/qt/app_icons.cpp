#include "platform/qt/app_icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <array>
#include <map>

namespace vantrel::platform::qt {

namespace {

constexpr std::array kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

QString IconFile(int size) {
  return QStringLiteral(":/vantrel/icons/vantrel-%1.png").arg(size);
}

// The application icon, reading the image of a size only when the icon is first drawn at about
// that size: the window shows without decoding eight images it may never draw.
class ApplicationIconEngine final : public QIconEngine {
 public:
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
  QIconEngine* clone() const override { return new ApplicationIconEngine(*this); }
  QString key() const override { return QStringLiteral("VantrelApplicationIcon"); }

 private:
  // The smallest image at least as large as asked for, else the largest.
  static int BestSize(const QSize& size);

  std::map<int, QPixmap> loaded_;
};

int ApplicationIconEngine::BestSize(const QSize& size) {
  const int wanted = std::max(size.width(), size.height());
  for (int available : kIconSizes) {
    if (available >= wanted) return available;
  }
  return kIconSizes.back();
}

QPixmap ApplicationIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
  const int best = BestSize(size);
  auto found = loaded_.find(best);
  if (found == loaded_.end()) found = loaded_.emplace(best, QPixmap(IconFile(best))).first;
  QPixmap image = found->second;
  if (image.width() > size.width() || image.height() > size.height())
    image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  if (mode == QIcon::Normal) return image;
  // Disabled and selected looks come from the style, as for any other icon.
  QStyleOption option;
  option.palette = QGuiApplication::palette();
  return QApplication::style()->generatedIconPixmap(mode, image, &option);
}

void ApplicationIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                                  QIcon::State state) {
  const qreal scale = painter->device()->devicePixelRatio();
  QPixmap image = pixmap(rect.size() * scale, mode, state);
  image.setDevicePixelRatio(scale);
  painter->drawPixmap(rect, image);
}

QSize ApplicationIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
  const int best = std::min(BestSize(size), std::min(size.width(), size.height()));
  return {best, best};
}

QList<QSize> ApplicationIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
  QList<QSize> sizes;
  for (int size : kIconSizes) sizes.append(QSize(size, size));
  return sizes;
}

}  // namespace

QIcon ApplicationIcon() {
  return QIcon(new ApplicationIconEngine);
}

QPixmap ApplicationIconPixmap() {
  return QPixmap(IconFile(48));
}

QPixmap BuiltInDragIcon() {
  return QPixmap(QStringLiteral(":/vantrel/icons/grab-48.png"));
}

}  // namespace vantrel::platform::qt
