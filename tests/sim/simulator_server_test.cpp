// The simulator served through a real pty: replies, faults on the line, telemetry, pacing, unplug/replug.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include "frames.h"
#include "gimbalsim/DemoMarker.h"
#include "gimbalsim/Simulator.h"
#include "host_line.h"

using namespace gimbalsim;
using namespace simtest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool pathExists(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

Options quickOptions() {
    Options o;
    o.timeScale = 0.01;
    return o;
}

}  // namespace

TEST(SimulatorServer, AnswersRequestsAndRecordsThem) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    ASSERT_TRUE(host.isOpen());

    const auto query = request(0x43);
    host.send(query);
    auto reply = host.frame(0x43);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->crcOk);
    EXPECT_EQ(reply->junkBefore, 0u);
    EXPECT_EQ(reply->bytes.size(), 36u + 25u + 2u);
    ASSERT_TRUE(sim.waitForFrames(1, 5s));
    EXPECT_EQ(sim.receivedFrames().at(0), query);

    // A parameter page split across writes, then read back.
    const auto page = parameterWrite({{0, 6}, {13, 2}});
    host.send({page.begin(), page.begin() + 20});
    host.send({page.begin() + 20, page.end()});
    reply = host.frame(0x72);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes[3], 1);
    EXPECT_EQ(sim.parameter(0), 6);
    EXPECT_EQ(sim.parameter(13), 2);
    ASSERT_TRUE(sim.waitForFrames(2, 5s));
    EXPECT_EQ(sim.receivedFrames().at(1), page) << "recorded whole, extension included";

    sim.clearReceived();
    EXPECT_TRUE(sim.receivedFrames().empty());
}

TEST(SimulatorServer, TransfersFirmwareThroughTheLine) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    std::vector<uint8_t> image(700);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i ^ 0x5A);

    host.send(firmwareRequest(8));
    ASSERT_TRUE(host.frame(0x44));
    for (uint16_t n = 1; n <= 3; ++n) {
        host.send(firmwareBlock(8, image, n));
        auto reply = host.frame(0x45);
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->bytes[3], 1) << "block " << n;
    }
    host.send(firmwareBlock(8, image, 0, true));
    auto reply = host.frame(0x45);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes[3], 1);
    EXPECT_EQ(sim.firmwareImage(8), image);

    host.send(request(0x46));
    ASSERT_TRUE(sim.waitForFrames(6, 5s));
    EXPECT_EQ(sim.startApplicationCount(), 1);
}

TEST(SimulatorServer, FaultsShowOnTheLine) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());

    Fault noisy;
    noisy.noiseBytes = 7;
    noisy.split = true;
    noisy.count = 1;
    sim.setFault(0x4E, noisy);
    host.send(request(0x4E));
    auto reply = host.frame(0x4E);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->junkBefore, 7u);
    EXPECT_TRUE(reply->crcOk) << "a split reply arrives whole";

    Fault corrupt;
    corrupt.corruptCrc = true;
    corrupt.count = 1;
    sim.setFault(0x4E, corrupt);
    host.send(request(0x4E));
    reply = host.frame(0x4E);
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->crcOk);

    Fault late;
    late.delayMs = 150;
    late.status = 0xFD;
    late.count = 1;
    sim.setFault(0x72, late);
    const auto sent = Clock::now();
    host.send(parameterWrite({{1, 2}}));
    reply = host.frame(0x72);
    ASSERT_TRUE(reply);
    EXPECT_GE(Clock::now() - sent, 150ms);
    EXPECT_EQ(reply->bytes[3], 0xFD);

    // Silence: the request arrives, no reply follows; the next request is answered normally.
    Fault silent;
    silent.silent = true;
    silent.count = 1;
    sim.setControlFault(0x27, 2, silent);
    sim.clearReceived();
    host.send(control(2, 0x27));
    ASSERT_TRUE(sim.waitForFrames(1, 5s));
    host.send(control(2, 0x26));
    reply = host.frame(0x4D);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes[5], 0x26) << "the start reply was dropped";
    EXPECT_FALSE(sim.isRunning());
}

TEST(SimulatorServer, CalibrationReportsDoneAfterTheScaledDuration) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    const auto sent = Clock::now();
    host.send(control(2, 0x25, 0, {3}));
    auto first = host.frame(0x4D);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes[3], 0xF0);
    auto done = host.frame(0x4D);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->bytes[3], 1);
    EXPECT_EQ(done->bytes[5], 0x25);
    EXPECT_GE(Clock::now() - sent, 30ms);
}

