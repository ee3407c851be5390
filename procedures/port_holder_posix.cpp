#include "port_holder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace procedures {
namespace {

bool isNumber(const char* text) {
    if (!*text) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// The device's number among the process's open descriptors, the way fuser looks.
bool holdsDevice(const std::string& process, dev_t device) {
    DIR* descriptors = ::opendir((process + "/fd").c_str());
    if (!descriptors) return false;  // another user's process, or one that just ended
    bool holds = false;
    while (const dirent* entry = ::readdir(descriptors)) {
        struct stat target;
        if (isNumber(entry->d_name) && ::stat((process + "/fd/" + entry->d_name).c_str(), &target) == 0 &&
            S_ISCHR(target.st_mode) && target.st_rdev == device) {
            holds = true;
            break;
        }
    }
    ::closedir(descriptors);
    return holds;
}

}  // namespace

std::optional<PortHolder> findPortHolder(const std::string& devicePath) {
    struct stat device;
    if (::stat(devicePath.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return std::nullopt;
    DIR* processes = ::opendir("/proc");
    if (!processes) return std::nullopt;
    const std::string self = std::to_string(::getpid());
    std::optional<PortHolder> found;
    while (!found) {
        const dirent* process = ::readdir(processes);
        if (!process) break;
        if (!isNumber(process->d_name) || self == process->d_name) continue;
        const std::string base = std::string("/proc/") + process->d_name;
        if (!holdsDevice(base, device.st_rdev)) continue;
        PortHolder holder;
        holder.pid = std::stol(process->d_name);
        std::ifstream comm(base + "/comm");
        std::getline(comm, holder.name);
        found = holder;
    }
    ::closedir(processes);
    return found;
}

}  // namespace procedures
