// Parameter and configuration transfer against the simulated gimbal.
#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "frame.h"
#include "sim_fixture.h"

using namespace cradle_test;

namespace {

constexpr uint8_t kControl = 0x4D, kParamWrite = 0x72, kParamRead = 0x73;
constexpr uint8_t kWriteItem = 0x22, kReadItem = 0x23, kSave = 0x24;

struct ParameterRecord {
    std::array<unsigned char, CRADLE_PARAM_RECORD_SIZE> bytes{};
    ParameterRecord(std::initializer_list<std::pair<uint8_t, uint16_t>> entries) {
        for (const auto& [number, value] : entries) add(number, value);
    }
    void add(uint8_t number, uint16_t value) {
        const size_t k = bytes[CRADLE_PARAM_COUNT_OFFSET]++;
        bytes[CRADLE_PARAM_NUMBERS_OFFSET + k] = number;
        cradle::putLe16(&bytes[CRADLE_PARAM_VALUES_OFFSET + 2 * k], value);
    }
    uint16_t value(size_t k) const { return cradle::getLe16(&bytes[CRADLE_PARAM_VALUES_OFFSET + 2 * k]); }
};

// A parameter read reply with `count` values, value i being base + i.
cradle::Bytes paramReadReply(size_t count, uint16_t base) {
    cradle::Bytes values(2 * count);
    for (size_t i = 0; i < count; ++i) cradle::putLe16(&values[2 * i], static_cast<uint16_t>(base + i));
    const uint8_t head[] = {static_cast<uint8_t>(count)};
    return cradle::makeLongFrame(cradle::makeFrame(kParamRead, head), values);
}

// A configuration read reply of one unit for one item, data bytes base, base + 1, ...
cradle::Bytes itemReply(uint8_t unit, uint8_t item, uint8_t base, uint8_t status = 1, uint8_t sub = kReadItem) {
    std::array<uint8_t, 12> body{status, unit, sub, item};
    for (size_t i = 0; i < 8; ++i) body[4 + i] = static_cast<uint8_t>(base + i);
    const cradle::Frame frame = cradle::makeFrame(kControl, body);
    return {frame.begin(), frame.end()};
}

std::array<uint8_t, CRADLE_CONFIG_RECORD_SIZE> sampleConfig() {
    std::array<uint8_t, CRADLE_CONFIG_RECORD_SIZE> record;
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(0x40 + i);
    return record;
}

class SettingsOps : public SimulatorTest {};

}  // namespace

TEST_F(SettingsOps, UploadParametersThenTheClosingWrite) {
    ParameterRecord record{{5, 0x1234}, {6, 7}, {10, 0xFFFF}, {11, 0}, {20, 300}};
    sim_.clearReceived();
    ASSERT_EQ(UploadCradleParameter(record.bytes.data()), 0);
    EXPECT_EQ(sim_.parameter(5), 0x1234);
    EXPECT_EQ(sim_.parameter(10), 0xFFFF);
    EXPECT_EQ(sim_.parameter(20), 300);
    const Frames writes = framesOf(kParamWrite);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].size(), 36u + 10u + 2u);
    EXPECT_EQ(writes[0][3], 5);
    EXPECT_EQ(writes[1].size(), 36u);
    EXPECT_EQ(writes[1][3], 0xFF);

    sim_.clearReceived();
    ParameterRecord empty{};
    ASSERT_EQ(UploadCradleParameter(empty.bytes.data()), 0);
    ASSERT_EQ(framesOf(kParamWrite).size(), 1u);  // only the closing write
}

TEST_F(SettingsOps, DownloadParameters) {
    sim_.setParameter(3, 0xBEEF);
    sim_.setParameter(17, 42);
    ParameterRecord record{{3, 0}, {17, 0}};
    ASSERT_EQ(DownloadCradleParameter(record.bytes.data()), 0);
    EXPECT_EQ(record.value(0), 0xBEEF);
    EXPECT_EQ(record.value(1), 42);

    sim_.clearReceived();
    ParameterRecord empty{};
    EXPECT_EQ(DownloadCradleParameter(empty.bytes.data()), 0);
    EXPECT_TRUE(framesOf(kParamRead).empty());
}

