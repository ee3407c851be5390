#include "workers.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exit_codes.h"
#include "interrupt.h"
#include "output.h"
#include "progress.h"

extern char** environ;

namespace cradlectl {
using namespace procedures;
using json = nlohmann::ordered_json;
namespace {

constexpr const char* kSelf = "/proc/self/exe";

// Started with SIGINT/SIGTERM blocked (as they are here): the worker unblocks them once its handlers are in
// place, so a stop passed on at once is never lost or fatal.
bool start(Worker& w) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // A group of its own: a Ctrl-C at the terminal reaches only this process, which passes it on once,
    // so every worker sees exactly one request to stop.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<std::string> args = w.args;
    args.insert(args.begin(), "cradlectl");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string portVariable = std::string(kWorkerPortVariable) + "=" + w.port;
    std::vector<std::string> env{portVariable};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, kWorkerPortVariable, std::strlen(kWorkerPortVariable)) != 0) env.emplace_back(*e);
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
        w.ending = std::string("could not start a worker: ") + std::strerror(rc);
        return false;
    }
    w.pid = pid;
    w.out = out[0];
    return true;
}

void takeLines(Worker& w, const std::function<void(Worker&, const json&)>& onLine) {
    for (size_t end; (end = w.pending.find('\n')) != std::string::npos;) {
        const std::string line = w.pending.substr(0, end);
        w.pending.erase(0, end + 1);
        json value = json::parse(line, nullptr, false);
        if (value.is_discarded()) continue;
        if (value.is_object() && value.contains("exitCode")) w.result = value;
        onLine(w, value);
    }
}

void reap(Worker& w) {
    int status = 0;
    while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {}
    w.pid = -1;
    if (WIFEXITED(status)) {
        w.exitCode = WEXITSTATUS(status);
    } else {
        w.exitCode = kExitFailure;
        w.ending = std::string("the worker was ended by signal ") + std::to_string(WTERMSIG(status));
    }
}

std::string canonicalPort(const std::string& port) {
    const std::string path = port.find('/') == std::string::npos ? "/dev/" + port : port;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

void runWorkers(std::vector<Worker>& workers, const std::function<void(Worker&, const json&)>& onLine,
                const std::function<void(Worker&)>& onEnd) {
    // Interrupts are taken only inside ppoll, so one that comes between the check and the wait still
    // wakes it.
    sigset_t stopSignals, previous;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &previous);

    for (Worker& w : workers)
        if (!start(w)) {
            w.exitCode = kExitFailure;
            if (onEnd) onEnd(w);
        }

    bool passedOn = false;
    for (;;) {
        if (interrupted() && !passedOn) {
            for (Worker& w : workers)
                if (w.pid > 0) kill(w.pid, SIGTERM);
            passedOn = true;
        }
        std::vector<pollfd> fds;
        std::vector<Worker*> owners;
        for (Worker& w : workers)
            if (w.out >= 0) {
                fds.push_back({w.out, POLLIN, 0});
                owners.push_back(&w);
            }
        if (fds.empty()) break;
        if (ppoll(fds.data(), fds.size(), nullptr, &previous) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Worker& w = *owners[i];
            char buffer[4096];
            const ssize_t got = read(w.out, buffer, sizeof buffer);
            if (got > 0) {
                w.pending.append(buffer, size_t(got));
                takeLines(w, onLine);
            } else if (got == 0 || errno != EINTR) {
                close(w.out);
                w.out = -1;
                reap(w);
                if (onEnd) onEnd(w);
            }
        }
    }
    for (Worker& w : workers)  // output closed early by a broken pipe: still reaped
        if (w.pid > 0) reap(w);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

std::vector<std::string> repeatedPorts(const std::vector<std::string>& ports) {
    std::set<std::string> seen;
    std::vector<std::string> repeated;
    for (const std::string& p : ports)
        if (!seen.insert(canonicalPort(p)).second) repeated.push_back(p);
    return repeated;
}

int runOnEveryPort(const Context& ctx, const std::string& command, ProgressView* view,
                   const std::function<void(size_t, const json&)>& onEvent) {
    std::vector<Worker> workers;
    for (const std::string& port : ctx.ports) workers.emplace_back(port, ctx.args);
    auto print = [&](const std::string& text) { view ? view->printAbove(text) : (void)writeOut(text); };

    runWorkers(
        workers,
        [&](Worker& w, const json& line) {
            if (!line.is_object() || !line.contains("event")) return;
            if (ctx.json) emitLine(line);
            if (onEvent) onEvent(size_t(&w - workers.data()), line);
        },
        [&](Worker& w) {
            // The worker's own result, or one made here when it ended without one.
            json result = w.result;
            if (!result.is_object() || w.exitCode != result.value("exitCode", -1)) {
                const std::string why = !w.ending.empty() ? w.ending : "the worker ended without a result";
                result = resultObject(ctx, {{"command", command}, {"port", w.port}}, {w.exitCode == kExitOk ? kExitFailure : w.exitCode, why});
                w.exitCode = result["exitCode"];
            }
            const std::string text = result.value("text", "");
            result.erase("text");
            w.result = result;
            if (ctx.json) {
                emitLine(result);
                return;
            }
            std::string line = w.port + ": " + (w.exitCode == kExitOk ? "ok" : exitCodeName(w.exitCode));
            std::string detail = w.exitCode == kExitOk ? result.value("summary", "") : result.value("error", "");
            if (detail.rfind(w.port + ": ", 0) == 0) detail.erase(0, w.port.size() + 2);   // named once per line
            if (!detail.empty()) line += ": " + detail;
            line += "\n";
            // The command's own text, each line under its port unless it names the port already.
            if (w.exitCode == kExitOk && result.value("summary", "").empty()) {
                for (size_t at = 0, end; at < text.size(); at = end + 1) {
                    end = text.find('\n', at);
                    if (end == std::string::npos) end = text.size();
                    const std::string l = text.substr(at, end - at);
                    line += (l.rfind(w.port + ":", 0) == 0 ? l : "  " + l) + "\n";
                }
            }
            print(line);
        });
    if (view) view->finish();

    std::vector<int> codes;
    json results = json::array();
    size_t failures = 0;
    for (Worker& w : workers) {
        codes.push_back(w.exitCode);
        failures += w.exitCode != kExitOk;
        results.push_back({{"port", w.port}, {"exitCode", w.exitCode}, {"exitClass", exitCodeName(w.exitCode)}, {"result", w.result}});
    }
    const int code = interrupted() ? kExitInterrupted : combinedExitCode(codes);
    const Status status = code == kExitOk ? Status{}
                                          : Status{code, std::to_string(failures) + " of " + std::to_string(workers.size()) + " ports failed"
                                                             + (interrupted() ? " (interrupted)" : "")};
    if (ctx.json) emitLine(resultObject(ctx, {{"command", command}, {"port", nullptr}, {"ports", results}}, status));
    return outputFailed() ? kExitFailure : code;
}

}  // namespace cradlectl
