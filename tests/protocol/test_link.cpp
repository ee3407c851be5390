// The serial link: opening, its errors, exclusivity, removal and reopening, the runtime log,
// closing with every thread joined, and ports lost while exports run.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <future>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

#include "frame.h"
#include "parser.h"
#include "ring.h"
#include "sim_fixture.h"

using namespace cradle_test;
namespace fs = std::filesystem;

namespace {

size_t countEntries(const char* folder) {
    size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        ::closedir(dir);
    }
    return count;
}

size_t openDescriptors() { return countEntries("/proc/self/fd"); }
size_t threads() { return countEntries("/proc/self/task"); }

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every protocol export once; what each returned, in a fixed order.
std::vector<int> everyExport() {
    unsigned char big[256] = {};
    const int unit = 2;
    return {UnitVersionInfo(big),
            UpdateFirmRequest(&unit),
            WriteFirm(&unit, big, 16, nullptr),
            UploadCradleParameter(big),
            DownloadCradleParameter(big),
            UploadCradleConfig(big),
            DownloadCradleConfig(big),
            CradleCalibration(1),
            CradleStart(),
            CradleStop(),
            CradleUpdateMechanismFirm()};
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        gimbalsim::Options options;
        options.timeScale = 0.1;
        sim_ = std::make_unique<gimbalsim::Simulator>(options);
        ASSERT_TRUE(sim_->start());
    }
    void TearDown() override { CSerialClosePort(); }
    std::string scratch(const std::string& name) {
        const fs::path dir = fs::temp_directory_path() / ("cradle-link-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        dirs_.push_back(dir);
        return (dir / name).string();
    }
    ~LinkTest() override {
        for (const auto& dir : dirs_) fs::remove_all(dir);
    }

    std::unique_ptr<gimbalsim::Simulator> sim_;
    std::vector<fs::path> dirs_;
};

}  // namespace

TEST_F(LinkTest, ExportsAnswer14UntilOpenedAndAfterClose) {
    EXPECT_EQ(everyExport(), std::vector<int>(11, 14));
    EXPECT_EQ(GetSerialLastError(), 0);
    EXPECT_EQ(CRuntimeLog(), 1);
    EXPECT_EQ(CSerialClosePort(), 0);  // harmless when nothing is open
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 0);
    EXPECT_EQ(CSerialClosePort(), 0);
    EXPECT_EQ(GetSerialLastError(), 0);
    EXPECT_EQ(everyExport(), std::vector<int>(11, 14));
    EXPECT_EQ(CRuntimeLog(), 1);
}

TEST_F(LinkTest, OpenWhileOpenIsRefusedAndChangesNothing) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    EXPECT_EQ(openPort(sim_->portPath()), 0);
    EXPECT_EQ(GetSerialLastError(), 4);
    EXPECT_EQ(openPortWithLog(sim_->portPath().c_str(), scratch("log").c_str()), 0);
    EXPECT_EQ(GetSerialLastError(), 4);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 0);
}

TEST_F(LinkTest, OpenErrorsLeaveTheLibraryClosed) {
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    const std::string port = sim_->portPath();
    auto expectOpenError = [&](int result, int error) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(GetSerialLastError(), error);
        EXPECT_EQ(UnitVersionInfo(record), 14);
    };
    expectOpenError(openPort("/nonexistent/ttyGIMBAL9"), 2);
    expectOpenError(openPort("cradleNoSuchPort"), 2);
    expectOpenError(openPort(nullptr), 2);
    expectOpenError(openPort("/tmp/" + std::string(200, 'p')), 2);
    expectOpenError(openPort("/dev/null"), 3);  // exists, but is no serial line
    expectOpenError(CSerialOpenPort(port.c_str(), 12345, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS), 3);
    expectOpenError(CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, 'x', CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS), 3);
    expectOpenError(CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, 9, CRADLE_LINE_STOP_BITS), 3);
    expectOpenError(CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, 3), 3);
    expectOpenError(openPortWithLog(port.c_str(), nullptr), 6);
    expectOpenError(openPortWithLog(port.c_str(), "/nonexistent/dir/raw.log"), 6);
    expectOpenError(openPortWithLog(port.c_str(), std::string(300, 'l').c_str()), 6);
    // Every other setting the line accepts opens; the port is still usable afterwards.
    EXPECT_EQ(CSerialOpenPort(port.c_str(), 9600, 'E', 7, 2), 1);
    CSerialClosePort();
    ASSERT_EQ(openPort(port), 1);
    EXPECT_EQ(UnitVersionInfo(record), 0);
}

