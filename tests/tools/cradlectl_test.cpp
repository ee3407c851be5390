// cradlectl run as a program against gimbal-sim: each command's success path, its exit code for a
// missing port and for a silent gimbal, backup -> change -> restore, a corrupt backup, values no gimbal
// can hold and a foreign gimbal refused without a write, a dry run, a read-back that differs, Ctrl-C
// during a restore, unwritable backups, flash on two gimbals at once, and the pruning of automatic backups.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <fstream>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backup.h"
#include "exit_codes.h"

extern char** environ;

using namespace procedures;
using json = nlohmann::json;

namespace {

// A child with stdout on a pipe.
class Process {
public:
    Process(const std::string& program, std::vector<std::string> args, const std::vector<std::string>& extraEnv = {}) {
        args.insert(args.begin(), program);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv, envp;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env(extraEnv);
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Process() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }
    // One stdout line, within a generous bound.
    std::string line(std::chrono::seconds timeout = std::chrono::seconds(20)) {
        std::string text;
        char c;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            if (read(out_, &c, 1) != 1) break;
            if (c == '\n') return text;
            text += c;
        }
        return text;
    }
    // All stdout, then the exit code.
    int finish(std::string* output = nullptr) {
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = read(out_, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
        if (output) *output = text;
        int status = 0;
        if (waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void signal(int sig) { kill(pid_, sig); }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// A gimbal-sim on a link of its own; stopped with the test.
class Sim {
public:
    Sim(const std::string& link, std::vector<std::string> extra = {}) : link_(link) {
        extra.insert(extra.begin(), {"--link", link, "--time-scale", "0.1"});
        process_ = std::make_unique<Process>(GIMBAL_SIM_PATH, extra);
        ready_ = process_->line() == link;
    }
    bool ready() const { return ready_; }
    const std::string& link() const { return link_; }
    // The simulator's own parameter table, read without the tool under test.
    std::string parameters() {
        process_->signal(SIGUSR2);
        return process_->line();
    }
    void unplug() { process_->signal(SIGUSR1); }

private:
    std::string link_;
    std::unique_ptr<Process> process_;
    bool ready_ = false;
};

class Cradlectl : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char pattern[] = "/tmp/cradlectl-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string path(const std::string& name) const { return dir + "/" + name; }

    std::unique_ptr<Process> start(const std::vector<std::string>& args) {
        return std::make_unique<Process>(CRADLECTL_PATH, args, std::vector<std::string>{"XDG_DATA_HOME=" + path("data")});
    }
    int run(const std::vector<std::string>& args, std::string* output = nullptr) { return start(args)->finish(output); }
    // The result object: the last JSON line of a --json run.
    json runJson(const std::vector<std::string>& args, int& code) {
        std::vector<std::string> withJson(args);
        withJson.insert(withJson.begin(), "--json");
        std::string out;
        code = run(withJson, &out);
        std::istringstream lines(out);
        std::string line, last;
        while (std::getline(lines, line))
            if (!line.empty()) last = line;
        return json::parse(last, nullptr, false);
    }
    void write(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// Every command that needs a gimbal, with what it needs besides the port.
std::vector<std::vector<std::string>> gimbalCommands(const std::string& backupFile, const std::string& package) {
    return {{"info"},           {"params", "get", "0"}, {"params", "set", "4=8"}, {"config", "get"},    {"config", "set", backupFile},
            {"backup", "x.json"}, {"restore", backupFile}, {"flash", package},      {"calibrate", "horizontal"},
            {"start"},          {"stop"},               {"monitor", "--count", "1"}};
}

TEST_F(Cradlectl, EveryCommandWorksAgainstTheSimulator) {
    Sim sim(path("g0"), {"--unit", "IFB:1:1.0", "--unit", "MX:1:1.0"});
    ASSERT_TRUE(sim.ready());
    const std::string port = sim.link();
    int code = -1;

    json info = runJson({"-p", port, "info"}, code);
    EXPECT_EQ(code, kExitOk);
    ASSERT_TRUE(info.is_object());
    EXPECT_EQ(info["units"].size(), 2u);
    EXPECT_EQ(info["units"][1]["unit"], "MX");
    EXPECT_EQ(info["units"][1]["version"], "1.0");

    EXPECT_EQ(run({"-p", port, "params", "set", "3=2", "13=2"}), kExitOk);
    std::string out;
    EXPECT_EQ(run({"-p", port, "params", "get", "3", "13", "0"}, &out), kExitOk);
    EXPECT_EQ(out, "3=2\n13=2\n0=4\n");
    EXPECT_NE(sim.parameters().find(" 3=2 "), std::string::npos);

    // config get --json output is what config set takes.
    ASSERT_EQ(run({"--json", "-p", port, "config", "get"}, &out), kExitOk);
    json config = json::parse(out);
    ASSERT_EQ(config["config"].size(), 38u);
    config["config"][5] = 99;
    write("config.json", config.dump());
    EXPECT_EQ(run({"-p", port, "config", "set", path("config.json")}), kExitOk);
    EXPECT_EQ(runJson({"-p", port, "config", "get"}, code)["config"][5], 99);

    EXPECT_EQ(run({"-p", port, "start"}), kExitOk);
    EXPECT_EQ(run({"-p", port, "stop"}), kExitOk);
    EXPECT_EQ(run({"-p", port, "calibrate", "horizontal"}), kExitOk);
    EXPECT_EQ(run({"-p", port, "calibrate", "sideways"}), kExitUsage);
    // A unit that answers "done" at once has finished as well.
    Sim doneAtOnce(path("g1"), {"--control-fault", "0x25:2:status=1"});
    ASSERT_TRUE(doneAtOnce.ready());
    EXPECT_EQ(run({"-p", doneAtOnce.link(), "calibrate", "horizontal"}), kExitOk);

    ASSERT_EQ(run({"-p", port, "monitor", "--count", "3", "--format", "json", "--rate", "50"}, &out), kExitOk);
    std::istringstream samples(out);
    int lines = 0;
    for (std::string line; std::getline(samples, line); ++lines) {
        const json row = json::parse(line);
        EXPECT_TRUE(row["record"] == "A" ? row.contains("attitude") : row.contains("receiver")) << line;
    }
    EXPECT_EQ(lines, 3);

    EXPECT_EQ(run({"ports"}), kExitOk);
    EXPECT_TRUE(runJson({"ports"}, code)["ports"].is_array());
    EXPECT_EQ(run({"--version"}, &out), kExitOk);
    EXPECT_NE(out.find("cradlectl "), std::string::npos);
    EXPECT_EQ(run({"info"}), kExitUsage);
    EXPECT_EQ(run({"-p", port, "params", "set", "3=70000"}), kExitUsage);
}

// The stream stops after 2 s: monitor prints what came, each sample once although --rate asks for more
// than the stream's 20 Hz, then says the line went quiet with exit 5. Writing into a full disk or pulling
// the cable ends it with 1.
TEST_F(Cradlectl, MonitorPrintsEachSampleOnceAndEndsWhenTheLineGoesQuiet) {
    Sim quiet(path("g0"), {"--telemetry-off-after", "2"});
    ASSERT_TRUE(quiet.ready());
    std::string out;
    EXPECT_EQ(run({"-p", quiet.link(), "monitor", "--rate", "100"}, &out), kExitNoAnswer);
    std::istringstream lines(out);
    std::string header;
    ASSERT_TRUE(std::getline(lines, header));
    EXPECT_EQ(header.rfind("time_s,record,roll_deg,pitch_deg,yaw_deg,rate_x_deg_s", 0), 0u) << header;
    std::map<std::string, std::vector<double>> times;
    for (std::string row; std::getline(lines, row);) {
        const auto comma = row.find(',');
        ASSERT_NE(comma, std::string::npos) << row;
        times[row.substr(comma + 1, 1)].push_back(std::stod(row.substr(0, comma)));
    }
    for (const char* kind : {"A", "B"}) {
        const std::vector<double>& t = times[kind];
        EXPECT_GE(t.size(), 20u) << kind;  // about 40 in 2 s at 20 Hz; a repeated sample would make more
        EXPECT_LE(t.size(), 60u) << kind;
        for (size_t i = 1; i < t.size(); ++i) EXPECT_GT(t[i], t[i - 1]) << kind << " row " << i;
    }

    Sim talking(path("g1"));
    ASSERT_TRUE(talking.ready());
    Process full("/bin/sh", {"-c", std::string(CRADLECTL_PATH) + " -p " + talking.link() + " monitor --count 50 > /dev/full"});
    EXPECT_EQ(full.finish(), kExitFailure);

    // A pulled cable is a failure of the line, not a quiet gimbal.
    auto streaming = start({"-p", talking.link(), "monitor"});
    ASSERT_EQ(streaming->line().rfind("time_s,", 0), 0u);
    talking.unplug();
    EXPECT_EQ(streaming->finish(), kExitFailure);
}

TEST_F(Cradlectl, BackupChangeRestoreEndsWithTheOriginalValues) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    const std::string port = sim.link();
    const std::string before = sim.parameters();
    ASSERT_EQ(run({"-p", port, "backup", path("good.json")}), kExitOk);

    ASSERT_EQ(run({"-p", port, "params", "set", "1=2", "7=5", "20=2"}), kExitOk);
    json changed = json::parse(read("good.json"));
    changed["config"][0] = 1;
    changed["config"][37] = 200;
    write("changed.json", changed.dump());
    ASSERT_EQ(run({"-p", port, "config", "set", path("changed.json")}), kExitOk);
    ASSERT_NE(sim.parameters(), before);

    std::string out;
    EXPECT_EQ(run({"diff", path("good.json"), port}, &out), kExitVerifyFailed);
    EXPECT_EQ(out, "config 00: " + std::to_string(int(json::parse(read("good.json"))["config"][0])) + " -> 1\n"
                   "config 37: " + std::to_string(int(json::parse(read("good.json"))["config"][37])) + " -> 200\n"
                   "parameter 01: 1 -> 2\nparameter 07: 2 -> 5\nparameter 20: 1 -> 2\n");

    EXPECT_EQ(run({"-p", port, "restore", path("good.json")}), kExitOk);
    EXPECT_EQ(sim.parameters(), before);
    EXPECT_EQ(run({"diff", path("good.json"), port}, &out), kExitOk);
    EXPECT_EQ(out, "");
}

TEST_F(Cradlectl, ACorruptOrForeignBackupIsRefusedWithNothingWritten) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    const json good = json::parse(read("good.json"));
    // Every bad backup differs from the gimbal's values, so a partial write would show, yet holds only
    // values it can take: each is refused for its own fault alone.
    auto altered = [&](auto change) {
        json b = good;
        for (int mapping = 5; mapping <= 12; ++mapping) b["parameters"][mapping] = 19;
        change(b);
        return b.dump();
    };
    write("bad.json", altered([](json&) {}));
    ASSERT_EQ(run({"-p", sim.link(), "restore", "--dry-run", path("bad.json")}), kExitOk);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"not json", good.dump().substr(0, 200)},
        {"foreign", R"({"name":"something else","parameters":[1,2,3]})"},
        {"newer format", altered([](json& b) { b["formatVersion"] = 2; })},
        {"20 parameters", altered([](json& b) { b["parameters"].erase(20); })},
        {"22 parameters", altered([](json& b) { b["parameters"].push_back(3); })},
        {"parameter out of range", altered([](json& b) { b["parameters"][4] = 65536; })},
        {"config byte out of range", altered([](json& b) { b["config"][37] = 256; })},
        {"37 config bytes", altered([](json& b) { b["config"].erase(0); })},
        {"negative value", altered([](json& b) { b["parameters"][0] = -1; })},
        {"text value", altered([](json& b) { b["config"][1] = "7"; })},
        {"automatic not a flag", altered([](json& b) { b["automatic"] = "yes"; })},
    };
    const std::string before = sim.parameters();
    for (const auto& [what, text] : bad) {
        write("bad.json", text);
        EXPECT_EQ(run({"-p", sim.link(), "restore", path("bad.json")}), kExitBadFile) << what;
    }
    EXPECT_EQ(run({"-p", sim.link(), "restore", path("missing.json")}), kExitBadFile);
    EXPECT_EQ(sim.parameters(), before);
    std::string out;
    EXPECT_EQ(run({"diff", path("good.json"), sim.link()}, &out), kExitOk) << out;
}

TEST_F(Cradlectl, ValuesNoGimbalCanHoldAreRefusedWithNothingWritten) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    const std::string before = sim.parameters();
    // Arguments: usage (2), and the port is never written.
    for (const char* bad : {"0=8", "1=5", "2=0", "3=4", "4=9", "5=20", "20=3", "21=0"})
        EXPECT_EQ(run({"-p", sim.link(), "params", "set", "1=2", bad}), kExitUsage) << bad;
    // A backup file: bad file (9), before anything is written.
    for (const auto& [number, value] : std::vector<std::pair<int, int>>{{0, 70}, {1, 999}, {4, 1}}) {
        json b = json::parse(read("good.json"));
        b["parameters"][number] = value;
        write("bad.json", b.dump());
        EXPECT_EQ(run({"-p", sim.link(), "restore", path("bad.json")}), kExitBadFile) << number << "=" << value;
    }
    EXPECT_EQ(sim.parameters(), before);
    // The last valid values all go through.
    EXPECT_EQ(run({"-p", sim.link(), "params", "set", "0=9", "1=4", "2=2", "3=3", "4=10", "12=19", "20=2"}), kExitOk);
}

