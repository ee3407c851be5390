#include "platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <io.h>
#include <map>
#include <mutex>
#include <thread>

#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include "exit_codes.h"
#include "interrupt.h"
#include "platform_win32.h"
#include "ports.h"

namespace cradlectl {
namespace {

// Set with the stop request, so a wait can sleep on it; manual reset: once stopped, stopped.
HANDLE interruptEvent() {
    static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void stopNow() {
    stopRequest().request();
    SetEvent(interruptEvent());
}

BOOL WINAPI onConsoleEvent(DWORD) {
    stopNow();
    return TRUE;
}

// A worker's parent asks it to stop through an event the worker inherited (its console Ctrl-C is off,
// see runChildren); the system's thread pool waits on it, so no thread of ours is left to join.
constexpr const char* kStopVariable = "CRADLECTL_WORKER_STOP";

VOID CALLBACK onParentStop(PVOID, BOOLEAN) { stopNow(); }

void followParentStop() {
    const char* value = std::getenv(kStopVariable);
    if (!value) return;
    const HANDLE stop = HANDLE(uintptr_t(std::strtoull(value, nullptr, 10)));
    _putenv_s(kStopVariable, "");
    SetEnvironmentVariableA(kStopVariable, nullptr);
    HANDLE wait = nullptr;
    RegisterWaitForSingleObject(&wait, stop, onParentStop, nullptr, INFINITE, WT_EXECUTEONLYONCE);
}

}  // namespace

void installInterruptHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        stopRequest();  // constructed before any event can arrive
        interruptEvent();
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        followParentStop();
    });
}