TEST(SimulatorServer, StreamsTelemetryAtTheChosenRate) {
    Options o = quickOptions();
    o.telemetryAHz = 50;
    o.telemetryBHz = 50;
    Simulator sim(o);
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    for (int i = 0; i < 3; ++i) {
        auto a = host.frame(0x6B);
        ASSERT_TRUE(a);
        EXPECT_TRUE(a->crcOk);
        auto b = host.frame(0x6C);
        ASSERT_TRUE(b);
        EXPECT_TRUE(b->crcOk);
    }
    std::array<uint8_t, kTelemetryABytes> fixed{};
    for (size_t i = 0; i < fixed.size(); ++i) fixed[i] = uint8_t(100 + i);
    sim.setTelemetryA(fixed);
    // Frames generated before the switch may still be in flight; the fixed record must follow.
    bool seen = false;
    for (int i = 0; i < 20 && !seen; ++i) {
        auto a = host.frame(0x6B);
        ASSERT_TRUE(a);
        seen = std::equal(fixed.begin(), fixed.end(), a->bytes.begin() + 3);
    }
    EXPECT_TRUE(seen);

    // Turned off, no telemetry follows a reply that was asked for afterwards.
    sim.setTelemetryRate(0, 0);
    host.send(request(0x4E));
    ASSERT_TRUE(host.frame(0x4E));
    host.send(request(0x4E));
    ASSERT_TRUE(host.frame(0x4E));
    EXPECT_FALSE(host.frame(0x6B, 200ms));
}

TEST(SimulatorServer, ReceiverTelemetryFollowsTheLostSignalPeriodAndTheCameraModule) {
    Options o = quickOptions();
    o.telemetryBHz = 50;
    o.lostSignalAfterS = 0;
    o.lostSignalForS = 1.0;
    Simulator sim(o);
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    constexpr size_t kLostAt = 3 + 30, kZoomAt = 3 + 27;
    auto isFactor = [](uint8_t zoom) { return zoom == 1 || zoom == 2 || zoom == 4 || zoom == 8 || zoom == 16; };

    auto b = host.frame(0x6C);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->bytes[kLostAt], 1) << "lost from the start";
    EXPECT_TRUE(isFactor(b->bytes[kZoomAt])) << "camera module 4 is infrared: the zoom status is a factor";
    // The period ends: later records report the signal back (at 50 Hz well within 500 records).
    for (int i = 0; i < 500 && b->bytes[kLostAt] == 1; ++i) {
        b = host.frame(0x6C);
        ASSERT_TRUE(b);
    }
    EXPECT_EQ(b->bytes[kLostAt], 0);

    // A zoom camera: stopped, zooming in or zooming out (records in flight may still carry a factor).
    sim.setParameter(0, 2);
    bool zoomStatus = false;
    for (int i = 0; i < 20 && !zoomStatus; ++i) {
        b = host.frame(0x6C);
        ASSERT_TRUE(b);
        const uint8_t zoom = b->bytes[kZoomAt];
        zoomStatus = zoom == 0 || zoom == 126 || zoom == 127;
    }
    EXPECT_TRUE(zoomStatus);
}

TEST(SimulatorServer, LineRatePacesBothDirections) {
    Options o = quickOptions();
    o.lineRateBaud = 9600;
    Simulator sim(o);
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    const auto sent = Clock::now();
    host.send(request(0x43));
    auto reply = host.frame(0x43);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->crcOk);
    // 36 bytes in and 63 bytes out at 960 bytes per second cannot take less than about 100 ms.
    EXPECT_GE(Clock::now() - sent, 95ms);
}

TEST(SimulatorServer, UnplugRemovesThePortAndReplugRestoresIt) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    const std::string path = sim.portPath();
    ASSERT_TRUE(pathExists(path));
    sim.setParameter(3, 2);
    {
        HostLine host(path);
        sim.unplug();
        EXPECT_FALSE(pathExists(path));
        // The host's open descriptor sees the line gone rather than hanging.
        bool alive = true;
        for (int i = 0; i < 10 && alive; ++i) alive = host.fill(1000ms);
        EXPECT_FALSE(alive);
    }
    // Something else took the path meanwhile: the replug fails and says so, and works once it is free.
    FILE* squatter = fopen(path.c_str(), "w");
    ASSERT_NE(squatter, nullptr);
    fclose(squatter);
    EXPECT_FALSE(sim.replug());
    unlink(path.c_str());
    ASSERT_TRUE(sim.replug());
    ASSERT_TRUE(pathExists(path));
    EXPECT_EQ(sim.portPath(), path);
    HostLine host(path);
    host.send(parameterRead({3}));
    auto reply = host.frame(0x73);
    ASSERT_TRUE(reply);
    EXPECT_EQ(wire::get16(&reply->bytes[36]), 2) << "the gimbal keeps its state across a replug";
    sim.stop();
    EXPECT_FALSE(pathExists(path));
}

