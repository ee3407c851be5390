// gimbal-sim as a child process, so the figures measure the library alone in this process.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

class SimProcess {
public:
    // Starts gimbal-sim with `options` and a link in a fresh temporary folder; ok() tells if it came up.
    explicit SimProcess(const std::vector<std::string>& options);
    ~SimProcess();  // SIGTERM, then waits for the program to remove its link and exit
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const { return !portPath_.empty(); }
    const std::string& portPath() const { return portPath_; }
    const std::string& failure() const { return failure_; }

private:
    pid_t pid_ = -1;
    std::string folder_;
    std::string portPath_;
    std::string failure_;
};

}  // namespace bench
