// What cradlectl needs of the operating system, one file per system: platform_linux.cpp (with udev for
// the port list) and platform_win32.cpp. The interrupt handlers (interrupt.h) and the port list (ports.h)
// are implemented there too; everything else in cradlectl is the same on every system.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "units.h"

namespace cradlectl::platform {

// Names as this system writes them, for the help texts.
struct Naming {
    const char* portHelp;        // what -p takes
    const char* examplePorts[2];  // in the examples, for ttyUSB0 and ttyUSB1
    const char* dataFolder;      // where the desktop program keeps its data
};
extern const Naming kNaming;

// Standard output and error write the bytes they are given (no line-end translation), and a terminal
// takes the control sequences the progress rows are drawn with.
void prepareOutput();
// True when standard output is a terminal that draws the progress rows.
bool outputIsTerminal();

// The variable's value, taken out of the environment so that no child inherits it.
std::optional<std::string> takeEnvironment(const char* name);

// monitor's wait: holdInterrupts() before the library starts its threads, then awaitInterrupt() sleeps until
// the timeout or an interrupt, and says whether one came.
void holdInterrupts();
bool awaitInterrupt(std::chrono::milliseconds timeout);

// Ports. The device a port name stands for ("ttyUSB0" is /dev/ttyUSB0, "COM3" is \\.\COM3).
std::string devicePath(const std::string& port);
// One spelling per device, for finding a port named twice.
std::string canonicalPort(const std::string& port);
// Before opening: a missing port (exit 3) or one this user may not open (exit 4); ok otherwise.
procedures::Status checkPort(const std::string& port);
bool portPresent(const std::string& port);
// Whether another program holds the port (its lock or exclusive mode), when the library could not say.
bool heldByAnother(const std::string& port);
// A name that can only be a port, never a file (diff tells files and ports apart by it).
bool namesPortOnly(const std::string& name);

// Worker processes: each child is this program again, with the arguments given and its port in the
// environment variable portVariable. onOutput gets what a child prints on its standard output as it comes;
// onEnd its exit code (and why, when it did not end by exiting) once it has ended. An interrupt of this
// process is passed on to every child once; returns when every child has ended.
struct Child {
    std::vector<std::string> args;  // after the program name
    std::string port;
};
void runChildren(const std::vector<Child>& children, const char* portVariable,
                 const std::function<void(size_t child, std::string_view output)>& onOutput,
                 const std::function<void(size_t child, int exitCode, const std::string& ending)>& onEnd);

}  // namespace cradlectl::platform
