#include "app/toolkit/Background.h"

#include <sys/resource.h>
#include <unistd.h>

namespace velmora {

namespace {
constexpr int kBackgroundNice = 10;
}

void RunBelowWindow() {
    // Linux keeps a nice value for each thread; raising one's own needs no privilege. Where it fails the work
    // just runs at the window's priority.
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (current < kBackgroundNice) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

}  // namespace velmora
