#include "pty_port.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace gimbalsim {

bool openPty(PtyPort& port, std::string& error) {
    char name[PATH_MAX] = {};
    if (openpty(&port.master, &port.slave, name, nullptr, nullptr) != 0) {
        error = std::string("openpty failed: ") + std::strerror(errno);
        return false;
    }
    port.slaveName = name;
    // Raw on the slave side so nothing is echoed or translated before the host configures the line.
    termios tio{};
    if (tcgetattr(port.slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(port.slave, TCSANOW, &tio);
    }
    // Kept open write-only: it must hold the line up, but a host refuses a port that another program
    // holds open for reading (one that could take its replies), and it must not take us for one.
    const int writeOnly = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (writeOnly < 0) {
        error = std::string("cannot reopen ") + name + ": " + std::strerror(errno);
        closePty(port);
        return false;
    }
    close(port.slave);
    port.slave = writeOnly;
    fcntl(port.master, F_SETFD, FD_CLOEXEC);
    const int flags = fcntl(port.master, F_GETFL);
    fcntl(port.master, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void closePty(PtyPort& port) {
    if (port.master >= 0) close(port.master);
    if (port.slave >= 0) close(port.slave);
    port = PtyPort{};
}

bool placeLink(const std::string& link, const std::string& target, std::string& error) {
    struct stat st{};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = "refusing to replace " + link + ": it is not a symlink";
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        error = "cannot create " + link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void removeLink(const std::string& link, const std::string& target) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n < 0) return;
    buffer[n] = '\0';
    if (target == buffer) unlink(link.c_str());
}

}  // namespace gimbalsim
