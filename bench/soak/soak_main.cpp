// Soak run: the library against the gimbal simulator on a faulty line for SOAK_SECONDS (default 600),
// every export issued in rounds. Fails on a hang (exit 3), on growing descriptors or memory (exit 4),
// on a result an export never gives (exit 5), on a port that cannot be opened again (exit 6); a crash
// ends the process with its signal.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

#include "Cradle.h"
#include "export_driver.h"
#include "gimbalsim/Simulator.h"
#include "hang_watch.h"
#include "line_faults.h"
#include "process_health.h"

namespace {

constexpr long kDefaultSeconds = 600;
constexpr uint32_t kDefaultSeed = 1;
constexpr int kTelemetryHz = 20;
constexpr double kCalibrationTimeScale = 0.1;  // calibrations finish in seconds, inside their windows
constexpr int kExitSetup = 1;
constexpr int kExitGrowth = 4;
constexpr int kExitUnexpected = 5;
constexpr int kExitNoReopen = 6;
// The port is out for a few seconds at a time; a library that cannot open it long after is stuck.
constexpr auto kReopenLimit = std::chrono::seconds(15);
constexpr size_t kUnexpectedShown = 10;

long envNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 ? value : fallback;
}

// A private folder for the port link and the runtime log, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tiltmate-soak-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

int main() {
    const long seconds = envNumber("SOAK_SECONDS", kDefaultSeconds);
    const auto seed = uint32_t(envNumber("SOAK_SEED", kDefaultSeed));
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::cerr << "soak: FAILED: cannot create a temporary folder\n";
        return kExitSetup;
    }
    gimbalsim::Options options;
    options.linkPath = scratch.path() + "/ttyGIMBAL0";
    options.telemetryAHz = options.telemetryBHz = kTelemetryHz;
    options.timeScale = kCalibrationTimeScale;
    gimbalsim::Simulator simulator(options);
    if (!simulator.start()) {
        std::cerr << "soak: FAILED: the simulator could not create its port\n";
        return kExitSetup;
    }

    soak::HangWatch watch;
    soak::ProcessHealth health;
    soak::ExportDriver driver(simulator.portPath(), scratch.path() + "/runtime.log", watch, health, seed);
    std::cout << "soak: " << seconds << " s against the simulator at " << simulator.portPath() << ", seed " << seed
              << std::endl;
    if (!driver.connect()) {
        std::cerr << "soak: FAILED: cannot open " << simulator.portPath() << " (last error " << GetSerialLastError()
                  << ")\n";
        return kExitSetup;
    }
    const auto begin = std::chrono::steady_clock::now();
    const auto deadline = begin + std::chrono::seconds(seconds);
    {
        soak::LineFaults faults(simulator, seed + 1);
        while (std::chrono::steady_clock::now() < deadline) {
            driver.round(deadline);
            if (driver.closedFor() > kReopenLimit) {
                std::cerr << "soak: FAILED: the port could not be opened again for "
                          << std::chrono::duration_cast<std::chrono::seconds>(driver.closedFor()).count()
                          << " s (last error " << GetSerialLastError() << ")\n";
                return kExitNoReopen;
            }
        }
        faults.stop();
        std::cout << "soak: faults injected: " << faults.summary() << "\n";
    }
    driver.disconnect();
    health.stop();

    const double ran = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::cout << "soak: " << driver.tally().calls() << " calls in " << driver.rounds() << " rounds over " << ran
              << " s; results per export (result=calls):\n";
    driver.tally().print(std::cout);
    std::string healthSummary;
    const auto growth = health.judge(healthSummary);
    std::cout << "soak: health: " << healthSummary << std::endl;

    int exitCode = 0;
    const auto& unexpected = driver.tally().unexpected();
    if (!unexpected.empty()) {
        std::cerr << "soak: FAILED: " << unexpected.size() << " results outside what the exports may give:";
        for (size_t i = 0; i < unexpected.size() && i < kUnexpectedShown; ++i)
            std::cerr << " [" << unexpected[i] << "]";
        std::cerr << "\n";
        exitCode = kExitUnexpected;
    }
    if (growth) {
        std::cerr << "soak: FAILED: " << *growth << "\n";
        exitCode = kExitGrowth;
    }
    if (exitCode == 0) std::cout << "soak: passed" << std::endl;
    return exitCode;
}
