// Ctrl-C and SIGTERM: the first one asks the running procedure to stop at the next frame boundary, so the
// tool can still say what was written; the process then exits with kExitInterrupted.
#pragma once

#include "stop_request.h"

namespace cradlectl {

constexpr int kExitInterrupted = 130;

// Installs the SIGINT/SIGTERM handlers (once) and unblocks those signals; SIGPIPE is ignored so a closed
// pipe shows as a failed write.
void installInterruptHandlers();
// The stop request the handlers set; procedures are handed this one.
procedures::StopRequest& stopRequest();
inline bool interrupted() { return stopRequest().requested(); }

}  // namespace cradlectl
