#include "fuse_commands.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "fuse_support.h"

namespace vantrel::testing {

// A round of waiting for input is short, so that Stop is answered soon.
constexpr long kRoundMs = 100;

void LeaveMount(const std::string& mount_point, int code) {
  DetachMount(mount_point);
  ::_exit(code);
}

CommandThread::CommandThread(std::string program, std::chrono::seconds lifetime,
                             std::function<std::string(const std::string&)> answer,
                             std::function<void(int)> leave) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  thread_ = std::thread([this, program = std::move(program), lifetime, answer = std::move(answer),
                         leave = std::move(leave)] { Read(program, lifetime, answer, leave); });
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void CommandThread::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void CommandThread::Read(const std::string& program, std::chrono::seconds lifetime,
                         const std::function<std::string(const std::string&)>& answer,
                         const std::function<void(int)>& leave) {
  const auto end = std::chrono::steady_clock::now() + lifetime;
  std::string pending;
  while (!stop_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      std::fprintf(stderr, "%s: lifetime over, leaving\n", program.c_str());
      leave(3);
      return;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, static_cast<int>(std::min<long>(left.count(), kRoundMs))) <= 0) continue;
    char chunk[512];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
      leave(0);
      return;
    }
    pending.append(chunk, static_cast<std::size_t>(got));
    for (std::size_t end_of_line; (end_of_line = pending.find('\n')) != std::string::npos;) {
      const std::string line = answer(pending.substr(0, end_of_line));
      pending.erase(0, end_of_line + 1);
      if (line.empty()) continue;
      const std::string reply = line + "\n";
      if (::write(STDOUT_FILENO, reply.data(), reply.size()) < 0) {
        std::fprintf(stderr, "%s: cannot reply\n", program.c_str());
      }
    }
  }
}

}  // namespace vantrel::testing
