// cradlectl run as a program against gimbal-sim: each command's success path, its exit code for a
// missing port and for a silent gimbal, backup -> change -> restore, a corrupt backup, values no gimbal
// can hold and a foreign gimbal refused without a write, a dry run, a read-back that differs, Ctrl-C
// during a restore, unwritable backups, flash on two gimbals at once, the pruning of automatic backups,
// and the tool's face: one worker per port however -p is spelled, combined exit codes, failed output,
// usage errors, interrupts of several ports, and every JSON line checked against docs/cradlectl-json.md.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backup.h"
#include "exit_codes.h"
#include "interrupt.h"
#include "report.h"

extern char** environ;

using namespace procedures;
using json = nlohmann::json;

namespace {

// A child with stdout on a pipe.
class Process {
public:
    // stdoutPath: stdout goes to that file instead of the pipe.
    Process(const std::string& program, std::vector<std::string> args, const std::vector<std::string>& extraEnv = {},
            const std::string& stdoutPath = "") {
        args.insert(args.begin(), program);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdoutPath.empty()) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        else posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY, 0);
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

// Checks one JSON line against the schema: a progress event or a result object (docs/cradlectl-json.md).
void expectSchema(const std::string& text) {
    const nlohmann::ordered_json line = nlohmann::ordered_json::parse(text, nullptr, false);
    ASSERT_TRUE(line.is_object()) << text;
    if (line.contains("event")) {
        EXPECT_TRUE(line["event"].is_string()) << text;
        EXPECT_TRUE(line.contains("port") && (line["port"].is_string() || line["port"].is_null())) << text;
        EXPECT_TRUE(line.contains("time") && line["time"].is_string() && line["time"].get<std::string>().size() == 24) << text;
        return;
    }
    auto key = [&](size_t i) { return std::next(line.begin(), std::ptrdiff_t(i)).key(); };
    ASSERT_GE(line.size(), 5u) << text;
    EXPECT_EQ(key(0), "schema") << text;
    EXPECT_EQ(key(1), "command") << text;
    EXPECT_EQ(key(2), "port") << text;
    EXPECT_EQ(line["schema"], cradlectl::kJsonSchemaVersion) << text;
    EXPECT_TRUE(line["command"].is_string()) << text;
    EXPECT_TRUE(line["port"].is_string() || line["port"].is_null()) << text;
    ASSERT_TRUE(line.contains("exitCode") && line["exitCode"].is_number_integer()) << text;
    const int code = line["exitCode"];
    EXPECT_EQ(line.value("exitClass", ""), exitCodeName(code)) << text;
    EXPECT_EQ(line.contains("error"), code != kExitOk) << text;
    if (code != kExitOk) {
        EXPECT_FALSE(line.value("error", "").empty()) << text;
    }
    EXPECT_FALSE(line.contains("text")) << "a worker's text leaked: " << text;
    if (line.contains("ports") && line["port"].is_null() && line["ports"].is_array())
        for (const auto& port : line["ports"])
            if (port.contains("result")) expectSchema(port["result"].dump());
}

// Every line of a --json run, each checked against the schema.
std::vector<json> jsonLines(const std::string& out) {
    std::vector<json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        expectSchema(line);
        lines.push_back(json::parse(line, nullptr, false));
    }
    return lines;
}

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
        const std::vector<json> lines = jsonLines(out);
        return lines.empty() ? json() : lines.back();
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
    // The reader's own cases are the engine's tests; here, that a refusal reaches the exit code.
    const std::string bytes = read("good.bin");
    write("truncated.bin", bytes.substr(0, bytes.size() - 10));
    for (const char* name : {"truncated.bin", "other.bin", "missing.bin"})
        EXPECT_EQ(run({"-p", sim.link(), "flash", path(name)}), kExitBadFile) << name;
    int code = -1;
    EXPECT_EQ(runJson({"-p", sim.link(), "info"}, code)["summary"], "IFB 1.0, MX 1.0, MY 1.0, MZ 1.0");
}

