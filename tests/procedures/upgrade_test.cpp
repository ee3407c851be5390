// The upgrade plan (what is written, skipped or refused) and its run against a scripted gimbal:
// order of calls, the pause after each written unit, the check after the reboot, a stop between
// units, progress while a unit is written, and the ends that write nothing more.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <unistd.h>

#include "CradleCalls.h"
#include "exit_codes.h"
#include "package.h"
#include "upgrade.h"

using namespace procedures;
using namespace std::chrono_literals;
using State = UnitOutcome::State;

namespace {

// The gimbal behind the function table; one test at a time.
struct ScriptedGimbal {
    std::vector<std::string> calls;
    std::map<int, int> requestResult, writeResult;
    std::vector<UnitVersion> afterStart;  // what the version query reports after the start command
    int versionResult = CRADLE_OK;
    int lastError = 0;
    std::function<void(int unit, unsigned char* progress)> duringWrite;
};
ScriptedGimbal* gimbal = nullptr;

// A write with a progress hook runs on the run's writer thread, joined before the test looks.
void note(const char* call) { gimbal->calls.emplace_back(call); }

const CradleCalls kScripted = [] {
    CradleCalls c{};
    c.GetSerialLastError = [] { return gimbal->lastError; };
    c.UpdateFirmRequest = [](const int* unit) {
        note("request");
        return gimbal->requestResult.count(*unit) ? gimbal->requestResult[*unit] : CRADLE_OK;
    };
    c.WriteFirm = [](const int* unit, const unsigned char*, unsigned, unsigned char* progress) {
        note("write");
        if (gimbal->duringWrite) gimbal->duringWrite(*unit, progress);
        return gimbal->writeResult.count(*unit) ? gimbal->writeResult[*unit] : CRADLE_OK;
    };
    c.SendStartFsApp = [] {
        note("start");
        return 1;
    };
    c.UnitVersionInfo = [](unsigned char* record) {
        note("versions");
        record[0] = uint8_t(gimbal->afterStart.size());
        for (size_t k = 0; k < gimbal->afterStart.size(); ++k) {
            const UnitVersion& u = gimbal->afterStart[k];
            const uint8_t entry[6] = {u.id, u.hardware, u.major, u.minor, 0, 0};
            std::copy(entry, entry + 6, record + 1 + 6 * k);
        }
        return gimbal->versionResult;
    };
    return c;
}();

class Upgrade : public ::testing::Test {
protected:
    ScriptedGimbal script;
    std::string path;
    FirmwarePackage package;
    std::vector<std::chrono::milliseconds> sleeps;
    UpgradeHooks hooks;
    UpgradeTiming timing;

