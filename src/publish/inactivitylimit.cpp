#include "publish/inactivitylimit.h"

#include <atomic>

namespace publish {

namespace network {
namespace {
std::atomic<long long> g_limitMs{kDefaultInactivityLimit.count()};
}

std::chrono::milliseconds inactivityLimit()
{
    return std::chrono::milliseconds(g_limitMs.load());
}

void setInactivityLimit(std::chrono::milliseconds limit)
{
    g_limitMs.store(limit.count() > 0 ? limit.count() : kDefaultInactivityLimit.count());
}

} // namespace network

} // namespace publish
