#pragma once

#include <chrono>

namespace publish {

// Waits on one descriptor for the given poll events within `wait`. Raises SocketError(ETIMEDOUT) when
// nothing happens in time and SocketError for failures of poll itself.
namespace socketwait {

void waitFor(int fd, short events, std::chrono::milliseconds wait);
// Same, but returns false on time-out instead of raising.
bool tryWaitFor(int fd, short events, std::chrono::milliseconds wait);

} // namespace socketwait

} // namespace publish
