// The operating-system side of the serial link. One implementation file per system; CMake picks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cradle::platform {

using PortHandle = intptr_t;
constexpr PortHandle kNoPort = -1;

// HeldElsewhere: another process already has the device open for reading (it would take replies).
enum class OpenStatus { Ok, OpenFailed, SettingsFailed, HeldElsewhere };

// The device path for a port name: a name with '/' as given, any other under the device folder.
std::string devicePath(const std::string& portName);
// Opens for exclusive use and applies the mode text ("baud=%d parity=%c data=%d stop=%d").
OpenStatus openPort(const std::string& path, const std::string& modeText, PortHandle& handle);
void closePort(PortHandle handle);
// Writes all bytes or fails; waits at most waitMs in all for a line that takes no more bytes.
bool writeAll(PortHandle handle, const uint8_t* data, size_t length, int waitMs);
void purgeInput(PortHandle handle);
// Drops queued input and output (a frame abandoned part-way).
void purgeInputAndOutput(PortHandle handle);
// The fopen mode for the runtime log: append, and keep the file from child processes.
extern const char kLogAppendMode[];
bool portExists(const std::string& path);

enum class ReadStatus { Data, Nothing, HungUp };
// Reads what is queued without blocking. Nothing queued (0 bytes read) is not a hang-up; only
// a read error such as EIO or ENXIO is.
ReadStatus readQueued(PortHandle handle, uint8_t* buffer, size_t capacity, size_t& received);

// Lets one thread sleep on a port and be woken by another.
class Waker {
public:
    Waker() = default;
    ~Waker() { release(); }
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;
    // Takes a descriptor; false when none can be had.
    bool create();
    void release();
    void wake();  // does nothing before create()

    enum class Event { Woken, PortReadable, PortHungUp, Failed };
    // Sleeps until the port has input, hangs up (POLLHUP, POLLERR) or wake() is called. kNoPort: wake-up only.
    Event wait(PortHandle port);

private:
    int fd_ = -1;
};

// Best effort: the link threads ask for a higher priority; an ordinary user may not get it.
void raiseCurrentThreadPriority();

}  // namespace cradle::platform