TEST(SimulatorServer, SurvivesTheHostClosingAndReopening) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    for (int round = 0; round < 3; ++round) {
        HostLine host(sim.portPath());
        host.send(request(0x4E));
        ASSERT_TRUE(host.frame(0x4E)) << "round " << round;
    }
    HostLine host(sim.portPath());
    sim.sendRaw(request(0x6B, {1, 2, 3}));
    auto raw = host.frame(0x6B);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->bytes[4], 2);
}

TEST(SimulatorServer, StopDoesNotWaitForRepliesStillDue) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    Fault slow;
    slow.delayMs = 600000;
    sim.setFault(0x43, slow);
    host.send(request(0x43));
    ASSERT_TRUE(sim.waitForFrames(1, 5s));
    const auto before = Clock::now();
    sim.stop();
    EXPECT_LT(Clock::now() - before, 5s);
}

TEST(SimulatorServer, LinkPathGivenByTheCallerIsUsedAndRegularFilesAreNotReplaced) {
    char dir[] = "/tmp/simtest-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    Options o;
    o.linkPath = std::string(dir) + "/port";
    {
        Simulator sim(o);
        ASSERT_TRUE(sim.start());
        EXPECT_EQ(sim.portPath(), o.linkPath);
        EXPECT_TRUE(pathExists(o.linkPath));
    }
    EXPECT_FALSE(pathExists(o.linkPath));
    FILE* f = fopen(o.linkPath.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    {
        Simulator sim(o);
        EXPECT_FALSE(sim.start());
    }
    EXPECT_TRUE(pathExists(o.linkPath));
    unlink(o.linkPath.c_str());
    rmdir(dir);
}

TEST(SimulatorServer, HostExclusiveUseEndsWhenTheHostCloses) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    {
        HostLine first(sim.portPath());
        ASSERT_EQ(ioctl(first.fd(), TIOCEXCL), 0);
    }
    // Root may open an exclusive tty anyway; what matters is that the flag did not outlive the host.
    HostLine second(sim.portPath());
    ASSERT_TRUE(second.isOpen());
    second.send(request(0x4E));
    ASSERT_TRUE(second.frame(0x4E));
    int exclusive = -1;
    ASSERT_EQ(ioctl(second.fd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST(SimulatorServer, StartApplicationRebootsWithTheDemoVersionAndPausesTelemetry) {
    Options o = quickOptions();
    o.telemetryAHz = 50;
    Simulator sim(o);
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    const auto image = makeDemoImage(2, 4, 2, 600);
    host.send(firmwareRequest(2));
    ASSERT_TRUE(host.frame(0x44));
    for (uint16_t n = 1; n <= 3; ++n) {
        host.send(firmwareBlock(2, image, n));
        ASSERT_TRUE(host.frame(0x45));
    }
    host.send(firmwareBlock(2, image, 0, true));
    auto closing = host.frame(0x45);
    ASSERT_TRUE(closing);
    ASSERT_EQ(closing->bytes[3], 1);

    ASSERT_TRUE(host.frame(0x6B)) << "streaming before the reboot";
    sim.clearReceived();
    host.send(request(0x46));
    ASSERT_TRUE(sim.waitForFrames(1, 5s));
    const auto rebooted = Clock::now();
    // Records already on their way may still arrive; the next one generated after the reboot comes
    // only once the application is up again.
    std::optional<ReplyFrame> next;
    do {
        next = host.frame(0x6B);
        ASSERT_TRUE(next);
    } while (Clock::now() - rebooted < 100ms);
    EXPECT_GE(Clock::now() - rebooted, 900ms);

    host.send(request(0x43));
    auto version = host.frame(0x43);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->bytes[36 + 1 + 6 + 0], 2);  // MX entry
    EXPECT_EQ(version->bytes[36 + 1 + 6 + 2], 4);
    EXPECT_EQ(version->bytes[36 + 1 + 6 + 3], 2);
}

TEST(SimulatorServer, APartialFrameIsDroppedAfterASilenceAndTheRequestsBehindItAreHeard) {
    Simulator sim(quickOptions());
    ASSERT_TRUE(sim.start());
    HostLine host(sim.portPath());
    // A parameter write head announcing 30 values whose extension never comes, then a query that
    // at first reads as part of the missing extension.
    auto truncated = parameterWrite({{0, 1}});
    truncated[3] = 30;
    wire::Head head;
    std::copy_n(truncated.begin(), wire::kHeadBytes, head.begin());
    wire::sealHead(head);
    std::vector<uint8_t> bytes(head.begin(), head.end());
    const auto query = request(0x43);
    bytes.insert(bytes.end(), query.begin(), query.end());
    host.send(bytes);
    EXPECT_TRUE(host.frame(0x43));
    host.send(query);
    EXPECT_TRUE(host.frame(0x43));
    EXPECT_FALSE(host.frame(0x72, 300ms)) << "the cut-off write is not answered";
}
