#include "ports.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace cradlectl {
namespace {

constexpr const char* kTtyClass = "/sys/class/tty";

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Walks up from the tty's device to the USB device that carries a product string.
std::string usbDescription(const std::string& device) {
    char resolved[PATH_MAX];
    if (!realpath(device.c_str(), resolved)) return {};
    for (std::string dir = resolved; dir.size() > 1; dir = dir.substr(0, dir.find_last_of('/'))) {
        const std::string product = firstLine(dir + "/product");
        if (product.empty()) continue;
        const std::string maker = firstLine(dir + "/manufacturer");
        return maker.empty() ? product : maker + " " + product;
    }
    return {};
}

}  // namespace

std::vector<PortInfo> listPorts() {
    std::vector<PortInfo> ports;
    DIR* dir = opendir(kTtyClass);
    if (!dir) return ports;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string base = std::string(kTtyClass) + "/" + name;
        const std::string device = base + "/device";
        if (access(device.c_str(), F_OK) != 0) continue;  // virtual terminals and ptys have no device
        // The 8250 driver lists every possible port; only those with a detected UART (type not 0) exist.
        if (firstLine(base + "/type") == "0") continue;
        ports.push_back({"/dev/" + name, usbDescription(device)});
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) { return a.path < b.path; });
    return ports;
}

}  // namespace cradlectl
