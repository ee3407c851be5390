// The gimbal-sim program: option parsing, exit codes, the printed link, SIGUSR1 unplug/replug,
// the SIGUSR2 parameter line, clean exit.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli_options.h"
#include "frames.h"
#include "host_line.h"

extern char** environ;

using namespace gimbalsim;
using namespace std::chrono_literals;

namespace {

// gimbal-sim with its stdout and stderr on pipes.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), GIMBAL_SIM_PATH);
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, GIMBAL_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }
    // One line from stdout (or stderr), waiting at most `timeout`.
    std::string line(bool fromStderr = false, std::chrono::milliseconds timeout = 10s) {
        const int fd = fromStderr ? err_ : out_;
        std::string text;
        char c;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            if (read(fd, &c, 1) != 1) break;
            if (c == '\n') return text;
            text += c;
        }
        return text;
    }
    void signal(int sig) { kill(pid_, sig); }
    int exitCode() {
        int status = 0;
        if (waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
};

bool pathExists(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(GimbalSimOptions, ParsesEveryOption) {
    const auto r = cli::parse({"--link", "/tmp/x/tty", "--unit", "IFB:3:2.15", "--unit", "9:1:0.1", "--camera", "6",
                               "--param", "13=2", "--telemetry-a", "50", "--telemetry-b", "0", "--line-rate", "115200",
                               "--time-scale", "0.05", "--lost-signal", "5:2.5", "--fault", "0x45:status=0xFD,count=2,delay=10",
                               "--control-fault", "0x24:8:silent", "--fault", "0x43:noise=4,split,crc", "--stale-unit", "MY",
                               "--stale-unit", "255"});
    ASSERT_TRUE(r.settings) << r.error;
    const auto& s = *r.settings;
    EXPECT_EQ(s.options.linkPath, "/tmp/x/tty");
    ASSERT_EQ(s.options.units.size(), 2u);
    EXPECT_EQ(s.options.units[0].id, 1);
    EXPECT_EQ(s.options.units[0].hardware, 3);
    EXPECT_EQ(s.options.units[0].appMajor, 2);
    EXPECT_EQ(s.options.units[0].appMinor, 15);
    EXPECT_EQ(s.options.units[1].id, 9);
    EXPECT_EQ(s.parameters, (std::vector<std::pair<int, uint16_t>>{{0, 6}, {13, 2}}));
    EXPECT_EQ(s.options.telemetryAHz, 50);
    EXPECT_EQ(s.options.telemetryBHz, 0);
    EXPECT_EQ(s.options.lineRateBaud, 115200);
    EXPECT_DOUBLE_EQ(s.options.timeScale, 0.05);
    EXPECT_DOUBLE_EQ(s.options.lostSignalAfterS, 5.0);
    EXPECT_DOUBLE_EQ(s.options.lostSignalForS, 2.5);
    ASSERT_EQ(s.faults.size(), 2u);
    EXPECT_EQ(s.faults[0].command, 0x45);
    EXPECT_EQ(s.faults[0].fault.status, 0xFD);
    EXPECT_EQ(s.faults[0].fault.count, 2);
    EXPECT_EQ(s.faults[0].fault.delayMs, 10);
    EXPECT_EQ(s.faults[1].fault.noiseBytes, 4);
    EXPECT_TRUE(s.faults[1].fault.split);
    EXPECT_TRUE(s.faults[1].fault.corruptCrc);
    ASSERT_EQ(s.controlFaults.size(), 1u);
    EXPECT_EQ(s.controlFaults[0].subCommand, 0x24);
    EXPECT_EQ(s.controlFaults[0].unitBit, 8);
    EXPECT_TRUE(s.controlFaults[0].fault.silent);
    EXPECT_EQ(s.options.staleUnits, (std::vector<uint8_t>{4, 255}));
}

TEST(GimbalSimOptions, DefaultsAndRefusals) {
    const auto defaults = cli::parse({});
    ASSERT_TRUE(defaults.settings);
    EXPECT_EQ(defaults.settings->options.telemetryAHz, cli::kDefaultTelemetryHz);
    EXPECT_EQ(defaults.settings->options.telemetryBHz, cli::kDefaultTelemetryHz);
    EXPECT_NE(defaults.settings->options.linkPath.find("/tiltmate-sim/ttyGIMBAL0"), std::string::npos);

    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"--link"}, {"extra"}, {"--unit", "IFB:1"}, {"--unit", "XX:1:1.0"}, {"--unit", "IFB:1:1.256"},
        {"--param", "21=1"}, {"--param", "3"}, {"--telemetry-a", "-1"}, {"--telemetry-b", "20x"}, {"--line-rate", "0"},
        {"--time-scale", "fast"}, {"--fault", "0x45"}, {"--fault", "0x45:explode"}, {"--fault", "0x45:count=0"},
        {"--control-fault", "0x24:3:silent"}, {"--lost-signal", "5"}, {"--camera", "70000"}, {"--stale-unit", "256"}};
    for (const auto& args : bad) {
        const auto r = cli::parse(args);
        EXPECT_FALSE(r.settings) << args[0];
        EXPECT_FALSE(r.error.empty()) << args[0];
    }

    // The version report has room for 31 units; a 32nd is refused rather than dropped.
    std::vector<std::string> units;
    for (int i = 0; i < 31; ++i) units.insert(units.end(), {"--unit", std::to_string(i) + ":1:1.0"});
    EXPECT_TRUE(cli::parse(units).settings);
    units.insert(units.end(), {"--unit", "31:1:1.0"});
    const auto tooMany = cli::parse(units);
    EXPECT_FALSE(tooMany.settings);
    EXPECT_NE(tooMany.error.find("31"), std::string::npos) << tooMany.error;
}

