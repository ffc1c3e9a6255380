#pragma once

#include <chrono>

namespace publish {

// How long any wait on the network may last without progress before it fails with ETIMEDOUT. A server
// that stops answering must not freeze the program for ever.
namespace network {

inline constexpr std::chrono::milliseconds kDefaultInactivityLimit{60'000};

std::chrono::milliseconds inactivityLimit();
// Process-wide; tests shorten it.
void setInactivityLimit(std::chrono::milliseconds limit);

} // namespace network

} // namespace publish