namespace platform {

const Naming kNaming = {"serial port (COM3 or \\\\.\\COM3); repeat for several gimbals", {"COM3", "COM4"},
                        "%APPDATA%\\Tiltmate\\Tiltmate"};

namespace {
bool terminalOutput = false;
}  // namespace

void prepareOutput() {
    // Bytes as written: a backup on standard output is the same file on every system, and the JSON
    // lines a worker prints reach its parent unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // A console draws the progress rows only once it takes control sequences (Windows 10 and later).
    terminalOutput = _isatty(_fileno(stdout)) && GetConsoleMode(out, &mode) &&
                     SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool outputIsTerminal() { return terminalOutput; }

std::optional<std::string> takeEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    std::string taken = value;
    SetEnvironmentVariableA(name, nullptr);
    _putenv_s(name, "");
    return taken;
}

void holdInterrupts() { installInterruptHandlers(); }

bool awaitInterrupt(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(interruptEvent(), DWORD(timeout.count())) == WAIT_OBJECT_0;
}

namespace {

constexpr const char* kDevicePrefix = "\\\\.\\";

// "COM3" for COM3, com3 and \\.\COM3.
std::string shortName(const std::string& port) {
    std::string name = port.rfind(kDevicePrefix, 0) == 0 ? port.substr(4) : port;
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

std::string devicePath(const std::string& port) { return kDevicePrefix + shortName(port); }

std::string canonicalPort(const std::string& port) { return shortName(port); }

// The system's device names: a port is there while its name stands for a device. Where the device map
// does not name it (Wine's ports), the device itself is asked, without read or write access; a port held
// exclusively (by this process, say) answers "access denied", which means it is there.
bool portPresent(const std::string& port) {
    char target[1024];
    if (QueryDosDeviceA(shortName(port).c_str(), target, sizeof target) != 0) return true;
    const HANDLE h = CreateFileA(devicePath(port).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Windows tells a port that is in use (access denied) from one that is missing when it is opened; only
// the missing one is looked for first, so it gets its own exit code.
procedures::Status checkPort(const std::string& port) {
    if (!portPresent(port)) return {procedures::kExitPortNotFound, port + ": no such port"};
    return {};
}

// The library's "in use" already covers a port another program holds.
bool heldByAnother(const std::string&) { return false; }

bool namesPortOnly(const std::string& name) {
    const std::string n = shortName(name);
    return name.rfind(kDevicePrefix, 0) == 0 ||
           (n.size() > 3 && n.rfind("COM", 0) == 0 && std::all_of(n.begin() + 3, n.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }));
}

// The C runtime's rules: words apart by blanks; inside quotes blanks are kept; backslashes are literal
// unless they come before a quote, where 2n of them are n and 2n+1 are n and a literal quote.
std::string commandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        for (size_t i = 0;; ++i) {
            size_t backslashes = 0;
            while (i < arg.size() && arg[i] == '\\') {
                ++i;
                ++backslashes;
            }
            if (i == arg.size()) {
                line.append(backslashes * 2, '\\');  // the closing quote must stay a quote
                break;
            }
            if (arg[i] == '"') {
                line.append(backslashes * 2 + 1, '\\');
            } else {
                line.append(backslashes, '\\');
            }
            line += arg[i];
        }
        line += '"';
    }
    return line;
}

namespace {

std::string systemMessage(DWORD error) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

void closeHandle(HANDLE& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}

struct Running {
    HANDLE process = nullptr;
    HANDLE out = nullptr;   // the read end of the child's standard output
    HANDLE stop = nullptr;  // set to ask the child to stop
    std::thread reader;
};

// What the readers hand to the waiting thread.
struct Arrival {
    size_t child;
    std::string output;
    bool ended = false;
    int exitCode = 0;
    std::string ending;
};

// Handles the child should get are made inheritable only for its own start, so no child keeps another's
// pipe open (which would hide that one's end).
bool start(const Child& child, const char* portVariable, Running& running, std::string& why) {
    HANDLE write = nullptr;
    SECURITY_ATTRIBUTES plain{sizeof plain, nullptr, FALSE};
    if (!CreatePipe(&running.out, &write, &plain, 0)) {
        why = "could not start a worker: " + systemMessage(GetLastError());
        return false;
    }
    running.stop = CreateEventA(&plain, TRUE, FALSE, nullptr);
    HANDLE error = nullptr;
    const HANDLE ownError = GetStdHandle(STD_ERROR_HANDLE);
    if (ownError && ownError != INVALID_HANDLE_VALUE)
        DuplicateHandle(GetCurrentProcess(), ownError, GetCurrentProcess(), &error, 0, TRUE, DUPLICATE_SAME_ACCESS);
    SetHandleInformation(write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    if (running.stop) SetHandleInformation(running.stop, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

    char self[MAX_PATH * 4];
    const DWORD selfLength = GetModuleFileNameA(nullptr, self, sizeof self);
    std::vector<std::string> args = child.args;
    args.insert(args.begin(), "cradlectl");
    std::string line = commandLine(args);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    // The child's environment is this one's with its port and its stop event; this process takes neither
    // back into its own use.
    SetEnvironmentVariableA(portVariable, child.port.c_str());
    SetEnvironmentVariableA(kStopVariable, std::to_string(uintptr_t(running.stop)).c_str());
    // A process group of its own has Ctrl-C off: a Ctrl-C at the console reaches only this process, which
    // passes it on once, so every worker sees exactly one request to stop.
    const bool started = selfLength > 0 && selfLength < sizeof self &&
                         CreateProcessA(self, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
    const DWORD startError = GetLastError();
    SetEnvironmentVariableA(portVariable, nullptr);
    SetEnvironmentVariableA(kStopVariable, nullptr);
    closeHandle(write);
    closeHandle(error);
    if (running.stop) SetHandleInformation(running.stop, HANDLE_FLAG_INHERIT, 0);
    if (!started) {
        closeHandle(running.out);
        closeHandle(running.stop);
        why = "could not start a worker: " + systemMessage(startError);
        return false;
    }
    CloseHandle(process.hThread);
    running.process = process.hProcess;
    return true;
}

}  // namespace

void runChildren(const std::vector<Child>& children, const char* portVariable,
                 const std::function<void(size_t, std::string_view)>& onOutput,
                 const std::function<void(size_t, int, const std::string&)>& onEnd) {
    installInterruptHandlers();
    std::mutex lock;
    std::deque<Arrival> arrivals;
    const HANDLE arrived = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto reset: one wake per batch
    auto hand = [&](Arrival a) {
        {
            std::lock_guard<std::mutex> guard(lock);
            arrivals.push_back(std::move(a));
        }
        SetEvent(arrived);
    };

    std::vector<Running> running(children.size());
    size_t live = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        std::string why;
        if (!start(children[i], portVariable, running[i], why)) {
            onEnd(i, procedures::kExitFailure, why);
            continue;
        }
        ++live;
        // One reader per child: an anonymous pipe cannot be waited on with the others.
        running[i].reader = std::thread([&, i] {
            Running& r = running[i];
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(r.out, buffer, sizeof buffer, &got, nullptr) && got > 0) hand({i, std::string(buffer, got), false, 0, {}});
            WaitForSingleObject(r.process, INFINITE);
            DWORD code = procedures::kExitFailure;
            GetExitCodeProcess(r.process, &code);
            Arrival end{i, {}, true, int(code), {}};
            // Above 255 it is no exit code of ours but the system's word for how the process ended.
            if (code > 255) {
                char text[64];
                std::snprintf(text, sizeof text, "the worker ended with status 0x%08lX", static_cast<unsigned long>(code));
                end.exitCode = procedures::kExitFailure;
                end.ending = text;
            }
            hand(std::move(end));
        });
    }

    bool passedOn = false;
    while (live > 0) {
        std::deque<Arrival> batch;
        {
            std::lock_guard<std::mutex> guard(lock);
            batch.swap(arrivals);
        }
        for (Arrival& a : batch) {
            if (!a.ended) {
                onOutput(a.child, a.output);
                continue;
            }
            Running& r = running[a.child];
            r.reader.join();
            closeHandle(r.out);
            closeHandle(r.process);
            closeHandle(r.stop);
            --live;
            onEnd(a.child, a.exitCode, a.ending);
        }
        if (live == 0) break;
        if (interrupted() && !passedOn) {
            for (const Running& r : running)
                if (r.stop) SetEvent(r.stop);
            passedOn = true;
        }
        const HANDLE waits[2] = {arrived, interruptEvent()};
        WaitForMultipleObjects(passedOn ? 1 : 2, waits, FALSE, INFINITE);
    }
    CloseHandle(arrived);
}

}  // namespace platform

// The serial ports as the system lists them: the Ports class of the device manager, with each port's
// friendly name and USB adapter, and the ports of the device map that no driver lists there (virtual
// ports) with their name alone.
namespace {

std::string deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    char value[1024] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, &type, reinterpret_cast<BYTE*>(value), sizeof value - 2, nullptr)) return {};
    return value;  // the first string of a list
}

