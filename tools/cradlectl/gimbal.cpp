#include "gimbal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backup.h"
#include "exit_codes.h"
#include "port_holder.h"

namespace cradlectl {
namespace {

std::string devicePath(const std::string& port) {
    return port.find('/') == std::string::npos ? "/dev/" + port : port;
}

// The library says only "could not be opened" when another program holds the port (its exclusive mode
// or its lock); a second look tells the technician which it is.
bool heldByAnother(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!locked) flock(fd, LOCK_UN);
    ::close(fd);
    return locked;
}

}  // namespace

Gimbal::~Gimbal() {
    if (open_) CSerialClosePort();
}

bool Gimbal::portPresent() const {
    struct stat st{};
    return stat(devicePath(port_).c_str(), &st) == 0;
}

Status Gimbal::open(const std::string& port) {
    port_ = port;
    const std::string path = devicePath(port);
    // The library only says "open failed"; the technician needs to know whether the port is missing or
    // forbidden, so look before opening.
    struct stat st{};
    if (stat(path.c_str(), &st) != 0)
        return {kExitPortNotFound, port + ": no such port"};
    if (access(path.c_str(), R_OK | W_OK) != 0) {
        if (errno == EACCES || errno == EPERM)
            return {kExitPermission, port + ": permission denied (is the udev rule installed, or are you in the dialout group?)"};
        return {kExitFailure, port + ": " + std::strerror(errno)};
    }
    if (CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS) == 1) {
        open_ = true;
        return {};
    }
    const int error = GetSerialLastError();
    CSerialClosePort();
    switch (error) {
    case CRADLE_SERIAL_IN_USE: return {kExitFailure, port + ": the port is in use"};
    case CRADLE_SERIAL_HELD_ELSEWHERE:
        if (const auto holder = procedures::findPortHolder(path))
            return {kExitFailure, port + ": in use by " + holder->name + " (pid " + std::to_string(holder->pid) + ")"};
        return {kExitFailure, port + ": in use by another program"};
    case CRADLE_SERIAL_SETTINGS_FAILED: return {kExitFailure, port + ": the line settings were refused (not a serial port?)"};
    default:
        if (heldByAnother(path)) return {kExitFailure, port + ": the port is in use"};
        return {kExitFailure, port + ": the port could not be opened"};
    }
}

}  // namespace cradlectl
