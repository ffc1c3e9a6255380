#include "publish/socketwait.h"

#include "publish/socketerror.h"

#include <cerrno>
#include <poll.h>

namespace publish {

namespace socketwait {

bool tryWaitFor(int fd, short events, std::chrono::milliseconds wait)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{fd, events, 0};
        const int n = ::poll(&entry, 1, left.count() > 0 ? int(left.count()) : 0);
        if (n > 0)
            return true; // ready, or an error/hang-up the next call will report
        if (n == 0)
            return false;
        if (errno != EINTR)
            throw SocketError::fromErrno();
    }
}

void waitFor(int fd, short events, std::chrono::milliseconds wait)
{
    if (!tryWaitFor(fd, events, wait))
        throw SocketError(ETIMEDOUT);
}

} // namespace socketwait

} // namespace publish
