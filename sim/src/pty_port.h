// The pseudo-terminal the simulator serves and the symlink the host opens in place of a serial port.
#pragma once

#include <string>

namespace gimbalsim {

struct PtyPort {
    int master = -1;
    int slave = -1;  // kept open (write-only) by us so a host closing its side does not hang up the master
    std::string slaveName;
};

// Opens a raw, non-blocking pty; false with a message on failure.
bool openPty(PtyPort& port, std::string& error);
void closePty(PtyPort& port);

// Points `link` at `target`, replacing an older symlink there but never a regular file.
bool placeLink(const std::string& link, const std::string& target, std::string& error);
// Removes `link` only if it still points at `target` (someone may have reused the path).
void removeLink(const std::string& link, const std::string& target);

}  // namespace gimbalsim
