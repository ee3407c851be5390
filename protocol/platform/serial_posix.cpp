#include "serial.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace cradle::platform {
namespace {

constexpr int kAboveNormalNice = -5;

struct BaudEntry {
    int rate;
    speed_t code;
};

constexpr BaudEntry kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
};

bool speedFor(int rate, speed_t& code) {
    for (const BaudEntry& entry : kBaudRates)
        if (entry.rate == rate) {
            code = entry.code;
            return true;
        }
    return false;
}

// Applies the mode text the way the line-settings builder of the original platform reads it.
bool applyMode(const std::string& modeText, termios& tio) {
    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    if (std::sscanf(modeText.c_str(), "baud=%d parity=%c data=%d stop=%d", &baud, &parity, &data, &stop) != 4)
        return false;
    speed_t speed;
    if (!speedFor(baud, speed)) return false;
    tcflag_t size;
    switch (data) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return false;
    }
    if (stop != 1 && stop != 2) return false;
    cfmakeraw(&tio);
    // cfmakeraw leaves flags such as IXOFF, IXANY, IUCLC and INPCK as an earlier program set them
    // (the port keeps them across closes): nothing may alter, drop or inject bytes, no flow control.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= size | CLOCAL | CREAD;
    if (stop == 2) tio.c_cflag |= CSTOPB;
    switch (parity) {
    case 'n': case 'N': break;
    case 'e': case 'E': tio.c_cflag |= PARENB; break;
    case 'o': case 'O': tio.c_cflag |= PARENB | PARODD; break;
    case 'm': case 'M': tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 's': case 'S': tio.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0;
}

bool isNumber(const char* text) {
    if (!*text) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// Whether /proc/<pid>/fdinfo/<fd> says the descriptor was opened for reading (read-only or read-write).
bool openedForReading(const std::string& fdInfoPath) {
    FILE* info = std::fopen(fdInfoPath.c_str(), "re");
    if (!info) return true;  // gone or unreadable: counted as a reader, to be safe
    char line[128];
    unsigned long flags = O_RDWR;
    while (std::fgets(line, sizeof line, info))
        if (std::sscanf(line, "flags: %lo", &flags) == 1) break;
    std::fclose(info);
    return (flags & O_ACCMODE) != O_WRONLY;
}

// Looks for another process with the device open for reading, the way fuser does: the device number
// among the open descriptors in /proc. Only processes this user may look into are seen (all, for root);
// a program that opened the port earlier than us (a terminal left open, a modem manager probing it)
// would otherwise share it silently and take some of our replies. Write-only holders take nothing.
bool heldByAnotherReader(int fd) {
    struct stat device;
    if (::fstat(fd, &device) != 0 || !S_ISCHR(device.st_mode)) return false;
    DIR* processes = ::opendir("/proc");
    if (!processes) return false;
    const std::string self = std::to_string(::getpid());
    bool held = false;
    while (!held) {
        const dirent* process = ::readdir(processes);
        if (!process) break;
        if (!isNumber(process->d_name) || self == process->d_name) continue;
        const std::string base = std::string("/proc/") + process->d_name;
        DIR* descriptors = ::opendir((base + "/fd").c_str());
        if (!descriptors) continue;  // another user's process, or one that just ended
        while (const dirent* entry = ::readdir(descriptors)) {
            if (!isNumber(entry->d_name)) continue;
            struct stat target;
            if (::stat((base + "/fd/" + entry->d_name).c_str(), &target) != 0) continue;
            if (S_ISCHR(target.st_mode) && target.st_rdev == device.st_rdev &&
                openedForReading(base + "/fdinfo/" + entry->d_name)) {
                held = true;
                break;
            }
        }
        ::closedir(descriptors);
    }
    ::closedir(processes);
    return held;
}

}  // namespace

std::string devicePath(const std::string& portName) {
    if (portName.find('/') != std::string::npos) return portName;
    return "/dev/" + portName;
}

