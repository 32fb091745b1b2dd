#include "platform/detached_thread.h"

#include <pthread.h>

#include <memory>
#include <utility>

namespace vantrel::platform {
namespace {

void* RunBody(void* body) noexcept {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
  (*owned)();
  return nullptr;
}

}  // namespace

// The thread is created detached instead of detached once it runs (std::thread::detach). On
// Windows, MinGW's thread library recycles the record of a thread detached after it has ended
// while that thread is still on its way out, and the thread's exit then wipes the record of the
// next thread started: under load, a start of ours hung or crashed within a few thousand. A
// thread created detached frees its own record before it goes, and nobody else touches it.
bool StartDetachedThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  pthread_attr_t attributes;
  if (::pthread_attr_init(&attributes) != 0) return false;
  pthread_t thread;
  const bool started = ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                       ::pthread_create(&thread, &attributes, &RunBody, owned.get()) == 0;
  ::pthread_attr_destroy(&attributes);
  if (started) (void)owned.release();  // the thread owns it now
  return started;
}

}  // namespace vantrel::platform
