// The serial ports of this system as udev knows them: the stable name under /dev/serial/by-id and the
// USB adapter's identity where there is one. Ports udev has no record of (pseudo-terminals, the
// simulator's) are listed with their path alone.
#pragma once

#include <string>
#include <vector>

namespace cradlectl {

struct PortInfo {
    std::string path;          // /dev/ttyUSB0
    std::string byId;          // /dev/serial/by-id/usb-...; empty when udev made no such link
    std::string usbId;         // vendor:product, "0403:6001"; empty without a USB adapter
    std::string serial;        // the adapter's serial number
    std::string description;   // maker and product of the adapter
};

// Every serial port with a device behind it (not virtual consoles, not 8250 slots without a UART).
std::vector<PortInfo> listPorts();
// The named port (a name under /dev, a path or a link to one); false when it does not exist.
bool describePort(const std::string& name, PortInfo& info);

}  // namespace cradlectl
