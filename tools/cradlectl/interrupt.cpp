#include "interrupt.h"

// The handlers themselves are the system's: installInterruptHandlers() lives in platform_<system>.cpp.
namespace cradlectl {

procedures::StopRequest& stopRequest() {
    static procedures::StopRequest request;
    return request;
}

}  // namespace cradlectl