TEST_F(LinkTest, PortNamesWithoutAFolderAreLookedUpUnderDev) {
    // "null" reaches /dev/null, which exists but takes no line settings (3); a missing name gives 2.
    EXPECT_EQ(openPort("cradle-no-such-port"), 0);
    EXPECT_EQ(GetSerialLastError(), 2);
    EXPECT_EQ(openPort("null"), 0);
    EXPECT_EQ(GetSerialLastError(), 3);
}

TEST_F(LinkTest, NamesAndSettingsAtTheirLimits) {
    // Links to the simulated port whose paths are exactly 63 and 64 characters long.
    std::string folder = scratch("x");
    folder.pop_back();
    constexpr size_t kLongestName = 63;
    if (folder.size() + 1 > kLongestName) GTEST_SKIP() << "temporary folder path too long";
    auto linkOfLength = [&](size_t length) {
        const std::string path = folder + std::string(length - folder.size(), 'n');
        fs::create_symlink(sim_->portPath(), path);
        return path;
    };
    const std::string longest = linkOfLength(kLongestName);
    const std::string tooLong = linkOfLength(kLongestName + 1);
    EXPECT_EQ(openPort(longest), 1) << "last error " << GetSerialLastError();
    CSerialClosePort();
    EXPECT_EQ(openPort(tooLong), 0);  // exists, but does not fit the name buffer
    EXPECT_EQ(GetSerialLastError(), 2);
    // Only the low byte of the parity and the low 16 bits of data and stop bits count.
    EXPECT_EQ(CSerialOpenPort(longest.c_str(), CRADLE_LINE_BAUD, 0x100 | CRADLE_LINE_PARITY, 0x10000 | CRADLE_LINE_DATA_BITS,
                              0x10000 | CRADLE_LINE_STOP_BITS), 1)
        << "last error " << GetSerialLastError();
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 0);
}

TEST_F(LinkTest, PortIsHeldExclusively) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    const int fd = ::open(sim_->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {  // root may open it despite TIOCEXCL, but cannot take the lock
        EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
    }
    CSerialClosePort();
    const int again = ::open(sim_->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(again, 0);
    EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);  // released by the close
    ::close(again);
}

TEST_F(LinkTest, RemovalIsDetectedAndTheWatchdogReopens) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    ASSERT_EQ(UnitVersionInfo(record), 0);
    const double cpuBefore = cpuSeconds();
    sim_->unplug();
    ASSERT_TRUE(eventually([] { return GetSerialLastError() == 7; }, 5s));
    EXPECT_EQ(UnitVersionInfo(record), 1);  // nothing can be sent while the port is gone
    EXPECT_EQ(SendStartFsApp(), 0);
    // A hung-up line must not make the reader spin while it is gone (a spin would burn seconds here).
    EXPECT_LT(cpuSeconds() - cpuBefore, 1.5);
    sim_->replug();
    ASSERT_TRUE(eventually([] { return SendStartFsApp() == 1; }, 5s));
    EXPECT_EQ(GetSerialLastError(), 7);  // stays until the close
    EXPECT_EQ(UnitVersionInfo(record), 0);
    CSerialClosePort();
    EXPECT_EQ(GetSerialLastError(), 0);
}