TEST_F(SettingsOps, ParameterRefusalsAndBadRecords) {
    ParameterRecord record{{1, 1}};
    EXPECT_EQ(UploadCradleParameter(nullptr), 4);
    EXPECT_EQ(DownloadCradleParameter(nullptr), 4);
    ParameterRecord tooMany{};
    tooMany.bytes[CRADLE_PARAM_COUNT_OFFSET] = CRADLE_PARAM_MAX_COUNT + 1;  // more than the record holds
    EXPECT_EQ(UploadCradleParameter(tooMany.bytes.data()), 4);
    EXPECT_EQ(DownloadCradleParameter(tooMany.bytes.data()), 4);
    sim_.setFault(kParamWrite, status(0xFD));
    EXPECT_EQ(UploadCradleParameter(record.bytes.data()), 3);
    sim_.setFault(kParamWrite, status(0xFE));
    EXPECT_EQ(UploadCradleParameter(record.bytes.data()), 10);
    sim_.setFault(kParamRead, status(0xFD));
    EXPECT_EQ(DownloadCradleParameter(record.bytes.data()), 3);
    sim_.setFault(kParamRead, status(0xFE));
    EXPECT_EQ(DownloadCradleParameter(record.bytes.data()), 10);
}

gimbalsim::Fault delayed(int ms) {
    gimbalsim::Fault fault;
    fault.delayMs = ms;
    return fault;
}

constexpr int kOwnReplyDelayMs = 300;  // the stale reply, sent at once, is taken well before

