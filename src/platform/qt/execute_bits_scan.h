// Reads the execute bits of many files on worker threads (one stat per file is the slow part of
// listing programs) and hands the marks to the GUI thread through its event loop. Destroying the
// scan stops and joins the workers; from then on its callback never runs.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/folder_snapshot.h"

namespace vantrel::platform::qt {

class ExecuteBitsScan {
 public:
  // The files asked about, and for each one byte: 1 where an execute bit is set.
  using Done =
      std::function<void(std::vector<std::uint32_t> files, std::vector<std::uint8_t> marks)>;

  ExecuteBitsScan(std::string folder, SharedSnapshot snapshot, std::vector<std::uint32_t> files,
                  Done done);
  ~ExecuteBitsScan();
  ExecuteBitsScan(const ExecuteBitsScan&) = delete;
  ExecuteBitsScan& operator=(const ExecuteBitsScan&) = delete;

  // How many threads a scan uses on this machine.
  static unsigned Threads();

 private:
  void Work();
  void Deliver();

  const std::string folder_;
  SharedSnapshot snapshot_;
  std::vector<std::uint32_t> files_;
  std::vector<std::uint8_t> marks_;
  Done done_;
  std::atomic<std::size_t> next_{0};
  std::atomic<unsigned> working_{0};
  std::atomic<bool> stop_{false};
  QObject receiver_;  // lives on the GUI thread; its pending delivery dies with it
  std::vector<std::thread> workers_;
};

}  // namespace vantrel::platform::qt