    void SetUp() override {
        gimbal = &script;
        cradleCalls() = kScripted;
        char pattern[] = "/tmp/upgrade-test-XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        path = pattern;
        hooks.sleep = [this](std::chrono::milliseconds d) { sleeps.push_back(d); };
        timing.rebootWait = 0ms;
    }
    void TearDown() override {
        cradleCalls() = cradleExports();
        gimbal = nullptr;
        std::remove(path.c_str());
    }
    void writePackage(const std::vector<fwpack::Entry>& entries) {
        ASSERT_EQ(fwpack::writePackage(path, ~0ULL, entries), "");
        package = readFirmwarePackage(path);
        ASSERT_EQ(packageRefusal(path, package), "");
    }
    std::vector<UpgradeItem> itemsFor(const std::vector<UnitVersion>& units) {
        UpgradePlan plan;
        EXPECT_TRUE(planUpgrade(path, package, units, {}, plan).ok());
        return plan.write;
    }
    static std::vector<State> states(const UpgradeResult& r) {
        std::vector<State> s;
        for (const UnitOutcome& u : r.units) s.push_back(u.state);
        return s;
    }
};

const std::vector<UnitVersion> kGimbal = {{1, 1, 1, 0}, {2, 1, 1, 0}, {4, 1, 1, 0}, {8, 1, 2, 5}};

TEST_F(Upgrade, PlanSkipsCurrentUnitsAndRefusesDowngradesAndAmbiguity) {
    struct Case {
        const char* what;
        std::vector<fwpack::Entry> entries;
        PlanOptions options;
        int exit;
        std::vector<uint8_t> write, current;
        const char* message;
    };
    const std::vector<uint8_t> img(300, 7);
    const std::vector<Case> cases = {
        {"newer and same", {{1, 1, 1, img}, {2, 1, 0, img}}, {}, kExitOk, {1}, {2}, ""},
        {"--all rewrites the same", {{1, 1, 1, img}, {2, 1, 0, img}}, {{}, true, false}, kExitOk, {1, 2}, {}, ""},
        {"gimbal order, not package order", {{8, 2, 6, img}, {1, 1, 1, img}}, {}, kExitOk, {1, 8}, {}, ""},
        {"a unit the gimbal lacks is ignored", {{16, 9, 9, img}, {4, 1, 1, img}}, {}, kExitOk, {4}, {}, ""},
        {"minor downgrade", {{8, 2, 4, img}}, {}, kExitBadFile, {}, {}, "MZ 2.5 -> 2.4 is a downgrade"},
        {"major downgrade allowed", {{8, 1, 9, img}}, {{}, false, true}, kExitOk, {8}, {}, ""},
        {"two images for a unit", {{2, 1, 1, img}, {2, 1, 2, img}}, {}, kExitBadFile, {}, {}, "two images for MX"},
        {"two images for IFB", {{1, 1, 1, img}, {1, 1, 2, img}}, {}, kExitBadFile, {}, {}, "two images for IFB"},
        {"--unit the package lacks", {{1, 1, 1, img}}, {{2}, false, false}, kExitBadFile, {}, {}, "no image for MX"},
        {"--unit limits", {{1, 1, 1, img}, {2, 1, 1, img}}, {{2}, false, false}, kExitOk, {2}, {}, ""},
        {"nothing for this gimbal", {{16, 1, 1, img}}, {}, kExitBadFile, {}, {}, "no image for any unit"},
    };
    for (const Case& c : cases) {
        writePackage(c.entries);
        UpgradePlan plan;
        const Status s = planUpgrade(path, package, kGimbal, c.options, plan);
        EXPECT_EQ(s.exit, c.exit) << c.what << ": " << s.message;
        EXPECT_NE(s.message.find(c.message), std::string::npos) << c.what << ": " << s.message;
        if (!s.ok()) continue;
        std::vector<uint8_t> write, current;
        for (const UpgradeItem& i : plan.write) write.push_back(i.unit);
        for (const UpgradeItem& i : plan.current) current.push_back(i.unit);
        EXPECT_EQ(write, c.write) << c.what;
        EXPECT_EQ(current, c.current) << c.what;
    }
}

TEST_F(Upgrade, EachWrittenUnitIsPausedStartedOnceAndChecked) {
    writePackage({{1, 2, 0, std::vector<uint8_t>(700, 1)}, {2, 2, 0, std::vector<uint8_t>(10, 2)}, {8, 3, 0, std::vector<uint8_t>(90, 3)}});
    const auto items = itemsFor(kGimbal);
    ASSERT_EQ(items.size(), 3u);
    script.writeResult[2] = CRADLE_E_BLOCK_REFUSED_FD;
    // IFB comes back with its new version, MZ keeps its old one.
    script.afterStart = {{1, 1, 2, 0}, {2, 1, 1, 0}, {4, 1, 1, 0}, {8, 1, 2, 5}};
    const UpgradeResult r = runUpgrade(items, hooks, timing);
    EXPECT_EQ(r.end, UpgradeResult::End::Completed);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(states(r), (std::vector<State>{State::Verified, State::WriteFailed, State::VersionMismatch}));
    EXPECT_EQ(r.units[1].cradleResult, CRADLE_E_BLOCK_REFUSED_FD);
    EXPECT_EQ(r.units[2].reported.version(), "2.5");
    EXPECT_TRUE(r.anyFailed());
    EXPECT_EQ(script.calls, (std::vector<std::string>{"request", "write", "request", "write", "request", "write", "start", "versions"}));
    EXPECT_EQ(sleeps, (std::vector<std::chrono::milliseconds>{1000ms, 1000ms, 1000ms})) << "a pause per written unit, then the settle";

    // Missing from the report, or no answer within the wait: never taken as verified.
    script.calls.clear();
    script.writeResult.clear();
    script.afterStart = {{1, 1, 2, 0}};
    UpgradeResult missing = runUpgrade({items[0], items[2]}, hooks, timing);
    EXPECT_EQ(states(missing), (std::vector<State>{State::Verified, State::VersionMismatch}));
    EXPECT_TRUE(missing.units[1].reportedMissing);
    script.versionResult = CRADLE_E_NO_REPLY;
    UpgradeResult silent = runUpgrade({items[0]}, hooks, timing);
    EXPECT_EQ(states(silent), (std::vector<State>{State::NotVerified}));
    EXPECT_EQ(silent.units[0].cradleResult, CRADLE_E_NO_REPLY);
}

TEST_F(Upgrade, AStopBetweenUnitsFinishesTheUnitInFlightAndStartsIt) {
    writePackage({{1, 2, 0, std::vector<uint8_t>(700, 1)}, {2, 2, 0, std::vector<uint8_t>(10, 2)}, {4, 2, 0, std::vector<uint8_t>(10, 2)}});
    const auto items = itemsFor(kGimbal);
    StopRequest stop;
    hooks.stop = &stop;
    script.duringWrite = [&](int unit, unsigned char*) {
        if (unit == 2) stop.request();
    };
    const UpgradeResult r = runUpgrade(items, hooks, timing);
    EXPECT_EQ(r.end, UpgradeResult::End::Stopped);
    EXPECT_EQ(states(r), (std::vector<State>{State::Written, State::Written, State::NotReached}));
    EXPECT_TRUE(r.started) << "written units are started, so the gimbal does not stay in its loader";
    EXPECT_EQ(script.calls, (std::vector<std::string>{"request", "write", "request", "write", "start"}));

    // Stopped before the first unit: nothing at all.
    script.calls.clear();
    const UpgradeResult none = runUpgrade(items, hooks, timing);
    EXPECT_FALSE(none.started);
    EXPECT_TRUE(script.calls.empty());
}

TEST_F(Upgrade, EndsThatWriteNothingMore) {
    writePackage({{1, 2, 0, std::vector<uint8_t>(700, 1)}, {2, 2, 0, std::vector<uint8_t>(10, 2)}, {8, 3, 0, std::vector<uint8_t>(9, 3)}});
    const auto items = itemsFor(kGimbal);
    // A pulled cable: the failed call finds the port gone.
    script.writeResult[2] = CRADLE_E_NOT_SENT;
    script.duringWrite = [&](int unit, unsigned char*) {
        if (unit == 2) script.lastError = CRADLE_SERIAL_PORT_REMOVED;
    };
    const UpgradeResult pulled = runUpgrade(items, hooks, timing);
    EXPECT_EQ(pulled.end, UpgradeResult::End::PortRemoved);
    EXPECT_EQ(pulled.failedItem, 1u);
    EXPECT_EQ(states(pulled), (std::vector<State>{State::Written, State::WriteFailed, State::NotReached}));
    EXPECT_FALSE(pulled.started);

    // The package shrank under the run: the unit's image is not written in part, nor anything after it.
    script = {};
    std::vector<UpgradeItem> shrunk = items;
    shrunk[2].imageStart = 1u << 30;
    const UpgradeResult gone = runUpgrade({items[0], shrunk[2], items[1]}, hooks, timing);
    EXPECT_EQ(gone.end, UpgradeResult::End::ImageUnreadable);
    EXPECT_EQ(gone.failedItem, 1u);
    EXPECT_FALSE(gone.started);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"request", "write", "request"}));

    // An empty image is never handed to the library; a refused request is passed over.
    script = {};
    UpgradeItem empty = items[0];
    empty.length = 0;
    size_t emptied = 99;
    hooks.emptyImage = [&](size_t i) { emptied = i; };
    script.requestResult[2] = CRADLE_E_FIRM_REFUSED_FE;
    const UpgradeResult skipped = runUpgrade({empty, items[1]}, hooks, timing);
    EXPECT_EQ(states(skipped), (std::vector<State>{State::EmptyImage, State::RequestFailed}));
    EXPECT_EQ(emptied, 0u);
    EXPECT_FALSE(skipped.started);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"request", "request"}));
}

TEST_F(Upgrade, ProgressIsSampledWhileTheUnitIsWritten) {
    writePackage({{1, 2, 0, std::vector<uint8_t>(700, 1)}});
    const auto items = itemsFor(kGimbal);
    timing.progressInterval = 1ms;
    std::mutex m;
    std::condition_variable seen;
    std::vector<int> percents;
    hooks.progress = [&](size_t item, int percent) {
        EXPECT_EQ(item, 0u);
        std::lock_guard lock(m);
        percents.push_back(percent);
        seen.notify_all();
    };
    // The write holds until a sample has shown its 50 %.
    script.duringWrite = [&](int, unsigned char* progress) {
        std::atomic_ref<unsigned char>(*progress).store(50, std::memory_order_relaxed);
        std::unique_lock lock(m);
        ASSERT_TRUE(seen.wait_for(lock, 20s, [&] { return !percents.empty() && percents.back() == 50; }));
    };
    script.afterStart = {{1, 1, 2, 0}};
    const UpgradeResult r = runUpgrade(items, hooks, timing);
    EXPECT_EQ(states(r), (std::vector<State>{State::Verified}));
    std::lock_guard lock(m);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

}  // namespace