TEST(GimbalSimOptions, SilentMutesEveryCommandAndTheTelemetry) {
    const auto r = cli::parse({"--fault", "0x43:delay=5", "--silent", "--telemetry-a", "50", "--control-fault", "0x24:2:status=1"});
    ASSERT_TRUE(r.settings) << r.error;
    const auto& s = *r.settings;
    EXPECT_EQ(s.options.telemetryAHz, 0);
    EXPECT_EQ(s.options.telemetryBHz, 0);
    std::set<uint8_t> muted;
    for (const auto& f : s.faults)
        if (f.fault.silent && f.fault.count < 0) muted.insert(f.command);
    EXPECT_EQ(muted, (std::set<uint8_t>{0x43, 0x44, 0x45, 0x4D, 0x4E, 0x72, 0x73}));
    ASSERT_FALSE(s.faults.empty());
    EXPECT_TRUE(s.faults.back().fault.silent) << "applied after the scripted faults, so silence wins";
    EXPECT_TRUE(s.controlFaults.empty()) << "a control fault would answer for its unit";
}

TEST(GimbalSimOptions, HelpNamesEveryOption) {
    const std::string text = cli::usage();
    for (const char* option : {"--link", "--unit", "--camera", "--param", "--telemetry-a", "--telemetry-b", "--lost-signal",
                               "--line-rate", "--time-scale", "--fault", "--control-fault", "--stale-unit", "--silent", "--help", "SIGUSR1",
                               "SIGUSR2", "S-BUS"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}

TEST(GimbalSimProgram, BadOptionsExitWithTwoAndHelpWithZero) {
    Program bad({"--telemetry-a", "lots"});
    EXPECT_NE(bad.line(true).find("--telemetry-a"), std::string::npos);
    EXPECT_EQ(bad.exitCode(), 2);
    Program help({"--help"});
    EXPECT_EQ(help.line().rfind("Usage: gimbal-sim", 0), 0u);
    EXPECT_EQ(help.exitCode(), 0);
}

TEST(GimbalSimProgram, ServesUntilTerminatedAndTogglesThePortOnSigusr1) {
    char dir[] = "/tmp/gimbal-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ports/ttyTEST";
    Program sim({"--link", link, "--telemetry-a", "0", "--telemetry-b", "0"});
    ASSERT_EQ(sim.line(), link);
    ASSERT_TRUE(pathExists(link));
    {
        simtest::HostLine host(link);
        host.send(simtest::request(0x4E));
        auto reply = host.frame(0x4E);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->bytes[3], 1);
    }
    sim.signal(SIGUSR1);
    EXPECT_NE(sim.line(true).find("unplugged"), std::string::npos);
    EXPECT_FALSE(pathExists(link));
    // A file in the way: the replug is reported as failed and the next SIGUSR1 tries again.
    FILE* squatter = fopen(link.c_str(), "w");
    ASSERT_NE(squatter, nullptr);
    fclose(squatter);
    sim.signal(SIGUSR1);
    EXPECT_NE(sim.line(true).find("cannot plug in again"), std::string::npos);
    unlink(link.c_str());
    sim.signal(SIGUSR1);
    EXPECT_NE(sim.line(true).find("plugged in again at " + link), std::string::npos);
    EXPECT_TRUE(pathExists(link));
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(pathExists(link));
    rmdir((std::string(dir) + "/ports").c_str());
    rmdir(dir);
}

TEST(GimbalSimProgram, PrintsTheParameterTableOnSigusr2) {
    char dir[] = "/tmp/gimbal-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyTEST";
    Program sim({"--link", link, "--telemetry-a", "0", "--telemetry-b", "0", "--camera", "6", "--param", "20=7"});
    ASSERT_EQ(sim.line(), link);
    sim.signal(SIGUSR2);
    const std::string before = sim.line();
    EXPECT_EQ(before.rfind("parameters 0=6 1=", 0), 0u) << before;
    EXPECT_NE(before.find(" 20=7"), std::string::npos) << before;
    EXPECT_EQ(before.find(" 21="), std::string::npos) << before;
    {
        // A host writes parameter 2; the next line shows it and the port keeps serving.
        simtest::HostLine host(link);
        host.send(simtest::parameterWrite({{2, 2}}));
        auto reply = host.frame(0x72);
        ASSERT_TRUE(reply);
    }
    sim.signal(SIGUSR2);
    EXPECT_NE(sim.line().find(" 2=2 "), std::string::npos);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.exitCode(), 0);
    rmdir(dir);
}
