// An event filter made from a function: true from the function stops the event there.
#pragma once

#include <QObject>
#include <functional>

namespace vantrel::platform::qt {

class FunctionFilter final : public QObject {
 public:
  FunctionFilter(QObject* watched, std::function<bool(QEvent*)> filter)
      : QObject(watched), filter_(std::move(filter)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return filter_(event); }

 private:
  std::function<bool(QEvent*)> filter_;
};

// The filter lives as long as the watched object.
inline void InstallEventFilter(QObject* watched, std::function<bool(QEvent*)> filter) {
  new FunctionFilter(watched, std::move(filter));
}

}  // namespace vantrel::platform::qt
