// Starting a thread that nobody waits for: it ends by itself, whenever its call returns.
#pragma once

#include <functional>

namespace vantrel::platform {

// Runs `body` on a thread of its own; false, with nothing run, when no thread could be had.
// `body` must not throw: an exception that leaves it ends the program, as with std::thread.
[[nodiscard]] bool StartDetachedThread(std::function<void()> body);

}  // namespace vantrel::platform