// The first reply after the request is its answer whatever its count: min(n', n) values are copied at
// once (not after the window), the slots it did not fill keep what the caller left there, and a reply
// with more values than asked writes nothing past the record.
TEST_F(SettingsOps, ParameterReadUsesAReplyOfAnotherCountAtOnce) {
    struct Case {
        size_t asked, carried;
    };
    for (const Case c : {Case{16, 12}, Case{17, 30}, Case{1, 1}}) {
        SCOPED_TRACE(testing::Message() << c.asked << " asked, " << c.carried << " in the reply");
        sim_.setFault(kParamRead, silent());
        sim_.clearReceived();
        constexpr size_t kGuardBytes = 16;
        constexpr uint8_t kUntouched = 0xA5;
        unsigned char buffer[CRADLE_PARAM_RECORD_SIZE + kGuardBytes];
        std::memset(buffer, kUntouched, sizeof buffer);
        buffer[CRADLE_PARAM_COUNT_OFFSET] = static_cast<unsigned char>(c.asked);
        for (size_t k = 0; k < c.asked; ++k) buffer[CRADLE_PARAM_NUMBERS_OFFSET + k] = static_cast<unsigned char>(k + 4);
        std::thread device([&] {
            if (sim_.waitForFrames(1, 10s)) sim_.sendRaw(paramReadReply(c.carried, 0x100));
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(DownloadCradleParameter(buffer), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
        device.join();
        const size_t filled = std::min(c.asked, c.carried);
        for (size_t k = 0; k < filled; ++k)
            EXPECT_EQ(cradle::getLe16(buffer + CRADLE_PARAM_VALUES_OFFSET + 2 * k), 0x100 + k) << "value " << k;
        for (size_t i = CRADLE_PARAM_VALUES_OFFSET + 2 * filled; i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], kUntouched) << "byte " << i;
        EXPECT_EQ(buffer[CRADLE_PARAM_COUNT_OFFSET], c.asked);  // the count is the caller's, never rewritten
    }
}

// The read reply echoes its item: a late reply about item 1 must not fill item 2's positions.
TEST_F(SettingsOps, ConfigReadTakesOnlyTheReplyForTheItemAsked) {
    const auto record = sampleConfig();
    sim_.setConfigRecord(record);
    sim_.setControlFault(kReadItem, 2, delayed(kOwnReplyDelayMs));  // items 1 and 2
    sim_.clearReceived();
    std::thread device([&] {
        if (sim_.waitForFrames(2, 10s)) sim_.sendRaw(itemReply(2, 1, 0x60));  // item 1 once more, late
    });
    unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    EXPECT_EQ(DownloadCradleConfig(buffer), 0);
    device.join();
    EXPECT_EQ(std::memcmp(buffer, record.data(), record.size()), 0);
}

// A reply that names no item (a unit that does not echo it) still answers, for writes and reads alike.
TEST_F(SettingsOps, ConfigItemRepliesThatNameNoItemAreTaken) {
    struct Case {
        uint8_t sub, status;
        int (*call)(unsigned char*);
    };
    const Case cases[] = {{kWriteItem, 0xF0, [](unsigned char* b) { return UploadCradleConfig(b); }},
                          {kReadItem, 1, DownloadCradleConfig}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sub-command " << int(c.sub));
        sim_.clearFaults();
        sim_.setControlFault(c.sub, 2, silent());  // items 1 and 2 answered below, without the item
        sim_.clearReceived();
        std::thread device([&] {
            for (size_t frames : {1, 2})
                if (sim_.waitForFrames(frames, 10s)) sim_.sendRaw(itemReply(2, 0, 0, c.status, c.sub));
        });
        unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
        EXPECT_EQ(c.call(buffer), 0);
        device.join();
    }
}

TEST_F(SettingsOps, SilentParameterExchangesGiveNoReply) {
    ParameterRecord record{{1, 1}};
    sim_.setFault(kParamWrite, silent());
    sim_.setFault(kParamRead, silent());
    EXPECT_EQ(UploadCradleParameter(record.bytes.data()), 2);
    EXPECT_EQ(DownloadCradleParameter(record.bytes.data()), 2);
}

TEST_F(SettingsOps, UploadConfigWritesSevenItemsAndSaves) {
    const auto record = sampleConfig();
    unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    std::memcpy(buffer, record.data(), record.size());
    sim_.clearReceived();
    ASSERT_EQ(UploadCradleConfig(buffer), 0);
    EXPECT_EQ(sim_.savedConfigRecord(), record);

    const Frames frames = framesOf(kControl);
    ASSERT_EQ(frames.size(), 8u);
    const uint8_t units[] = {2, 2, 4, 4, 8, 8, 12};
    const int firstPosition[] = {0, 6, 12, 18, 22, 28, 32};
    const int used[] = {6, 6, 6, 4, 6, 4, 6};
    for (int item = 0; item < 7; ++item) {
        const auto& frame = frames[static_cast<size_t>(item)];
        EXPECT_EQ(frame[4], units[item]);
        EXPECT_EQ(frame[5], kWriteItem);
        EXPECT_EQ(frame[6], item + 1);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(frame[7 + static_cast<size_t>(i)], i < used[item] ? record[static_cast<size_t>(firstPosition[item] + i)] : 0)
                << "item " << item + 1 << " byte " << i;
    }
    EXPECT_EQ(frames[7][4], 0x0E);
    EXPECT_EQ(frames[7][5], kSave);
}

TEST_F(SettingsOps, SaveConfirmationsMayArriveInAnyOrder) {
    unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    gimbalsim::Fault late;
    late.delayMs = 400;
    sim_.setControlFault(kSave, 2, late);
    late.delayMs = 200;
    sim_.setControlFault(kSave, 4, late);
    EXPECT_EQ(UploadCradleConfig(buffer), 0);
}

TEST_F(SettingsOps, UnconfirmedSaveOrUnacknowledgedItem) {
    unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    sim_.setControlFault(kSave, 8, silent());
    EXPECT_EQ(UploadCradleConfig(buffer), 9);
    sim_.clearFaults();
    sim_.setControlFault(kSave, 4, status(0xFF));
    EXPECT_EQ(UploadCradleConfig(buffer), 9);
    sim_.clearFaults();
    sim_.setControlFault(kWriteItem, 8, status(0xFF));  // a wrong status does not end the wait early
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UploadCradleConfig(buffer), 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms);
    EXPECT_EQ(UploadCradleConfig(nullptr), 4);
}

TEST_F(SettingsOps, DownloadConfig) {
    const auto record = sampleConfig();
    sim_.setConfigRecord(record);
    unsigned char buffer[CRADLE_CONFIG_BUFFER_SIZE];
    std::memset(buffer, 0xEE, sizeof buffer);
    ASSERT_EQ(DownloadCradleConfig(buffer), 0);
    EXPECT_EQ(std::memcmp(buffer, record.data(), record.size()), 0);
    EXPECT_EQ(buffer[CRADLE_CONFIG_RECORD_SIZE], 0xEE);  // the two spare bytes are left alone
    EXPECT_EQ(buffer[CRADLE_CONFIG_RECORD_SIZE + 1], 0xEE);
    EXPECT_EQ(DownloadCradleConfig(nullptr), 4);
    sim_.setControlFault(kReadItem, 4, silent());
    EXPECT_EQ(DownloadCradleConfig(buffer), 2);
}
