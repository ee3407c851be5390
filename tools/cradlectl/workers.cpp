#include "workers.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exit_codes.h"

extern char** environ;

namespace cradlectl {
using namespace procedures;
namespace {

constexpr const char* kSelf = "/proc/self/exe";

bool start(Worker& w) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> args = w.args;
    args.insert(args.begin(), "cradlectl");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, kSelf, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return false;
    }
    w.pid = pid;
    w.out = out[0];
    return true;
}

void takeLines(Worker& w, const std::function<void(Worker&, const nlohmann::ordered_json&)>& onLine) {
    for (size_t end; (end = w.pending.find('\n')) != std::string::npos;) {
        const std::string line = w.pending.substr(0, end);
        w.pending.erase(0, end + 1);
        nlohmann::ordered_json value = nlohmann::ordered_json::parse(line, nullptr, false);
        if (value.is_discarded()) continue;
        w.last = value;
        onLine(w, value);
    }
}

}  // namespace

std::vector<std::string> workerArguments(const std::vector<std::string>& args, const std::string& port) {
    std::vector<std::string> out{"--port", port, "--json"};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" || a == "-p") {
            ++i;
            continue;
        }
        if (a.rfind("--port=", 0) == 0 || a == "--json") continue;
        out.push_back(a);
    }
    return out;
}

void runWorkers(std::vector<Worker>& workers, const std::function<void(Worker&, const nlohmann::ordered_json&)>& onLine) {
    for (Worker& w : workers)
        if (!start(w)) w.exitCode = kExitFailure;

    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Worker*> owners;
        for (Worker& w : workers)
            if (w.out >= 0) {
                fds.push_back({w.out, POLLIN, 0});
                owners.push_back(&w);
            }
        if (fds.empty()) break;
        if (poll(fds.data(), fds.size(), -1) < 0) {
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
            }
        }
    }
    for (Worker& w : workers) {
        if (w.pid <= 0) continue;
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {}
        w.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailure;
        w.pid = -1;
    }
}

}  // namespace cradlectl
