#include "sim_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {
namespace {

constexpr int kStartTimeoutMs = 10000;  // the program prints its link as soon as the pty exists

// Reads one line from fd, giving up after the time-out or at end of file.
std::string readLine(int fd, int timeoutMs) {
    std::string line;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char c;
        if (read(fd, &c, 1) != 1) return {};
        if (c == '\n') return line;
        line += c;
    }
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& options) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tiltmate-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        failure_ = "cannot create a temporary folder";
        return;
    }
    folder_ = pattern;
    std::vector<std::string> args{GIMBAL_SIM_PATH, "--link", folder_ + "/ttyGIMBAL0"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        failure_ = "cannot create a pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (posix_spawn(&pid_, GIMBAL_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (pid_ > 0) portPath_ = readLine(out[0], kStartTimeoutMs);
    close(out[0]);
    if (portPath_.empty()) failure_ = std::string("gimbal-sim did not start: ") + GIMBAL_SIM_PATH;
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) rmdir(folder_.c_str());
}

}  // namespace bench
