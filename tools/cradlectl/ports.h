// The serial ports of this system, with the adapter's description where sysfs gives one.
#pragma once

#include <string>
#include <vector>

namespace cradlectl {

struct PortInfo {
    std::string path;          // /dev/ttyUSB0
    std::string description;   // maker and product of a USB adapter; empty when the system names none
};

std::vector<PortInfo> listPorts();

}  // namespace cradlectl
