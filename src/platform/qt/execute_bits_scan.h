// Reads the execute bits of many files on worker threads (one stat per file is the slow part of
// listing programs) and hands the marks to the GUI thread through its event loop. Destroying the
// scan stops it without waiting for its workers (one may be stuck on a file system that stopped
// answering); from then on its callback never runs, and the workers end on their own. A scan
// that has not ended within kAnswerDeadline marks its file system stuck until it ends, so no
// other read starts more threads there meanwhile.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/folder_snapshot.h"
#include "platform/stuck_places.h"

namespace vantrel::platform::qt {

class ExecuteBitsScan {
 public:
  // The files asked about, and for each one byte: 1 where an execute bit is set.
  using Done =
      std::function<void(std::vector<std::uint32_t> files, std::vector<std::uint8_t> marks)>;

  ExecuteBitsScan(std::string folder, lists::SharedSnapshot snapshot,
                  std::vector<std::uint32_t> files, Done done, std::shared_ptr<StuckPlaces> places,
                  std::string place);
  ~ExecuteBitsScan();
  ExecuteBitsScan(const ExecuteBitsScan&) = delete;
  ExecuteBitsScan& operator=(const ExecuteBitsScan&) = delete;

  // How many threads a scan uses on this machine.
  static unsigned Threads();

 private:
  struct Work;
  void Deliver();

  std::shared_ptr<Work> work_;  // shared with the workers, which may outlive the scan
  Done done_;
  QObject receiver_;  // lives on the GUI thread; its pending delivery dies with it
  QTimer deadline_;
};

}  // namespace vantrel::platform::qt