TEST_F(Cradlectl, FlashChecksTheVersionsAfterTheRebootAndFailsOnlyAsWhatFailed) {
    const std::string package = path("demo.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + package + "' --demo IFB:1.1:300 MZ:2.3:28 >/dev/null").c_str()), 0);
    struct Case {
        const char* what;
        std::vector<std::string> sim;
        int exit;
        std::vector<bool> verified;  // IFB, MZ
        const char* error;
    };
    const std::vector<Case> cases = {
        {"every unit stale", {"--stale-unit", "IFB", "--stale-unit", "MZ"}, kExitVerifyFailed, {false, false},
         "verification failed: IFB reports 1.0 after the reboot, not 1.1; MZ reports 1.0 after the reboot, not 2.3"},
        {"one stale, one verified", {"--stale-unit", "MZ"}, kExitPartial, {true, false}, "MZ written, but reports 1.0 after the reboot, not 2.3"},
        {"every request refused", {"--fault", "0x44:status=0xFE"}, kExitRefused, {false, false},
         "IFB not written: firmware request: refused by the gimbal (0xFE); MZ not written"},
    };
    for (const Case& c : cases) {
        Sim sim(path("g0"), c.sim);
        ASSERT_TRUE(sim.ready());
        int code = -1;
        const json result = runJson({"-p", sim.link(), "flash", package}, code);
        EXPECT_EQ(code, c.exit) << c.what << ": " << result.dump();
        ASSERT_TRUE(result.is_object()) << c.what;
        EXPECT_EQ(result["sha256"].get<std::string>().size(), 64u) << c.what;
        ASSERT_EQ(result["units"].size(), 2u) << c.what;
        for (size_t i = 0; i < 2; ++i) EXPECT_EQ(result["units"][i]["verified"], c.verified[i]) << c.what << " " << i;
        EXPECT_NE(result.value("error", "").find(c.error), std::string::npos) << c.what << ": " << result.dump();
    }
}

TEST_F(Cradlectl, FlashPlansSkipsRefusesAndChecksTheHash) {
    Sim sim(path("g0"), {"--unit", "IFB:1:1.0", "--unit", "MZ:1:2.3"});
    ASSERT_TRUE(sim.ready());
    const std::string package = path("demo.bin"), older = path("older.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + package + "' --demo IFB:1.1:300 MZ:2.3:28 >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + older + "' --demo MZ:2.2:28 >/dev/null").c_str()), 0);
    const std::string port = sim.link();
    int code = -1;

    // A dry run prints the plan and writes nothing: no backup, versions unchanged.
    std::string out;
    EXPECT_EQ(run({"-p", port, "flash", package, "--dry-run"}, &out), kExitOk);
    EXPECT_NE(out.find("IFB 1.0 -> 1.1"), std::string::npos) << out;
    EXPECT_NE(out.find("MZ 2.3: already at the package's version, skipped"), std::string::npos) << out;
    const json plan = runJson({"-p", port, "flash", package, "--dry-run"}, code);
    EXPECT_EQ(code, kExitOk);
    EXPECT_EQ(plan["plan"][0]["action"], "write");
    const std::string hash = plan["sha256"];
    struct stat st{};
    EXPECT_NE(stat(path("data").c_str(), &st), 0) << "a dry run takes no backup";
    EXPECT_EQ(runJson({"-p", port, "info"}, code)["summary"], "IFB 1.0, MZ 2.3");

    std::string wrongHash = hash;
    wrongHash[0] = wrongHash[0] == '0' ? '1' : '0';
    struct Case {
        std::vector<std::string> extra;
        std::string package;
        int exit;
        std::vector<std::string> written;  // units written, in order
    };
    const std::vector<Case> cases = {
        {{"--sha256", wrongHash}, package, kExitBadFile, {}},
        {{"--sha256", "12ab"}, package, kExitUsage, {}},
        {{"--sha256", hash}, package, kExitOk, {"IFB"}},  // MZ is current: skipped
        {{}, package, kExitOk, {}},                      // both current now
        {{"--all"}, package, kExitOk, {"IFB", "MZ"}},
        {{}, older, kExitBadFile, {}},                   // MZ 2.3 -> 2.2
        {{"--allow-downgrade"}, older, kExitOk, {"MZ"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"-p", port, "flash", c.package};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const json result = runJson(args, code);
        EXPECT_EQ(code, c.exit) << result.dump();
        std::vector<std::string> written;
        if (result.contains("units"))
            for (const json& u : result["units"])
                if (u["written"] == true) written.push_back(u["unit"]);
        EXPECT_EQ(written, c.written) << result.dump();
    }
    EXPECT_EQ(runJson({"-p", port, "info"}, code)["summary"], "IFB 1.1, MZ 2.2");
}

TEST_F(Cradlectl, InterruptedFlashFinishesTheUnitInFlightAndSaysWhatWasWritten) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    const std::string package = path("demo.bin");
    ASSERT_EQ(std::system(("'" FWPACK_PATH "' -o '" + package + "' --demo IFB:1.1:1000 MZ:2.3:28 >/dev/null").c_str()), 0);
    auto flash = start({"--json", "-p", sim.link(), "flash", package});
    // Interrupted while IFB is written: the pause after it leaves ample time before MZ's request.
    for (std::string line; !(line = flash->line()).empty();) {
        const json event = json::parse(line, nullptr, false);
        if (event.is_object() && event.value("event", "") == "progress" && event.value("state", "") == "writing") break;
    }
    flash->signal(SIGINT);
    std::string out;
    EXPECT_EQ(flash->finish(&out), 130);
    const std::string last = out.substr(out.rfind('\n', out.size() - 2) + 1);
    const json result = json::parse(last, nullptr, false);
    ASSERT_TRUE(result.is_object()) << out;
    EXPECT_NE(result.value("error", "").find("interrupted; written: IFB; not written: MZ"), std::string::npos) << last;
    EXPECT_EQ(result["units"][0]["written"], true);
    EXPECT_EQ(result["units"][1]["written"], false);
    int code = -1;
    // The written unit was started; it was not checked, so a later info is the proof.
    EXPECT_EQ(runJson({"-p", sim.link(), "info"}, code)["summary"], "IFB 1.1, MX 1.0, MY 1.0, MZ 1.0");
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

TEST(CombinedExitCode, EightOnlyWhenSomethingSucceeded) {
    const std::vector<std::pair<std::vector<int>, int>> cases = {
        {{kExitOk, kExitOk}, kExitOk},
        {{kExitOk, kExitPortNotFound}, kExitPartial},
        {{kExitPartial, kExitNoAnswer}, kExitPartial},        // one port wrote some of its units
        {{kExitPortNotFound, kExitNoAnswer}, kExitFailure},   // nothing succeeded, classes differ
        {{kExitNoAnswer, kExitNoAnswer}, kExitNoAnswer},
        {{kExitRefused}, kExitRefused},
    };
    for (const auto& [codes, expected] : cases) EXPECT_EQ(cradlectl::combinedExitCode(codes), expected) << codes.size() << " " << codes[0];
}

// However -p is written, each port gets exactly one worker (counted by the result lines, one per worker
// process), and a port named twice is refused before any worker starts. Run as an unprivileged user under
// a process limit, so a tool that started itself without end would stop at the limit.
TEST_F(Cradlectl, EverySpellingOfThePortsStartsOneWorkerPerPort) {
    const std::string a = "/nonexistent/cradlectl-a", b = "/nonexistent/cradlectl-b";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> ports;   // one result line each
    };
    const std::vector<Case> cases = {
        {{"-p" + a, "-p" + b, "info"}, kExitPortNotFound, {a, b}},
        {{"-p", a, b, "info"}, kExitUsage, {}},                 // one port per -p
        {{"params", "get", "-p", a, "0", "-p", b, "1"}, kExitPortNotFound, {a, b}},
        {{"--port=" + a, "--port", b, "info"}, kExitPortNotFound, {a, b}},
        {{"info", "-p", a, "-p" + b}, kExitPortNotFound, {a, b}},
        {{"-p", a, "params", "get", "0", "-p", b}, kExitPortNotFound, {a, b}},
        {{"-p", a, "-p", a, "info"}, kExitUsage, {}},
        {{"-p", "ttyCradlectlTest", "-p", "/dev/ttyCradlectlTest", "info"}, kExitUsage, {}},
    };
    std::vector<std::string> capped = {"/usr/bin/prlimit", "--nproc=64", CRADLECTL_PATH, "--json"};
    // The unprivileged user may not reach the build tree (a clone under /root, say): it runs copies of the
    // tool and its library from a folder of its own.
    namespace fs = std::filesystem;
    std::string copies;
    if (geteuid() == 0) {
        char pattern[] = "/tmp/cradlectl-unprivileged-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        copies = pattern;
        fs::permissions(copies, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
        const fs::path library = CRADLE_LIBRARY_PATH;
        fs::copy_file(CRADLECTL_PATH, copies + "/cradlectl");
        fs::copy_file(library, copies + "/" + library.filename().string());
        capped = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/env",
                  "LD_LIBRARY_PATH=" + copies, "/usr/bin/prlimit", "--nproc=64", copies + "/cradlectl", "--json"};
    }
    struct RemoveCopies {
        std::string folder;
        ~RemoveCopies() { if (!folder.empty()) fs::remove_all(folder); }
    } removeCopies{copies};
    for (const Case& c : cases) {
        std::vector<std::string> args(capped.begin() + 1, capped.end());
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::string out;
        EXPECT_EQ(Process(capped[0], args).finish(&out), c.exitCode) << c.args[0] << " " << out;
        std::map<std::string, int> results;
        const std::vector<json> lines = jsonLines(out);
        for (const json& line : lines)
            if (line.is_object() && line.contains("exitCode") && line["port"].is_string()) ++results[line["port"]];
        EXPECT_EQ(results.size(), c.ports.size()) << out;
        for (const std::string& port : c.ports) EXPECT_EQ(results[port], 1) << port << "\n" << out;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back()["exitCode"], c.exitCode);
        if (!c.ports.empty()) {
            EXPECT_EQ(lines.back()["ports"].size(), c.ports.size()) << out;
        }
    }
}

TEST_F(Cradlectl, SeveralPortsGivePartialSuccessOnlyWhenOneSucceeded) {
    Sim good(path("g0")), silent(path("s0"), {"--silent"});
    ASSERT_TRUE(good.ready() && silent.ready());
    const std::string missing = path("absent");
    struct Case {
        std::vector<std::string> ports;
        std::vector<std::string> command;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{good.link(), missing}, {"info"}, kExitPartial},
        {{missing, silent.link()}, {"info"}, kExitFailure},          // 3 and 5: nothing succeeded
        {{missing, path("absent2")}, {"params", "get", "0"}, kExitPortNotFound},
        {{good.link(), missing}, {"params", "get", "0", "20"}, kExitPartial},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args;
        for (const std::string& p : c.ports) args.insert(args.end(), {"-p", p});
        args.insert(args.end(), c.command.begin(), c.command.end());
        int code = -1;
        const json result = runJson(args, code);
        EXPECT_EQ(code, c.exitCode) << c.ports[0] << " " << c.ports[1];
        EXPECT_EQ(result["exitCode"], c.exitCode) << result.dump();
    }
    // Text: a line per port, with the command's own output under the port that succeeded.
    std::string out;
    EXPECT_EQ(run({"-p", good.link(), "-p", missing, "params", "get", "0"}, &out), kExitPartial);
    EXPECT_NE(out.find(good.link() + ": ok\n  0=4\n"), std::string::npos) << out;
    EXPECT_NE(out.find(missing + ": port not found: "), std::string::npos) << out;

    // Several gimbals back up into a folder, a file per port.
    Sim other(path("g1"));
    ASSERT_TRUE(other.ready());
    ASSERT_EQ(mkdir(path("station").c_str(), 0700), 0);
    EXPECT_EQ(run({"-p", good.link(), "-p", other.link(), "backup", path("station")}), kExitOk);
    for (const char* name : {"station/g0.json", "station/g1.json"}) EXPECT_TRUE(json::parse(read(name), nullptr, false).contains("config")) << name;
}

