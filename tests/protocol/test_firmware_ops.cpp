// Version query and firmware transfer against the simulated gimbal.
#include <atomic>
#include <cstring>
#include <thread>

#include "frame.h"
#include "sim_fixture.h"

using namespace cradle_test;

namespace {

constexpr uint8_t kVersion = 0x43, kFirmRequest = 0x44, kFirmBlock = 0x45;
constexpr int kUnitMx = 2;

std::vector<uint8_t> image(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 5);
    return bytes;
}

class FirmwareOps : public SimulatorTest {};

}  // namespace

TEST_F(FirmwareOps, VersionRecordIsThePayloadPaddedWithZeros) {
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    std::memset(record, 0xAA, sizeof record);
    ASSERT_EQ(UnitVersionInfo(record), 0);
    EXPECT_EQ(record[0], 4);  // four units: IFB, MX, MY, MZ
    const uint8_t ids[] = {1, 2, 4, 8};
    for (int unit = 0; unit < 4; ++unit) EXPECT_EQ(record[1 + 6 * unit], ids[unit]);
    for (size_t i = 25; i < sizeof record; ++i) ASSERT_EQ(record[i], 0) << i;
    EXPECT_EQ(UnitVersionInfo(nullptr), 4);
}

TEST_F(FirmwareOps, VersionSurvivesNoiseSplitRepliesAndACorruptedOne) {
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    gimbalsim::Fault messy;
    messy.noiseBytes = 7;
    messy.split = true;
    sim_.setFault(kVersion, messy);
    EXPECT_EQ(UnitVersionInfo(record), 0);
    gimbalsim::Fault corrupt;
    corrupt.corruptCrc = true;
    corrupt.count = 1;
    sim_.setFault(kVersion, corrupt);
    EXPECT_EQ(UnitVersionInfo(record), 2);  // the one reply was dropped
    EXPECT_EQ(UnitVersionInfo(record), 0);
}

TEST_F(FirmwareOps, SilentDeviceGivesNoReply) {
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    sim_.setFault(kVersion, silent());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UnitVersionInfo(record), 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms);  // the whole window was given
}

TEST_F(FirmwareOps, FirmwareRequestOutcomes) {
    const int unit = kUnitMx;
    EXPECT_EQ(UpdateFirmRequest(nullptr), 4);
    EXPECT_EQ(UpdateFirmRequest(&unit), 0);
    sim_.setFault(kFirmRequest, status(0xFE));
    EXPECT_EQ(UpdateFirmRequest(&unit), 5);
    sim_.setFault(kFirmRequest, status(0xFF));
    EXPECT_EQ(UpdateFirmRequest(&unit), 6);
    sim_.clearFaults();
    sim_.clearReceived();
    sim_.setFault(kFirmRequest, status(2, 1));  // asks for a repeat once, then accepts
    EXPECT_EQ(UpdateFirmRequest(&unit), 0);
    EXPECT_EQ(framesOf(kFirmRequest).size(), 2u);
}

TEST_F(FirmwareOps, FirmwareRequestToASilentUnitIsRepeatedThenGivesUp) {
    const int unit = kUnitMx;
    sim_.setFault(kFirmRequest, silent());
    EXPECT_EQ(UpdateFirmRequest(&unit), 2);
    EXPECT_EQ(framesOf(kFirmRequest).size(), 21u);
}

TEST_F(FirmwareOps, Transfer512BytesReportsProgress0_50_100) {
    const int unit = kUnitMx;
    const auto bytes = image(512);
    ASSERT_EQ(UpdateFirmRequest(&unit), 0);
    sim_.clearReceived();
    // Replies come late enough that the watcher sees each value before the next block is accepted.
    gimbalsim::Fault slow;
    slow.delayMs = 300;
    sim_.setFault(kFirmBlock, slow);
    unsigned char progress = 0xAA;
    std::vector<int> seen;
    std::thread watcher([&] {
        for (size_t frames = 2; frames <= 3; ++frames)
            if (sim_.waitForFrames(frames, 10s))
                seen.push_back(std::atomic_ref<unsigned char>(progress).load(std::memory_order_acquire));
    });
    const int result = WriteFirm(&unit, bytes.data(), static_cast<unsigned>(bytes.size()), &progress);
    watcher.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen, (std::vector<int>{0, 50}));
    EXPECT_EQ(progress, 100);
    EXPECT_EQ(sim_.firmwareImage(unit), bytes);
    const Frames blocks = framesOf(kFirmBlock);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].size(), 294u);
    EXPECT_EQ(blocks[1].size(), 294u);
    EXPECT_EQ(blocks[2].size(), 36u);
    EXPECT_EQ(le16(blocks[2], 18), 2);  // the closing block carries the count
}

TEST_F(FirmwareOps, Transfer257BytesSendsAOneByteLastBlock) {
    const int unit = 8;
    const auto bytes = image(257);
    ASSERT_EQ(UpdateFirmRequest(&unit), 0);
    sim_.clearReceived();
    unsigned char progress = 0;
    ASSERT_EQ(WriteFirm(&unit, bytes.data(), 257, &progress), 0);
    EXPECT_EQ(progress, 100);
    EXPECT_EQ(sim_.firmwareImage(unit), bytes);
    const Frames blocks = framesOf(kFirmBlock);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].size(), 294u);
    EXPECT_EQ(blocks[1].size(), 39u);
    EXPECT_EQ(blocks[2].size(), 36u);
    const uint32_t crc = cradle::crc32Mpeg2(bytes.data(), bytes.size());
    for (const auto& block : blocks) {
        EXPECT_EQ(le16(block, 8), 257);
        EXPECT_EQ(static_cast<uint32_t>(le16(block, 12) | le16(block, 14) << 16), crc);
    }
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 257, nullptr), 10);  // no request first: the unit refuses
}

TEST_F(FirmwareOps, RefusedOrInvalidTransfers) {
    const int unit = kUnitMx;
    const auto bytes = image(300);
    unsigned char progress = 0xAA;
    EXPECT_EQ(WriteFirm(nullptr, bytes.data(), 300, &progress), 4);
    EXPECT_EQ(WriteFirm(&unit, nullptr, 300, &progress), 4);
    sim_.clearReceived();
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 0, &progress), 4);  // nothing to send, no division by zero
    std::vector<uint8_t> huge(256u * 65535u + 1u);
    EXPECT_EQ(WriteFirm(&unit, huge.data(), static_cast<unsigned>(huge.size()), &progress), 4);
    EXPECT_TRUE(framesOf(kFirmBlock).empty());
    ASSERT_EQ(UpdateFirmRequest(&unit), 0);
    sim_.setFault(kFirmBlock, status(0xFD));
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 300, &progress), 12);
    sim_.setFault(kFirmBlock, status(0xFE));
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 300, &progress), 10);
    sim_.setFault(kFirmBlock, status(0xFF));
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 300, &progress), 10);
    EXPECT_EQ(progress, 0xAA);  // nothing accepted, nothing reported
    sim_.setFault(kFirmBlock, silent());
    EXPECT_EQ(WriteFirm(&unit, bytes.data(), 300, &progress), 2);
}

TEST_F(FirmwareOps, StartApplication) {
    EXPECT_EQ(SendStartFsApp(), 1);
    EXPECT_TRUE(eventually([&] { return sim_.startApplicationCount() == 1; }));
    CSerialClosePort();
    EXPECT_EQ(SendStartFsApp(), 0);
    unsigned char record[CRADLE_VERSION_RECORD_SIZE];
    EXPECT_EQ(UnitVersionInfo(record), 14);
}