std::string registryString(HKEY key, const char* name) {
    char value[256] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    return value;
}

// "USB\VID_0403&PID_6001&REV_0600" -> "0403:6001"
std::string usbIdOf(const std::string& hardwareId) {
    const size_t vid = hardwareId.find("VID_"), pid = hardwareId.find("PID_");
    if (vid == std::string::npos || pid == std::string::npos || vid + 8 > hardwareId.size() || pid + 8 > hardwareId.size()) return {};
    std::string id = hardwareId.substr(vid + 4, 4) + ":" + hardwareId.substr(pid + 4, 4);
    for (char& c : id) c = char(std::tolower(static_cast<unsigned char>(c)));
    return id;
}

unsigned portNumber(const std::string& name) { return unsigned(std::strtoul(name.c_str() + std::min<size_t>(3, name.size()), nullptr, 10)); }

}  // namespace

std::vector<PortInfo> listPorts() {
    std::map<std::string, PortInfo> found;
    const HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            if (key == INVALID_HANDLE_VALUE) continue;
            const std::string name = registryString(key, "PortName");
            RegCloseKey(key);
            if (name.rfind("COM", 0) != 0) continue;  // printer ports share the class
            PortInfo info;
            info.path = name;
            info.description = deviceProperty(set, device, SPDRP_FRIENDLYNAME);
            info.usbId = usbIdOf(deviceProperty(set, device, SPDRP_HARDWAREID));
            // A USB device's instance ends in its serial number, unless the system made one up ('&' in it).
            char instance[512] = {};
            if (SetupDiGetDeviceInstanceIdA(set, &device, instance, sizeof instance, nullptr)) {
                const std::string id = instance;
                const size_t last = id.find_last_of('\\');
                if (id.rfind("USB\\", 0) == 0 && last != std::string::npos && id.find('&', last) == std::string::npos) info.serial = id.substr(last + 1);
            }
            found[name] = std::move(info);
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    HKEY map = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            char valueName[256], data[64];
            DWORD nameSize = sizeof valueName, dataSize = sizeof data - 1, type = 0;
            if (RegEnumValueA(map, i, valueName, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) break;
            if (type != REG_SZ) continue;
            data[dataSize] = '\0';
            const std::string name = data;
            if (!name.empty() && !found.count(name)) found[name].path = name;
        }
        RegCloseKey(map);
    }
    std::vector<PortInfo> ports;
    for (auto& [name, info] : found) ports.push_back(std::move(info));
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) {
        return portNumber(a.path) != portNumber(b.path) ? portNumber(a.path) < portNumber(b.path) : a.path < b.path;
    });
    return ports;
}

bool describePort(const std::string& name, PortInfo& info) {
    info = {};
    if (!platform::portPresent(name)) return false;
    const std::string wanted = platform::canonicalPort(name);
    for (PortInfo& p : listPorts())
        if (p.path == wanted) info = std::move(p);
    info.path = wanted;
    return true;
}

}  // namespace cradlectl