TEST_F(LinkTest, OpenAfterRemovalWithoutCloseReplacesTheOldThreads) {
    const size_t threadsBefore = threads();
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    EXPECT_EQ(threads(), threadsBefore + 3);
    sim_->unplug();
    ASSERT_TRUE(eventually([] { return GetSerialLastError() == 7; }, 5s));

    gimbalsim::Simulator other;
    ASSERT_TRUE(other.start());
    const size_t threadsLost = threads();  // the lost link's three are still among them
    ASSERT_EQ(openPort(other.portPath()), 1);
    EXPECT_EQ(threads(), threadsLost);  // the old set was stopped before the new one started
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 0);
    CSerialClosePort();
    EXPECT_EQ(threads(), threadsLost - 3);
}

TEST_F(LinkTest, RuntimeLogHoldsEveryReceivedByte) {
    const std::string log = scratch("raw.log");
    ASSERT_EQ(openPortWithLog(sim_->portPath().c_str(), log.c_str()), 1);
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31);
    sim_->sendRaw(bytes);
    ASSERT_TRUE(eventually([&] { return fs::exists(log) && fs::file_size(log) >= bytes.size(); }));
    CSerialClosePort();
    EXPECT_EQ(readFile(log), std::string(bytes.begin(), bytes.end()));
}

TEST_F(LinkTest, RuntimeLogRotatesPastOneMebibyte) {
    const std::string log = scratch("rotating.log");
    const std::string backup = log + ".bak";
    const std::string old(1048576 - 10, 'o');
    std::ofstream(log, std::ios::binary) << old;
    std::ofstream(backup, std::ios::binary) << "stale backup";
    ASSERT_EQ(openPortWithLog(sim_->portPath().c_str(), log.c_str()), 1);
    const std::vector<uint8_t> fresh(100, 'n');
    sim_->sendRaw(fresh);
    ASSERT_TRUE(eventually([&] {
        return fs::exists(log) && fs::exists(backup) &&
               fs::file_size(log) + fs::file_size(backup) == old.size() + fresh.size();
    }));
    CSerialClosePort();
    const std::string current = readFile(log), previous = readFile(backup);
    EXPECT_LE(previous.size(), 1048576u);
    EXPECT_FALSE(current.empty());
    EXPECT_EQ(previous + current, old + std::string(fresh.begin(), fresh.end()));
}

TEST_F(LinkTest, ABurstLargerThanTheReceiveRingLosesNothing) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    gimbalsim::Fault silent;
    silent.silent = true;
    sim_->setFault(cradle::command::kVersion, silent);
    sim_->clearReceived();
    // The reply arrives in one write with far more telemetry behind it than the ring holds.
    cradle::Bytes payload(cradle::kVersionStoreSize);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i + 1);
    const uint8_t length[] = {static_cast<uint8_t>(payload.size()), 0};
    cradle::Bytes burst = cradle::makeLongFrame(cradle::makeFrame(cradle::command::kVersion, length), payload);
    const cradle::Frame telemetry = cradle::makeFrame(cradle::command::kTelemetryB);
    while (burst.size() < 3 * cradle::ReceiveRing::kStorage) burst.insert(burst.end(), telemetry.begin(), telemetry.end());
    std::thread device([&] {
        if (sim_->waitForFrames(1, 10s)) sim_->sendRaw(burst);
    });
    unsigned char record[CRADLE_VERSION_RECORD_SIZE] = {};
    EXPECT_EQ(UnitVersionInfo(record), 0);
    device.join();
    EXPECT_EQ(std::memcmp(record, payload.data(), sizeof record), 0);
}

