#include "interrupt.h"

#include <csignal>

namespace cradlectl {

procedures::StopRequest& stopRequest() {
    static procedures::StopRequest request;
    return request;
}

namespace {

extern "C" void onInterrupt(int) { stopRequest().request(); }

}  // namespace

void installInterruptHandlers() {
    stopRequest();  // constructed before any signal can arrive
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns with EINTR and looks at the request.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // A worker starts with these held back by its parent, so one sent before the handlers were in place
    // arrives now and is seen as a request to stop.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
}

}  // namespace cradlectl
