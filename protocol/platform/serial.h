// The operating-system side of the serial link. One implementation file per system; CMake picks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cradle::platform {

using PortHandle = intptr_t;
constexpr PortHandle kNoPort = -1;

// InUse: another program holds the port (where the system can tell).
// HeldElsewhere: another process already has the device open for reading (it would take replies).
enum class OpenStatus { Ok, OpenFailed, SettingsFailed, InUse, HeldElsewhere };

// The device path for a port name: on POSIX a name with '/' as given, any other under the device
// folder; on Windows "\\.\" and the name (so COM10 and above open), a name already in that form as given.
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
    // Takes a descriptor (an event on Windows); false when none can be had.
    bool create();
    void release();
    void wake();  // does nothing before create()

    enum class Event { Woken, PortReadable, PortHungUp, Failed };
    // Sleeps until the port has input, hangs up (POLLHUP, POLLERR) or wake() is called. kNoPort: wake-up only.
    Event wait(PortHandle port);

private:
    intptr_t native_ = -1;  // the eventfd, or the event's handle
};

// Best effort: the link threads ask for a higher priority; an ordinary user may not get it.
void raiseCurrentThreadPriority();

// True while the process ends with the library's threads already gone (Windows ends every thread
// before it unloads the DLL, perhaps while one held a lock): nothing may then be joined or locked.
bool processIsEnding();

}  // namespace cradle::platform
