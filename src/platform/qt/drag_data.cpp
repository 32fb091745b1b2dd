#include "platform/qt/drag_data.h"

#include <QCoreApplication>

namespace vantrel::platform::qt {

namespace {

QByteArray ProcessTag() {
  return QByteArray::number(QCoreApplication::applicationPid()) + '\n';
}

}  // namespace

std::unique_ptr<QMimeData> MakeDragData(const std::string& control) {
  auto data = std::make_unique<QMimeData>();
  data->setData(kDragMimeType, ProcessTag() + QByteArray::fromStdString(control));
  return data;
}

std::optional<std::string> DraggedControl(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(kDragMimeType)) return std::nullopt;
  const QByteArray payload = data->data(kDragMimeType);
  const QByteArray tag = ProcessTag();
  if (!payload.startsWith(tag)) return std::nullopt;
  return payload.mid(tag.size()).toStdString();
}

}  // namespace vantrel::platform::qt