TEST_F(LinkTest, ExportsReportNotSentWhileThePortIsGone) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    sim_->unplug();
    ASSERT_TRUE(eventually([] { return GetSerialLastError() == 7; }, 5s));
    // Families have locks of their own, so they run side by side here.
    unsigned char version[CRADLE_VERSION_RECORD_SIZE], params[CRADLE_PARAM_RECORD_SIZE] = {1, 1}, config[CRADLE_CONFIG_BUFFER_SIZE] = {}, image[16] = {};
    const int unit = 2;
    int results[11] = {};
    std::vector<std::thread> runners;
    runners.emplace_back([&] { results[0] = UnitVersionInfo(version); });
    runners.emplace_back([&] { results[1] = UpdateFirmRequest(&unit); });
    runners.emplace_back([&] { results[2] = WriteFirm(&unit, image, sizeof image, nullptr); });
    runners.emplace_back([&] { results[3] = UploadCradleParameter(params); });
    runners.emplace_back([&] { results[4] = DownloadCradleParameter(params); });
    runners.emplace_back([&] {
        results[5] = UploadCradleConfig(config);
        results[6] = DownloadCradleConfig(config);
        results[7] = CradleCalibration(1);
        results[8] = CradleStart();
        results[9] = CradleStop();
    });
    runners.emplace_back([&] { results[10] = CradleUpdateMechanismFirm(); });
    for (auto& runner : runners) runner.join();
    EXPECT_EQ(std::vector<int>(results, results + 11), std::vector<int>(11, 1));
}

TEST_F(LinkTest, FamiliesRunSideBySide) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    sim_->setTelemetryRate(100, 100);
    unsigned char version[CRADLE_VERSION_RECORD_SIZE], params[CRADLE_PARAM_RECORD_SIZE] = {2, 3, 4}, config[CRADLE_CONFIG_BUFFER_SIZE] = {};
    int results[4] = {-1, -1, -1, -1};
    std::thread a([&] { results[0] = UnitVersionInfo(version); });
    std::thread b([&] { results[1] = DownloadCradleParameter(params); });
    std::thread c([&] { results[2] = DownloadCradleConfig(config); });
    std::thread d([&] { results[3] = CradleUpdateMechanismFirm(); });
    for (std::thread* t : {&a, &b, &c, &d}) t->join();
    EXPECT_EQ(std::vector<int>(results, results + 4), std::vector<int>(4, 0));
}

TEST_F(LinkTest, FiftyOpenCloseCyclesWithTelemetryLeakNothing) {
    sim_->setTelemetryRate(200, 200);
    const size_t descriptors = openDescriptors();  // the wake-up descriptor too lives only while open
    const size_t threadCount = threads();
    unsigned char record[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_EQ(openPort(sim_->portPath()), 1) << "cycle " << cycle << " error " << GetSerialLastError();
        if (cycle % 10 == 0) {
            unsigned char version[CRADLE_VERSION_RECORD_SIZE];
            EXPECT_EQ(UnitVersionInfo(version), 0);
            EXPECT_TRUE(eventually([&] { return GetLogCradleDataB(record) == 0; }));
        }
        EXPECT_EQ(CSerialClosePort(), 0);
    }
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(threads(), threadCount);
}

// The wake-up descriptor is taken by each open: when none is free that open fails, the next one works.
TEST_F(LinkTest, AnOpenWithoutAFreeDescriptorFailsOnlyItself) {
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
    for (const int free : {0, 1}) {  // none at all; one, which the port takes
        SCOPED_TRACE(testing::Message() << free << " descriptors free");
        const int lowestFree = ::dup(0);
        ASSERT_GE(lowestFree, 0);
        ::close(lowestFree);
        rlimit tight = original;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree + free);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        const int tightOpen = openPort(sim_->portPath());
        const int tightError = GetSerialLastError();
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &original), 0);
        EXPECT_EQ(tightOpen, 0);
        EXPECT_EQ(tightError, 2);
        ASSERT_EQ(openPort(sim_->portPath()), 1) << "last error " << GetSerialLastError();
        unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
        EXPECT_EQ(UnitVersionInfo(record), 0);
        CSerialClosePort();
    }
}