// What the command prints cannot be written: exit 1, whatever the command itself achieved.
TEST_F(Cradlectl, OutputThatCannotBeWrittenEndsWithExitOne) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    const std::vector<std::vector<std::string>> commands = {
        {"-p", sim.link(), "info"},
        {"--json", "-p", sim.link(), "info"},
        {"-p", sim.link(), "backup", "-"},
        {"-p", sim.link(), "params", "get", "0"},
        {"--json", "-p", sim.link(), "-p", path("absent"), "info"},
        {"--help"},
    };
    for (const auto& args : commands) {
        Process p(CRADLECTL_PATH, args, {"XDG_DATA_HOME=" + path("data")}, "/dev/full");
        EXPECT_EQ(p.finish(), kExitFailure) << args.back();
    }
}

// Usage errors (with --json a result line), the last valid and first invalid parameter number, a
// mistyped file for diff, a port held by another program.
TEST_F(Cradlectl, UsageErrorsAndTyposSayWhatIsWrong) {
    Sim sim(path("g0"));
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(run({"-p", sim.link(), "backup", path("good.json")}), kExitOk);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string command, error;
    };
    const std::vector<Case> cases = {
        {{"-p", sim.link(), "params", "get", "20"}, kExitOk, "params get", ""},
        {{"-p", sim.link(), "params", "get", "21"}, kExitUsage, "params get", "21"},
        {{"frobnicate"}, kExitUsage, "", "subcommand"},
        {{"-p", sim.link(), "params", "set", "1"}, kExitUsage, "params set", "N=VALUE"},
        {{"-p", sim.link(), "-p", path("g1"), "backup", path("x.json")}, kExitUsage, "backup", "one --port"},
        {{"diff", "before.jsn", path("good.json")}, kExitBadFile, "diff", "before.jsn: no such file"},
        {{"diff", "\xff.jsn", path("good.json")}, kExitBadFile, "diff", ".jsn: no such file"},  // not UTF-8
        {{"diff", path("good.json"), path("absent")}, kExitPortNotFound, "diff", "no such port"},
        {{"-p", sim.link(), "ports"}, kExitOk, "ports", ""},
    };
    for (const Case& c : cases) {
        int code = -1;
        const json result = runJson(c.args, code);
        EXPECT_EQ(code, c.exitCode) << c.args.back();
        EXPECT_EQ(result.value("command", "?"), c.command) << result.dump();
        EXPECT_NE(result.value("error", "").find(c.error), std::string::npos) << c.args.back() << ": " << result.dump();
    }
    // A port without USB data still lists, with its path alone.
    int code = -1;
    const json ports = runJson({"-p", sim.link(), "ports"}, code);
    ASSERT_EQ(ports["ports"].size(), 1u);
    EXPECT_EQ(ports["ports"][0]["port"], sim.link());
    EXPECT_TRUE(ports["ports"][0]["usbId"].is_null());

    // Held by a running monitor: "in use", not "could not be opened".
    auto monitor = start({"-p", sim.link(), "monitor", "--rate", "1"});
    ASSERT_FALSE(monitor->line().empty());
    const json busy = runJson({"-p", sim.link(), "info"}, code);
    EXPECT_EQ(code, kExitFailure);
    EXPECT_NE(busy.value("error", "").find("in use"), std::string::npos) << busy.dump();

    std::string help;
    EXPECT_EQ(run({"info", "--help"}, &help), kExitOk);
    EXPECT_NE(help.find("--port"), std::string::npos);
    EXPECT_NE(help.find("--json"), std::string::npos);
    EXPECT_EQ(help.find("Exit codes"), std::string::npos) << "the exit codes belong to the program's help alone";
    EXPECT_EQ(run({"--help"}, &help), kExitOk);
    EXPECT_NE(help.find("Exit codes"), std::string::npos);
}

