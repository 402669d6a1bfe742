#pragma once
// Worker threads. The library starts threads only for name lookups, and lets each run on by
// itself: the caller may stop waiting for it, and the worker cleans up after itself.

#include <functional>

namespace platform {

// Runs `work` on a new thread that nobody joins. False when the thread could not be started
// (then `work` never runs).
bool StartDetachedThread(std::function<void()> work);

}  // namespace platform