OpenStatus openPort(const std::string& path, const std::string& modeText, PortHandle& handle) {
    handle = kNoPort;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return OpenStatus::OpenFailed;
    // TIOCEXCL keeps out other opens except root's; flock keeps out any other program that takes
    // the same lock (root's included).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return OpenStatus::OpenFailed;
    }
    ::ioctl(fd, TIOCEXCL);
    termios tio{};
    const bool isLine = ::tcgetattr(fd, &tio) == 0;
    // The lock and TIOCEXCL keep out later opens; one made earlier by another program is looked for
    // before the line settings are touched under it.
    if (isLine && heldByAnotherReader(fd)) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return OpenStatus::HeldElsewhere;
    }
    if (!isLine || !applyMode(modeText, tio) || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::tcflush(fd, TCIOFLUSH);
        ::close(fd);
        return OpenStatus::SettingsFailed;
    }
    int rts = TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &rts);  // not every device has modem lines (a pseudo-terminal has none)
    ::tcflush(fd, TCIOFLUSH);
    handle = fd;
    return OpenStatus::Ok;
}

void closePort(PortHandle handle) {
    if (handle < 0) return;
    ::ioctl(static_cast<int>(handle), TIOCNXCL);
    ::close(static_cast<int>(handle));
}

bool writeAll(PortHandle handle, const uint8_t* data, size_t length, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const int fd = static_cast<int>(handle);
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written > 0) {
            data += written;
            length -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno == EAGAIN) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return false;  // a stalled line: the caller retries later
            pollfd pfd{fd, POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, static_cast<int>(left));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
            continue;
        }
        return false;
    }
    return true;
}

void purgeInput(PortHandle handle) {
    if (handle >= 0) ::tcflush(static_cast<int>(handle), TCIFLUSH);
}

void purgeInputAndOutput(PortHandle handle) {
    if (handle >= 0) ::tcflush(static_cast<int>(handle), TCIOFLUSH);
}

const char kLogAppendMode[] = "ab+e";  // 'e': O_CLOEXEC

bool portExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

ReadStatus readQueued(PortHandle handle, uint8_t* buffer, size_t capacity, size_t& received) {
    received = 0;
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle), buffer, capacity);
        if (n > 0) {
            received = static_cast<size_t>(n);
            return ReadStatus::Data;
        }
        if (n < 0 && errno == EINTR) continue;
        // With VMIN and VTIME 0 an empty queue reads as 0 bytes (a purge may have emptied it since poll).
        if (n == 0 || errno == EAGAIN) return ReadStatus::Nothing;
        return ReadStatus::HungUp;  // EIO, ENXIO: the device is gone
    }
}

bool Waker::create() {
    release();
    native_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return native_ >= 0;
}

void Waker::release() {
    if (native_ >= 0) ::close(static_cast<int>(native_));
    native_ = -1;
}

void Waker::wake() {
    if (native_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(static_cast<int>(native_), &one, sizeof one);
}

Waker::Event Waker::wait(PortHandle port) {
    const int fd = static_cast<int>(native_);
    pollfd fds[2] = {{fd, POLLIN, 0}, {static_cast<int>(port), POLLIN, 0}};
    const nfds_t count = port >= 0 ? 2 : 1;
    for (;;) {
        const int ready = ::poll(fds, count, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Event::Failed;
        break;
    }
    if (fds[0].revents & POLLIN) {
        uint64_t value;
        [[maybe_unused]] ssize_t n = ::read(fd, &value, sizeof value);
        return Event::Woken;
    }
    // A hung-up line may also report input; what it still holds is of no use.
    if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) return Event::PortHungUp;
    if (count == 2 && (fds[1].revents & POLLIN)) return Event::PortReadable;
    return Event::Woken;
}

void raiseCurrentThreadPriority() {
    // Per-thread nice value on Linux; failing without privileges is expected and harmless.
    [[maybe_unused]] int ignored = ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kAboveNormalNice);
}

// exit() runs the static destructors while the library's threads still run, so they can be joined.
bool processIsEnding() { return false; }

}  // namespace cradle::platform