// SIGTERM to the parent of two restoring workers: it reaches both, each stops between two writes and
// says what it wrote, each port's result is printed, and the parent exits 130.
TEST_F(Cradlectl, AnInterruptReachesEveryWorkerAndEachPortIsReported) {
    // Parameter writes are answered late, so both restores are still writing when the signal comes.
    Sim a(path("g0"), {"--fault", "0x72:delay=700"}), b(path("g1"), {"--fault", "0x72:delay=700"});
    ASSERT_TRUE(a.ready() && b.ready());
    ASSERT_EQ(run({"-p", a.link(), "backup", path("good.json")}), kExitOk);
    auto parent = start({"--json", "-p", a.link(), "-p", b.link(), "restore", path("good.json")});
    std::set<std::string> writing;
    for (std::string line; writing.size() < 2 && !(line = parent->line()).empty();) {
        const json event = json::parse(line, nullptr, false);
        if (event.value("step", "") == "writing parameters 0-16") writing.insert(event.value("port", ""));
    }
    ASSERT_EQ(writing.size(), 2u);
    parent->signal(SIGTERM);
    std::string out;
    EXPECT_EQ(parent->finish(&out), cradlectl::kExitInterrupted);
    size_t results = 0;
    for (const json& line : jsonLines(out)) {
        if (line.contains("event") || !line["port"].is_string()) continue;
        ++results;
        EXPECT_EQ(line["exitCode"], cradlectl::kExitInterrupted) << line.dump();
        EXPECT_EQ(line["written"], json::parse(R"(["parameters 0-16"])")) << line.dump();
    }
    EXPECT_EQ(results, 2u) << out;
    const json combined = json::parse(out.substr(out.rfind("\n{") + 1), nullptr, false);
    EXPECT_EQ(combined["exitClass"], "interrupted");
    EXPECT_EQ(combined["ports"].size(), 2u);
}

}  // namespace