TEST_F(Cradlectl, RestoreOntoAnotherKindOfGimbalNeedsForce) {
    Sim source(path("g0")), other(path("g1"), {"--camera", "2", "--unit", "IFB:1:1.0", "--unit", "MX:2:1.0"});
    ASSERT_TRUE(source.ready() && other.ready());
    ASSERT_EQ(run({"-p", source.link(), "backup", path("good.json")}), kExitOk);
    const std::string before = other.parameters();
    int code = -1;
    json refused = runJson({"-p", other.link(), "restore", path("good.json")}, code);
    EXPECT_EQ(code, kExitBadFile);
    EXPECT_EQ(refused["forced"], false);
    // Camera module, MX's hardware, MY and MZ missing.
    EXPECT_EQ(refused["mismatches"].size(), 4u) << refused.dump();
    EXPECT_EQ(other.parameters(), before);

    json forced = runJson({"-p", other.link(), "restore", "--force", path("good.json")}, code);
    EXPECT_EQ(code, kExitOk) << forced.dump();
    EXPECT_EQ(forced["forced"], true);
    EXPECT_EQ(forced["mismatches"].size(), 4u);
    EXPECT_EQ(other.parameters(), source.parameters());
}

TEST_F(Cradlectl, RestoreDryRunPrintsThePlanAndWritesNothing) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    ASSERT_EQ(run({"-p", sim.link(), "params", "set", "7=5"}), kExitOk);
    const std::string changed = sim.parameters();
    std::string out;
    EXPECT_EQ(run({"-p", sim.link(), "restore", "--dry-run", path("good.json")}, &out), kExitOk);
    EXPECT_NE(out.find("  parameter 07: 5 -> 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("nothing written"), std::string::npos) << out;
    int code = -1;
    json plan = runJson({"-p", sim.link(), "restore", "--dry-run", path("good.json")}, code);
    EXPECT_EQ(plan["plan"], json::parse(R"([{"what":"parameter","index":7,"a":5,"b":2}])"));
    EXPECT_TRUE(plan["written"].empty());
    EXPECT_EQ(sim.parameters(), changed);
    struct stat st{};
    EXPECT_NE(stat(path("data").c_str(), &st), 0) << "no automatic backup either";
}

TEST_F(Cradlectl, ARestoreThatDoesNotReadBackFailsVerification) {
    Sim sim(path("g0"), {"--fault", "0x72:store-other"});
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    EXPECT_EQ(run({"-p", sim.link(), "restore", path("good.json")}), kExitVerifyFailed);
    EXPECT_EQ(run({"-p", sim.link(), "params", "set", "3=2"}), kExitVerifyFailed);
}

TEST_F(Cradlectl, AutomaticBackupsBeforeARestoreGoWhereAskedAndCanBeLeftOut) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    int code = -1;
    for (int i = 0; i < 3; ++i) {
        json r = runJson({"--backup-dir", path("auto"), "--keep", "2", "-p", sim.link(), "restore", path("good.json")}, code);
        EXPECT_EQ(code, kExitOk);
        EXPECT_EQ(r["backup"].get<std::string>().rfind(path("auto/auto-backup-"), 0), 0u) << r.dump();
    }
    ASSERT_EQ(std::system(("test $(ls '" + path("auto") + "' | wc -l) -eq 2").c_str()), 0);
    json none = runJson({"--no-backup", "-p", sim.link(), "restore", path("good.json")}, code);
    EXPECT_EQ(code, kExitOk);
    EXPECT_FALSE(none.contains("backup"));
    EXPECT_EQ(run({"--keep", "0", "-p", sim.link(), "restore", path("good.json")}), kExitUsage);
}

