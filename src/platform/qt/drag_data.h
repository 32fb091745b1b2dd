// What a drag started by a file list carries: a private type naming this process and the
// control being dragged. Only such drags are accepted, so files dragged in from other programs
// (or another copy of this one) are ignored.
#pragma once

#include <QMimeData>
#include <memory>
#include <optional>
#include <string>

namespace vantrel::platform::qt {

inline constexpr char kDragMimeType[] = "application/x-vantrel-control";

std::unique_ptr<QMimeData> MakeDragData(const std::string& control);
// The control a drag from this process carries, or nullopt for any other drag.
std::optional<std::string> DraggedControl(const QMimeData* data);

}  // namespace vantrel::platform::qt
