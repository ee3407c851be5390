// The operating-system side of the serial link. One implementation file per system; CMake picks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cradle::platform {

using PortHandle = intptr_t;
constexpr PortHandle kNoPort = -1;

struct LineSettings {
    int baudRate = 115200;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};

enum class OpenStatus { Ok, OpenFailed, SettingsFailed };

// The device path for a port name: a name with '/' as given, any other under the device folder.
std::string devicePath(const std::string& portName);
// Opens for exclusive use and applies the mode text ("baud=%d parity=%c data=%d stop=%d").
OpenStatus openPort(const std::string& path, const std::string& modeText, PortHandle& handle);
void closePort(PortHandle handle);
// Writes all bytes or fails.
bool writeAll(PortHandle handle, const uint8_t* data, size_t length);
void purgeInput(PortHandle handle);
bool portExists(const std::string& path);

enum class ReadStatus { Data, Nothing, HungUp };
// Reads what is queued without blocking.
ReadStatus readQueued(PortHandle handle, uint8_t* buffer, size_t capacity, size_t& received);

// Lets one thread sleep on a port and be woken by another.
class Waker {
public:
    Waker();
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;
    bool valid() const { return fd_ >= 0; }
    void wake();

    enum class Event { Woken, PortReadable, PortHungUp, Failed };
    // Sleeps until the port has input (or hangs up) or wake() is called. kNoPort: wake-up only.
    Event wait(PortHandle port);

private:
    int fd_ = -1;
};

// Best effort: the link threads ask for a higher priority; an ordinary user may not get it.
void raiseCurrentThreadPriority();

}  // namespace cradle::platform