TEST_F(Cradlectl, InterruptedRestoreSaysWhatWasWritten) {
    // Each parameter write is answered late, so the restore is still writing when it is interrupted.
    Sim sim(path("g0"), {"--fault", "0x72:delay=700"});
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    for (const int sig : {SIGINT, SIGTERM}) {
        ASSERT_EQ(run({"-p", sim.link(), "params", "set", "7=5"}), kExitOk);
        auto restore = start({"--json", "-p", sim.link(), "restore", path("good.json")});
        for (std::string line; (line = restore->line()) != "";)
            if (json::parse(line, nullptr, false).value("step", "") == "writing parameters 0-16") break;
        // A single-port restore runs in this one process: nothing of its own to stop besides it.
        std::ifstream children("/proc/" + std::to_string(restore->pid()) + "/task/" + std::to_string(restore->pid()) + "/children");
        std::string childList;
        std::getline(children, childList);
        EXPECT_EQ(childList, "");
        restore->signal(sig);
        std::string out;
        EXPECT_EQ(restore->finish(&out), kExitInterrupted) << sig;
        const json result = json::parse(out.substr(out.rfind("\n{") + 1), nullptr, false);
        EXPECT_EQ(result["written"], json::parse(R"(["parameters 0-16"])")) << out;
        EXPECT_NE(result.value("error", "").find("written: parameters 0-16; not written: parameters 17-20, configuration (saved)"),
                  std::string::npos) << out;
        EXPECT_NE(sim.parameters().find(" 7=2 "), std::string::npos) << "the first record was written whole";
    }
}

