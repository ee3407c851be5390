// Flashing several gimbals at once: cradlectl with four ports against four gimbal-sims paced like real
// 115200 baud lines, against the same package flashed onto one. One worker process per port should keep
// the ratio near 1; the target is well under 2.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/line_settings.h"
#include "support/sim_process.h"

extern char** environ;

namespace {

constexpr int kGimbals = 4;
constexpr double kTargetRatio = 2.0;

// Runs a program quietly; its exit code, or -1.
int run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double flashSeconds(const std::string& package, const std::vector<std::string>& ports, int& code) {
    std::vector<std::string> args{CRADLECTL_PATH};
    for (const auto& p : ports) args.insert(args.end(), {"--port", p});
    args.insert(args.end(), {"flash", package});
    const auto begin = std::chrono::steady_clock::now();
    code = run(args);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

}  // namespace

int main() {
    char folder[] = "/tmp/bench-parallel-flash-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    // Automatic backups of the bench's gimbals stay out of the user's data folder.
    setenv("XDG_DATA_HOME", folder, 1);
    const std::string package = std::string(folder) + "/demo.bin";
    if (run({FWPACK_PATH, "-o", package, "--demo"}) != 0) {
        std::fprintf(stderr, "parallel flash: fwpack failed\n");
        return 1;
    }

    std::vector<std::unique_ptr<bench::SimProcess>> sims;
    std::vector<std::string> ports;
    for (int i = 0; i < kGimbals; ++i) {
        sims.push_back(std::make_unique<bench::SimProcess>(std::vector<std::string>{"--line-rate", std::to_string(CRADLE_LINE_BAUD)}));
        if (!sims.back()->ok()) {
            std::fprintf(stderr, "parallel flash: %s\n", sims.back()->failure().c_str());
            return 1;
        }
        ports.push_back(sims.back()->portPath());
    }

    int oneCode = -1, allCode = -1;
    const double one = flashSeconds(package, {ports[0]}, oneCode);
    const double all = flashSeconds(package, ports, allCode);
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
    if (oneCode != 0 || allCode != 0) {
        std::fprintf(stderr, "parallel flash: cradlectl failed (exit %d with one port, %d with %d)\n", oneCode, allCode, kGimbals);
        return 1;
    }
    const double ratio = all / one;
    std::printf("one gimbal %.2f s, %d gimbals at once %.2f s (target: ratio below %.1f)\n", one, kGimbals, all, kTargetRatio);
    std::printf("parallel_flash_4_vs_1_ratio %.2f\n", ratio);
    return ratio < kTargetRatio ? 0 : 1;
}
