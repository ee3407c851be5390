// Faults of a real line: answers that come after their call gave up, a reply cut off mid-frame, a port
// another program opened first, and a cable pulled while an export waits.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <future>

#include "sim_fixture.h"

using namespace cradle_test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint8_t kVersion = 0x43, kFirmRequest = 0x44, kFirmBlock = 0x45, kControl = 0x4D, kMechanism = 0x4E,
                  kParamWrite = 0x72, kParamRead = 0x73;
constexpr uint8_t kSave = 0x24, kStart = 0x27;
constexpr auto kReplyWindow = 2s;
// A gimbal committing to flash: every reply 2.3 s late, 0.3 s after the call's window has ended.
constexpr int kLateMs = 2300;

gimbalsim::Fault late() {
    gimbalsim::Fault fault;
    fault.delayMs = kLateMs;
    return fault;
}

struct LateAnswerCase {
    const char* name;
    std::function<void(gimbalsim::Simulator&)> makeLate;
    std::function<int()> first;
    std::function<int()> retry;  // what the technician tries next, while replies stay late
    int retryResult;             // what it must give: its own outcome, never the earlier call's answer
};

void PrintTo(const LateAnswerCase& c, std::ostream* out) { *out << c.name; }

int versionQuery() {
    unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
    return UnitVersionInfo(record);
}
int closingWriteOnly() {
    unsigned char record[CRADLE_PARAM_RECORD_SIZE] = {};
    return UploadCradleParameter(record);
}
int readOneParameter() {
    unsigned char record[CRADLE_PARAM_RECORD_SIZE] = {1, 3};
    return DownloadCradleParameter(record);
}
int writeSmallImage() {
    const int unit = 2;
    const unsigned char image[16] = {1, 2, 3};
    return WriteFirm(&unit, image, sizeof image, nullptr);
}
int saveConfig() {
    unsigned char record[CRADLE_CONFIG_BUFFER_SIZE] = {};
    return UploadCradleConfig(record);
}
int firmRequest(int unit) { return UpdateFirmRequest(&unit); }

// One row per export family whose reply echoes nothing of its request.
const LateAnswerCase kLateAnswerCases[] = {
    {"Version", [](gimbalsim::Simulator& s) { s.setFault(kVersion, late()); }, versionQuery, versionQuery, 2},
    // The first call takes its own late acceptance among its repeats; the repeats' answers trail behind it.
    // The retry asks for a unit the gimbal refuses (0xFF): the trailing acceptances must not answer it.
    {"FirmwareRequest", [](gimbalsim::Simulator& s) { s.setFault(kFirmRequest, late()); }, [] { return firmRequest(2); },
     [] { return firmRequest(0x40); }, 6},
    {"FirmwareBlock", [](gimbalsim::Simulator& s) { s.setFault(kFirmBlock, late()); }, writeSmallImage, writeSmallImage, 2},
    {"ParameterWrite", [](gimbalsim::Simulator& s) { s.setFault(kParamWrite, late()); }, closingWriteOnly,
     closingWriteOnly, 2},
    {"ParameterRead", [](gimbalsim::Simulator& s) { s.setFault(kParamRead, late()); }, readOneParameter,
     readOneParameter, 2},
    {"ControlStart", [](gimbalsim::Simulator& s) { s.setControlFault(kStart, 2, late()); }, CradleStart, CradleStart, 2},
    {"ConfigurationSave",
     [](gimbalsim::Simulator& s) {
         for (uint8_t unit : {2, 4, 8}) s.setControlFault(kSave, unit, late());
     },
     saveConfig, saveConfig, 9},
    {"Mechanism", [](gimbalsim::Simulator& s) { s.setFault(kMechanism, late()); }, CradleUpdateMechanismFirm,
     CradleUpdateMechanismFirm, 2},
};

class LateAnswers : public SimulatorTest, public ::testing::WithParamInterface<LateAnswerCase> {};

// The retry never reports the earlier call's answer, and pays at most one reply window for it.
TEST_P(LateAnswers, AreNeverTakenByTheNextCall) {
    const LateAnswerCase& c = GetParam();
    c.makeLate(sim_);
    const auto firstStart = Clock::now();
    const int first = c.first();
    const auto firstTook = Clock::now() - firstStart;
    const auto retryStart = Clock::now();
    EXPECT_EQ(c.retry(), c.retryResult) << "first call gave " << first;
    EXPECT_LT(Clock::now() - retryStart, firstTook + kReplyWindow + 1s);
}

INSTANTIATE_TEST_SUITE_P(EveryFamilyWithoutEcho, LateAnswers, ::testing::ValuesIn(kLateAnswerCases),
                         [](const auto& info) { return std::string(info.param.name); });

class LineFaults : public SimulatorTest {};

// A version reply cut off after its head and part of its payload, then silence: the next query is not
// swallowed as the missing rest, and costs no wait for the cut reply.
TEST_F(LineFaults, ACutReplyCostsTheNextQueryNothing) {
    gimbalsim::Fault cut;
    cut.cutAfterBytes = 36 + 10;  // of the 25-byte payload
    cut.count = 1;
    sim_.setFault(kVersion, cut);
    unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 2);
    const auto start = Clock::now();
    EXPECT_EQ(UnitVersionInfo(record), 0);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(record[0], 4);  // the four units' report
}

// Another program that opened the port first (a terminal left open) would take some of the replies.
TEST_F(LineFaults, APortAnotherProgramHoldsIsRefused) {
    CSerialClosePort();
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const std::string path = sim_.portPath();
    const pid_t holder = ::fork();  // exactly one child, waited for below
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        ::prctl(PR_SET_NAME, "screen");
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        const char status = fd >= 0 ? 1 : 0;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &status, 1);
        char byte;
        n = ::read(release[0], &byte, 1);  // until the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char opened = 0;
    ASSERT_EQ(::read(ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 1);
    const int refused = openPort(path);
    const int error = GetSerialLastError();
    ::close(release[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    ::close(ready[0]);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(error, CRADLE_SERIAL_HELD_ELSEWHERE);
    ASSERT_EQ(openPort(path), 1) << "last error " << GetSerialLastError();  // free once it let go
    unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 0);
}

// The reader sees the hang-up at once; the waiting export must not wait for the watchdog's next cycle.
TEST_F(LineFaults, APulledCableEndsAWaitingExportAtOnce) {
    CSerialClosePort();
    sim_.setFault(kVersion, silent());
    ASSERT_EQ(openPort(sim_.portPath()), 1);  // the watchdog's cycle has just run
    sim_.clearReceived();
    auto query = std::async(std::launch::async, versionQuery);
    ASSERT_TRUE(sim_.waitForFrames(1, 10s));
    sim_.unplug();
    const auto pulled = Clock::now();
    ASSERT_EQ(query.wait_for(5s), std::future_status::ready);
    EXPECT_LT(Clock::now() - pulled, 400ms);
    EXPECT_EQ(query.get(), 1);
    EXPECT_EQ(GetSerialLastError(), 7);
}

}  // namespace
