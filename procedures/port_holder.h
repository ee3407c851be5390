// Which other program has a serial port open: the library refuses such a port without saying who
// holds it, so both faces name the holder from here.
#pragma once

#include <optional>
#include <string>

namespace procedures {

struct PortHolder {
    std::string name;  // the program's name as the system shows it, e.g. "screen"
    long pid = 0;
};

// The first other process with the device at devicePath open (a symlink is followed). Only processes
// this user may look into are seen (all, for root): nothing found means "not found", not "nobody".
std::optional<PortHolder> findPortHolder(const std::string& devicePath);

}  // namespace procedures
