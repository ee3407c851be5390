#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <libudev.h>

#include "exit_codes.h"
#include "interrupt.h"
#include "ports.h"

extern char** environ;

namespace cradlectl {
namespace {

extern "C" void onInterrupt(int) { stopRequest().request(); }

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void installInterruptHandlers() {
    stopRequest();  // constructed before any signal can arrive
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns with EINTR and looks at the request.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // A worker starts with these held back by its parent, so one sent before the handlers were in place
    // arrives now and is seen as a request to stop.
    const sigset_t set = stopSignals();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

namespace platform {

const Naming kNaming = {"serial port (/dev/ttyUSB0 or ttyUSB0); repeat for several gimbals", {"ttyUSB0", "ttyUSB1"},
                        "$XDG_DATA_HOME/Tiltmate/Tiltmate"};

void prepareOutput() {}

bool outputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

std::optional<std::string> takeEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    std::string taken = value;
    unsetenv(name);
    return taken;
}

void holdInterrupts() {
    // Blocked before the library starts its threads, so they inherit the mask and an interrupt reaches
    // the wait in awaitInterrupt.
    const sigset_t set = stopSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

bool awaitInterrupt(std::chrono::milliseconds timeout) {
    const sigset_t set = stopSignals();
    const timespec wait{time_t(timeout.count() / 1000), long(timeout.count() % 1000) * 1000000L};
    return sigtimedwait(&set, nullptr, &wait) > 0;
}

std::string devicePath(const std::string& port) { return port.find('/') == std::string::npos ? "/dev/" + port : port; }

std::string canonicalPort(const std::string& port) {
    const std::string path = devicePath(port);
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

procedures::Status checkPort(const std::string& port) {
    // The library only says "open failed"; the technician needs to know whether the port is missing or
    // forbidden, so look before opening.
    const std::string path = devicePath(port);
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) return {procedures::kExitPortNotFound, port + ": no such port"};
    if (access(path.c_str(), R_OK | W_OK) != 0) {
        if (errno == EACCES || errno == EPERM)
            return {procedures::kExitPermission, port + ": permission denied (is the udev rule installed, or are you in the dialout group?)"};
        return {procedures::kExitFailure, port + ": " + std::strerror(errno)};
    }
    return {};
}

bool portPresent(const std::string& port) {
    struct stat st{};
    return stat(devicePath(port).c_str(), &st) == 0;
}

// The library says only "could not be opened" when another program holds the port (its exclusive mode
// or its lock); a second look tells the technician which it is.
bool heldByAnother(const std::string& port) {
    const int fd = ::open(devicePath(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!locked) flock(fd, LOCK_UN);
    ::close(fd);
    return locked;
}

bool namesPortOnly(const std::string& name) { return name.rfind("/dev/", 0) == 0; }

namespace {

constexpr const char* kSelf = "/proc/self/exe";

struct Running {
    pid_t pid = -1;
    int out = -1;
};

// Started with SIGINT/SIGTERM blocked (as they are here): the worker unblocks them once its handlers are in
// place, so a stop passed on at once is never lost or fatal.
bool start(const Child& child, const char* portVariable, Running& running, std::string& why) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        why = std::string("could not start a worker: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // A group of its own: a Ctrl-C at the terminal reaches only this process, which passes it on once,
    // so every worker sees exactly one request to stop.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<std::string> args = child.args;
    args.insert(args.begin(), "cradlectl");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string variable = std::string(portVariable) + "=";
    std::vector<std::string> env{variable + child.port};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, variable.c_str(), variable.size()) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, kSelf, &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        why = std::string("could not start a worker: ") + std::strerror(rc);
        return false;
    }
    running.pid = pid;
    running.out = out[0];
    return true;
}

// The exit code, or kExitFailure and why when the worker was ended by a signal.
int reap(Running& running, std::string& ending) {
    int status = 0;
    while (waitpid(running.pid, &status, 0) < 0 && errno == EINTR) {}
    running.pid = -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    ending = std::string("the worker was ended by signal ") + std::to_string(WTERMSIG(status));
    return procedures::kExitFailure;
}

}  // namespace

void runChildren(const std::vector<Child>& children, const char* portVariable,
                 const std::function<void(size_t, std::string_view)>& onOutput,
                 const std::function<void(size_t, int, const std::string&)>& onEnd) {
    // Interrupts are taken only inside ppoll, so one that comes between the check and the wait still
    // wakes it.
    const sigset_t set = stopSignals();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &set, &previous);

    std::vector<Running> running(children.size());
    for (size_t i = 0; i < children.size(); ++i)
        if (std::string why; !start(children[i], portVariable, running[i], why)) onEnd(i, procedures::kExitFailure, why);

    bool passedOn = false;
    for (;;) {
        if (interrupted() && !passedOn) {
            for (const Running& r : running)
                if (r.pid > 0) kill(r.pid, SIGTERM);
            passedOn = true;
        }
        std::vector<pollfd> fds;
        std::vector<size_t> owners;
        for (size_t i = 0; i < running.size(); ++i)
            if (running[i].out >= 0) {
                fds.push_back({running[i].out, POLLIN, 0});
                owners.push_back(i);
            }
        if (fds.empty()) break;
        if (ppoll(fds.data(), fds.size(), nullptr, &previous) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t k = 0; k < fds.size(); ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const size_t i = owners[k];
            Running& r = running[i];
            char buffer[4096];
            const ssize_t got = read(r.out, buffer, sizeof buffer);
            if (got > 0) {
                onOutput(i, std::string_view(buffer, size_t(got)));
            } else if (got == 0 || errno != EINTR) {
                close(r.out);
                r.out = -1;
                std::string ending;
                const int code = reap(r, ending);
                onEnd(i, code, ending);
            }
        }
    }
    for (Running& r : running)  // output closed early by a broken pipe: still reaped
        if (r.pid > 0) {
            std::string ending;
            reap(r, ending);
        }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace platform

// The serial ports of this system as udev knows them: the stable name under /dev/serial/by-id and the
// USB adapter's identity where there is one. Ports udev has no record of (pseudo-terminals, the
// simulator's) are listed with their path alone.
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
    info.path = platform::devicePath(name);
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