// Flags an earlier program left on the line (the port keeps them across closes) are all cleared.
TEST_F(LinkTest, OpenLeavesTheLineFullyRaw) {
    auto lineSettings = [&] {
        termios tio{};
        const int fd = ::open(sim_->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            ::tcgetattr(fd, &tio);
            ::close(fd);
        }
        return tio;
    };
    termios preset = lineSettings();
    preset.c_iflag |= IXOFF | IXANY | IUCLC | INPCK | IXON | ICRNL;
    preset.c_oflag |= OPOST | ONLCR;
    preset.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    {
        const int fd = ::open(sim_->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &preset), 0);
        ::close(fd);
    }
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    CSerialClosePort();
    const termios after = lineSettings();
    EXPECT_EQ(after.c_iflag, 0u);
    EXPECT_EQ(after.c_oflag, 0u);
    EXPECT_EQ(after.c_lflag, 0u);
    for (const auto& [stopBits, flagged] : {std::pair{1, false}, std::pair{2, true}}) {
        ASSERT_EQ(CSerialOpenPort(sim_->portPath().c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, stopBits), 1);
        CSerialClosePort();
        EXPECT_EQ((lineSettings().c_cflag & CSTOPB) != 0, flagged) << stopBits << " stop bits";
    }
}

// A device that stops draining the line while it streams telemetry: sends fail within the
// attempts' two seconds, the port is not taken for removed, and the link works once it drains.
TEST_F(LinkTest, AStalledLineFailsSendsWithoutARemoval) {
    sim_->setTelemetryRate(200, 200);
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    sim_->holdInput(true);
    constexpr int kMaxFrames = 100000;  // far more than a pty holds
    int written = 0;
    while (written < kMaxFrames && SendStartFsApp() == 1) ++written;
    EXPECT_LT(written, kMaxFrames);
    unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UnitVersionInfo(record), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(GetSerialLastError(), 0);
    sim_->holdInput(false);
    EXPECT_TRUE(eventually([&] { return UnitVersionInfo(record) == 0; }));
    EXPECT_EQ(GetSerialLastError(), 0);
}

// A stall that ends well within the attempts' two seconds: a later attempt gets the request through.
TEST_F(LinkTest, AStallShorterThanTheAttemptsIsRetriedThrough) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    sim_->holdInput(true);
    constexpr int kMaxFrames = 100000;  // far more than a pty holds
    int written = 0;
    while (written < kMaxFrames && SendStartFsApp() == 1) ++written;
    ASSERT_LT(written, kMaxFrames);
    std::thread device([&] {
        std::this_thread::sleep_for(300ms);
        sim_->holdInput(false);
    });
    EXPECT_EQ(CradleStart(), 7);
    device.join();
}

// Pulled, then written to before the watchdog's next look: the write fails and says so.
TEST_F(LinkTest, ASendRightAfterARemovalFails) {
    ASSERT_EQ(openPort(sim_->portPath()), 1);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    ASSERT_EQ(UnitVersionInfo(record), 0);  // the watchdog's first look is over by now
    sim_->unplug();
    EXPECT_EQ(SendStartFsApp(), 0);
}

// A close or a removal ends a calibration's 35 s watch at once: 14 after a close, 1 after a removal.
TEST_F(LinkTest, CloseOrRemovalEndsACalibrationWatch) {
    struct Case {
        const char* name;
        std::function<void(gimbalsim::Simulator&)> act;
        int expected;
    };
    const Case cases[] = {
        {"close", [](gimbalsim::Simulator&) { CSerialClosePort(); }, 14},
        {"removal", [](gimbalsim::Simulator& sim) {
             sim.unplug();
             EXPECT_TRUE(eventually([] { return GetSerialLastError() == 7; }, 5s));
         }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim_->setControlFault(0x25, 2, status(0xF0));  // accepted, then never done
        ASSERT_EQ(openPort(sim_->portPath()), 1);
        sim_->clearReceived();
        auto calibration = std::async(std::launch::async, [] { return CradleCalibration(4); });
        ASSERT_TRUE(sim_->waitForFrames(1, 10s));
        // The watch runs without the control lock: once start has its turn, the watch has begun.
        EXPECT_EQ(CradleStart(), 7);
        c.act(*sim_);
        const auto acted = std::chrono::steady_clock::now();
        ASSERT_EQ(calibration.wait_for(5s), std::future_status::ready);
        EXPECT_LT(std::chrono::steady_clock::now() - acted, 1s);
        EXPECT_EQ(calibration.get(), c.expected);
        CSerialClosePort();
    }
}
