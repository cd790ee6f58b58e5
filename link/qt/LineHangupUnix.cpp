#include "link/qt/LineHangup.h"

#include <poll.h>

namespace ordalis {

// A read of nothing from a line that is still there leaves none of these set; an unplugged
// adapter or a pseudo-terminal whose far end closed does.
bool LineHungUp(qintptr handle) {
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return true;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace ordalis
