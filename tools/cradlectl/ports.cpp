#include "ports.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include <libudev.h>

namespace cradlectl {
namespace {

constexpr const char* kByIdFolder = "/dev/serial/by-id/";

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string text(const char* value) { return value ? value : ""; }

// Fills what udev knows of a tty device: its by-id link and its USB adapter.
void describe(udev_device* tty, PortInfo& info) {
    for (udev_list_entry* link = udev_device_get_devlinks_list_entry(tty); link; link = udev_list_entry_get_next(link)) {
        const std::string name = text(udev_list_entry_get_name(link));
        if (name.rfind(kByIdFolder, 0) == 0) info.byId = name;
    }
    // The parent is owned by the child: not unreferenced here.
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
    if (!usb) return;
    const std::string vendor = text(udev_device_get_sysattr_value(usb, "idVendor"));
    const std::string product = text(udev_device_get_sysattr_value(usb, "idProduct"));
    if (!vendor.empty()) info.usbId = vendor + ":" + product;
    info.serial = text(udev_device_get_sysattr_value(usb, "serial"));
    const std::string maker = text(udev_device_get_sysattr_value(usb, "manufacturer"));
    const std::string name = text(udev_device_get_sysattr_value(usb, "product"));
    info.description = maker.empty() ? name : name.empty() ? maker : maker + " " + name;
}

}  // namespace

std::vector<PortInfo> listPorts() {
    std::vector<PortInfo> ports;
    UdevPtr<udev> context(udev_new());
    if (!context) return ports;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate) return ports;
    udev_enumerate_add_match_subsystem(enumerate.get(), "tty");
    udev_enumerate_scan_devices(enumerate.get());
    for (udev_list_entry* e = udev_enumerate_get_list_entry(enumerate.get()); e; e = udev_list_entry_get_next(e)) {
        UdevPtr<udev_device> tty(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(e)));
        if (!tty || !udev_device_get_devnode(tty.get())) continue;
        // Virtual consoles and ptys have no device behind them.
        if (!udev_device_get_parent(tty.get())) continue;
        // The 8250 driver lists every possible port; only those with a detected UART (type not 0) exist.
        if (text(udev_device_get_sysattr_value(tty.get(), "type")) == "0") continue;
        PortInfo info;
        info.path = udev_device_get_devnode(tty.get());
        describe(tty.get(), info);
        ports.push_back(std::move(info));
    }
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) { return a.path < b.path; });
    return ports;
}

bool describePort(const std::string& name, PortInfo& info) {
    info = {};
    info.path = name.find('/') == std::string::npos ? "/dev/" + name : name;
    struct stat st{};
    if (stat(info.path.c_str(), &st) != 0) return false;
    if (!S_ISCHR(st.st_mode)) return true;
    UdevPtr<udev> context(udev_new());
    if (!context) return true;
    UdevPtr<udev_device> tty(udev_device_new_from_devnum(context.get(), 'c', st.st_rdev));
    if (tty) describe(tty.get(), info);
    return true;
}

}  // namespace cradlectl