TEST_F(Cradlectl, ABackupThatCannotBeWrittenFailsWithoutSayingSaved) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    const std::string tool = "XDG_DATA_HOME='" + path("data") + "' '" CRADLECTL_PATH "' -p '" + sim.link() + "' ";
    EXPECT_EQ(WEXITSTATUS(std::system((tool + "backup - > /dev/full 2>/dev/null").c_str())), kExitFailure);
    EXPECT_EQ(WEXITSTATUS(std::system((tool + "--json backup - > /dev/full 2>/dev/null").c_str())), kExitFailure);
    std::string out;
    EXPECT_EQ(run({"-p", sim.link(), "backup", "/nonexistent/dir/b.json"}, &out), kExitFailure);
    EXPECT_EQ(out.find("saved"), std::string::npos) << out;
}

TEST_F(Cradlectl, MissingPortAndSilentGimbalGiveTheirExitCodes) {
    ASSERT_EQ(run({"-p", path("g0"), "backup", path("good.json")}), kExitPortNotFound);
    {
        Sim sim(path("g0"));
        ASSERT_TRUE(sim.ready());
        ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    }
    const std::string package = path("demo.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + package + "' --demo IFB:1.1:28 >/dev/null").c_str()), 0);
    const auto commands = gimbalCommands(path("good.json"), package);

    for (const auto& command : commands) {
        std::vector<std::string> args{"-p", path("absent")};
        args.insert(args.end(), command.begin(), command.end());
        EXPECT_EQ(run(args), kExitPortNotFound) << command[0];
    }
    EXPECT_EQ(run({"diff", path("good.json"), path("absent")}), kExitPortNotFound);

    // One silent gimbal per command, all at once: each waits out the library's reply window.
    std::vector<std::unique_ptr<Sim>> sims;
    std::vector<std::unique_ptr<Process>> runs;
    for (size_t i = 0; i <= commands.size(); ++i) {
        sims.push_back(std::make_unique<Sim>(path("s" + std::to_string(i)), std::vector<std::string>{"--silent"}));
        ASSERT_TRUE(sims.back()->ready());
        std::vector<std::string> args{"-p", sims.back()->link()};
        if (i < commands.size()) args.insert(args.end(), commands[i].begin(), commands[i].end());
        else args = {"diff", path("good.json"), sims.back()->link()};
        runs.push_back(start(args));
    }
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(runs[i]->finish(), kExitNoAnswer) << (i < commands.size() ? commands[i][0] : "diff");
}

TEST_F(Cradlectl, FlashesTwoGimbalsAtOnceAfterAnAutomaticBackup) {
    Sim a(path("g0")), b(path("g1"));
    ASSERT_TRUE(a.ready() && b.ready());
    const std::string package = path("demo.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + package + "' --demo IFB:1.1:300 MZ:2.3:28 >/dev/null").c_str()), 0);

    int code = -1;
    const json result = runJson({"-p", a.link(), "-p", b.link(), "flash", package}, code);
    EXPECT_EQ(code, kExitOk);
    ASSERT_TRUE(result.is_object());
    ASSERT_EQ(result["ports"].size(), 2u);
    for (const json& port : result["ports"]) {
        EXPECT_EQ(port["exitCode"], kExitOk) << port.dump();
        EXPECT_EQ(port["result"]["units"].size(), 2u) << port.dump();
    }
    const json info = runJson({"-p", a.link(), "-p", b.link(), "info"}, code);
    EXPECT_EQ(code, kExitOk);
    for (const json& port : info["ports"]) {
        EXPECT_EQ(port["result"]["summary"], "IFB 1.1, MX 1.0, MY 1.0, MZ 2.3") << port.dump();
    }
    // One automatic backup per gimbal, taken before the write: the old versions.
    const std::string folder = path("data/Tiltmate/Tiltmate");
    for (const char* name : {"g0", "g1"}) {
        std::string out;
        ASSERT_EQ(std::system(("ls '" + folder + "' | grep -q -- '-" + name + "-IFB1.0-MX1.0-MY1.0-MZ1.0.json$'").c_str()), 0) << name;
    }
    // A unit that refuses its request leaves the others written: partial success, per unit and per port.
    Sim refusing(path("g2"), {"--fault", "0x44:status=0xFE,count=1"});
    ASSERT_TRUE(refusing.ready());
    const json partial = runJson({"-p", a.link(), "-p", refusing.link(), "flash", package}, code);
    EXPECT_EQ(code, kExitPartial);
    EXPECT_EQ(partial["ports"][0]["exitCode"], kExitOk);
    EXPECT_EQ(partial["ports"][1]["exitCode"], kExitPartial);
    EXPECT_EQ(partial["ports"][1]["result"]["units"][0]["written"], false);
    EXPECT_EQ(partial["ports"][1]["result"]["units"][1]["written"], true);
    // --unit limits the flash; a unit the package lacks is refused before anything is written.
    EXPECT_EQ(runJson({"-p", a.link(), "flash", package, "--unit", "MX"}, code)["exitClass"], "bad file");
    EXPECT_EQ(code, kExitBadFile);
}

TEST_F(Cradlectl, AnUnfitPackageIsRefusedBeforeAnythingIsWritten) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    const std::string good = path("good.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + good + "' --demo IFB:1.1:300 >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + path("other.bin") + "' --mask 0x1 --demo IFB:1.1:300 >/dev/null").c_str()), 0);
    std::string bytes = read("good.bin");
    write("truncated.bin", bytes.substr(0, bytes.size() - 10));
    bytes[5] = 3;
    write("marker.bin", bytes);
    write("text.bin", "not a package at all");
    for (const char* name : {"truncated.bin", "marker.bin", "text.bin", "other.bin", "missing.bin"})
        EXPECT_EQ(run({"-p", sim.link(), "flash", path(name)}), kExitBadFile) << name;
    int code = -1;
    EXPECT_EQ(runJson({"-p", sim.link(), "info"}, code)["summary"], "IFB 1.0, MX 1.0, MY 1.0, MZ 1.0");
}

TEST_F(Cradlectl, PruningKeepsTenAutomaticBackupsAndNeverAFileRenamedOrSavedByHand) {
    const std::string folder = path("backups");
    Backup backup;
    backup.port = "/dev/ttyUSB0";
    backup.units = {{1, 1, 2, 0}, {2, 1, 2, 0}};
    std::string first, renamed;
    for (int i = 0; i < 14; ++i) {
        backup.taken = 1700000000 + (i % 12) * 60;  // two pairs in the same second
        std::string written;
        ASSERT_TRUE(saveAutomaticBackup(folder, backup, written).ok());
        if (i == 0) first = written;
        if (i == 1) {
            renamed = folder + "/auto-backup-before-tuning.json";
            ASSERT_EQ(std::rename(written.c_str(), renamed.c_str()), 0);
        }
    }
    backup.taken = 1600000000;  // older than all, but saved by hand into the folder
    ASSERT_TRUE(saveBackup(folder + "/" + automaticBackupName(backup), backup).ok());

    std::vector<std::string> names;
    std::string list;
    ASSERT_EQ(std::system(("ls '" + folder + "' > '" + path("list") + "'").c_str()), 0);
    std::istringstream in(read("list"));
    for (std::string n; std::getline(in, n);) names.push_back(n);
    EXPECT_EQ(names.size(), 12u) << read("list");
    struct stat st{};
    EXPECT_EQ(stat(renamed.c_str(), &st), 0);
    EXPECT_NE(stat(first.c_str(), &st), 0) << "the oldest automatic backup should be gone";
    EXPECT_EQ(stat((folder + "/" + automaticBackupName(backup)).c_str(), &st), 0);
}

}  // namespace
