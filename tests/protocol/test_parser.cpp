// The receive ring and the parser, fed bytes whole, split at every offset and one at a time.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame.h"
#include "parser.h"
#include "ring.h"
#include "stores.h"

using namespace cradle;

namespace {

// Records every filing as one line of text, so a case compares what it expects in one go.
class RecordingSink : public ReplySink {
public:
    std::vector<std::string> events;

    void onVersion(const uint8_t* payload, size_t length) override {
        events.push_back("version " + std::to_string(length) + hex(payload, length));
    }
    void onFirmRequestStatus(uint8_t s) override { events.push_back("request " + std::to_string(s)); }
    void onFirmBlockStatus(uint8_t s) override { events.push_back("block " + std::to_string(s)); }
    void onControlReply(uint8_t sub, uint8_t unit, const uint8_t* record) override {
        events.push_back("control " + std::to_string(sub) + " unit " + std::to_string(unit) + hex(record, 12));
    }
    void onMechanismStatus(uint8_t s) override { events.push_back("mechanism " + std::to_string(s)); }
    void onTelemetryA(const uint8_t* record) override { events.push_back("A" + hex(record, CRADLE_TELEMETRY_A_SIZE)); }
    void onTelemetryB(const uint8_t* record) override { events.push_back("B" + hex(record, CRADLE_TELEMETRY_B_SIZE)); }
    void onParamWriteStatus(uint8_t s) override { events.push_back("write " + std::to_string(s)); }
    void onParamRead(uint8_t s, const uint16_t* values, size_t count) override {
        std::string line = "read " + std::to_string(s);
        for (size_t i = 0; i < count; ++i) line += " " + std::to_string(values[i]);
        events.push_back(line);
    }

private:
    static std::string hex(const uint8_t* data, size_t length) {
        static const char* digits = "0123456789abcdef";
        std::string out = " ";
        for (size_t i = 0; i < length; ++i) {
            out += digits[data[i] >> 4];
            out += digits[data[i] & 15];
        }
        return out;
    }
};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes reply(uint8_t command, std::vector<uint8_t> body) {
    const Frame frame = makeFrame(command, body);
    return Bytes(frame.begin(), frame.end());
}

Bytes longReply(uint8_t command, std::vector<uint8_t> body, const Bytes& extension) {
    return makeLongFrame(makeFrame(command, body), extension);
}

Bytes telemetryA(uint8_t seed) {
    std::vector<uint8_t> body(CRADLE_TELEMETRY_A_SIZE);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(seed + i);
    return reply(command::kTelemetryA, body);
}

struct Outcome {
    std::vector<std::string> events;
    ParserStats stats;
};

using Feeding = std::function<void(FrameParser&, const Bytes&)>;

// Every case must come out the same however the bytes are cut.
void expectSameForEveryFeeding(const Bytes& input, const std::function<void(const Outcome&)>& check) {
    auto run = [&](const Feeding& feed, const std::string& how) {
        SCOPED_TRACE(how);
        ReceiveRing ring;
        RecordingSink sink;
        FrameParser parser(ring, sink);
        feed(parser, input);
        check({sink.events, parser.stats()});
    };
    run([](FrameParser& p, const Bytes& b) { p.feed(b.data(), b.size()); }, "whole");
    run([](FrameParser& p, const Bytes& b) {
        for (uint8_t byte : b) p.feed(&byte, 1);
    }, "one byte at a time");
    for (size_t cut = 1; cut < input.size(); ++cut)
        run([cut](FrameParser& p, const Bytes& b) {
            p.feed(b.data(), cut);
            p.feed(b.data() + cut, b.size() - cut);
        }, "split at " + std::to_string(cut));
}

}  // namespace

TEST(ReceiveRing, OverflowKeepsTheNewestBytes) {
    ReceiveRing ring;
    for (int i = 0; i < 1100; ++i) ring.push(static_cast<uint8_t>(i));
    ASSERT_EQ(ring.available(), 1023u);
    EXPECT_EQ(ring.droppedByOverflow(), 77u);
    std::vector<uint8_t> out(1023);
    ASSERT_TRUE(ring.read(out.data(), out.size()));
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<uint8_t>(77 + i));
    EXPECT_FALSE(ring.read(out.data(), 1));
}

TEST(ReceiveRing, ReadWrapsAndConsumesNothingWhenShort) {
    ReceiveRing ring;
    uint8_t sink[1000];
    for (int i = 0; i < 1000; ++i) ring.push(0);
    ASSERT_TRUE(ring.read(sink, 1000));
    for (int i = 0; i < 40; ++i) ring.push(static_cast<uint8_t>(i));
    uint8_t out[41];
    EXPECT_FALSE(ring.read(out, 41));
    EXPECT_EQ(ring.available(), 40u);
    ASSERT_TRUE(ring.read(out, 40));
    for (int i = 0; i < 40; ++i) EXPECT_EQ(out[i], i);
}

TEST(Parser, NoiseBeforeAFrameIsSkipped) {
    expectSameForEveryFeeding(concat({{0x00, 0x11}, telemetryA(3)}), [](const Outcome& o) {
        ASSERT_EQ(o.events.size(), 1u);
        EXPECT_EQ(o.events[0], "A 030405060708090a0b0c0d0e0f101112131415");
    });
}

TEST(Parser, CorruptedFrameIsDroppedAndTheNextOneFiled) {
    Bytes bad = telemetryA(1);
    bad[10] ^= 0x01;
    expectSameForEveryFeeding(concat({bad, reply(command::kParamWrite, {0xF0})}), [](const Outcome& o) {
        EXPECT_EQ(o.events, std::vector<std::string>{"write 240"});
        EXPECT_EQ(o.stats.headCrcErrors, 1u);
    });
}

TEST(Parser, VersionExtensionInTwoPartsIsFiledOnceWhenComplete) {
    Bytes payload(25);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i + 1);
    const Bytes frame = longReply(command::kVersion, {25, 0}, payload);
    ReceiveRing ring;
    RecordingSink sink;
    FrameParser parser(ring, sink);
    parser.feed(frame.data(), 50);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(ring.available(), 50u);  // kept whole for the next attempt
    parser.feed(frame.data() + 50, frame.size() - 50);
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0], "version 25 0102030405060708090a0b0c0d0e0f10111213141516171819");
    EXPECT_EQ(ring.available(), 0u);

    expectSameForEveryFeeding(frame, [&](const Outcome& o) { EXPECT_EQ(o.events, sink.events); });
}

TEST(Parser, ParameterReadReplies) {
    const Bytes values = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x00};
    expectSameForEveryFeeding(
        concat({reply(command::kParamRead, {0xFD}), longReply(command::kParamRead, {3}, values),
                reply(command::kParamRead, {0xFE})}),
        [](const Outcome& o) {
            EXPECT_EQ(o.events, (std::vector<std::string>{"read 253", "read 3 4660 65535 0", "read 254"}));
        });
}

TEST(Parser, ControlReplyFansOutToEachAddressedUnit) {
    expectSameForEveryFeeding(reply(command::kControl, {0x01, 0x0C, 0x23, 7, 9, 8, 7, 6, 5, 4, 3, 2}),
                              [](const Outcome& o) {
                                  EXPECT_EQ(o.events, (std::vector<std::string>{
                                                          "control 35 unit 4 010c23070908070605040302",
                                                          "control 35 unit 8 010c23070908070605040302"}));
                              });
}

TEST(Parser, EveryStatusReplyReachesItsStore) {
    expectSameForEveryFeeding(
        concat({reply(command::kFirmRequest, {1}), reply(command::kFirmBlock, {0xFD}),
                reply(command::kMechanism, {0xF0}), reply(0x55, {1}), reply(command::kParamWrite, {0})}),
        [](const Outcome& o) {
            EXPECT_EQ(o.events, (std::vector<std::string>{"request 1", "block 253", "mechanism 240", "write 0"}));
            EXPECT_EQ(o.stats.ignored, 1u);
        });
}

TEST(Parser, OversizeRepliesAreDroppedWithoutHarm) {
    // Extensions of zeros: once the head is dropped they are skipped as noise.
    const Bytes longVersion = longReply(command::kVersion, {189, 0}, Bytes(189, 0));
    const Bytes hugeVersion = reply(command::kVersion, {0xFF, 0xFF});
    const Bytes tooManyValues = longReply(command::kParamRead, {31}, Bytes(62, 0));
    const Bytes allValues = reply(command::kParamRead, {0xFF});
    const Bytes subCommand40 = reply(command::kControl, {1, 2, 40});
    const Bytes good = reply(command::kParamWrite, {1});
    expectSameForEveryFeeding(concat({longVersion, hugeVersion, tooManyValues, allValues, subCommand40, good}),
                              [](const Outcome& o) {
                                  EXPECT_EQ(o.events, std::vector<std::string>{"write 1"});
                                  EXPECT_EQ(o.stats.oversizeDropped, 5u);
                              });
}

TEST(Parser, LargestRepliesStillFit) {
    const Bytes version = longReply(command::kVersion, {188, 0}, Bytes(188, 0x5A));
    const Bytes values = longReply(command::kParamRead, {30}, Bytes(60, 0x01));
    expectSameForEveryFeeding(concat({version, values}), [](const Outcome& o) {
        ASSERT_EQ(o.events.size(), 2u);
        EXPECT_EQ(o.events[0].substr(0, 12), "version 188 ");
        EXPECT_EQ(o.stats.oversizeDropped, 0u);
    });
}

TEST(Parser, ExtensionWithBadCrcIsDropped) {
    Bytes frame = longReply(command::kParamRead, {2}, {1, 0, 2, 0});
    frame[37] ^= 0x40;
    expectSameForEveryFeeding(concat({frame, telemetryA(0)}), [](const Outcome& o) {
        ASSERT_EQ(o.events.size(), 1u);
        EXPECT_EQ(o.events[0][0], 'A');
        EXPECT_EQ(o.stats.extensionCrcErrors, 1u);
    });
}

TEST(ReplyStores, ShortVersionPayloadLeavesNoOlderBytes) {
    ReplyStores stores;
    const Bytes full(kVersionStoreSize, 0xAA);
    stores.onVersion(full.data(), full.size());
    ASSERT_TRUE(stores.version.take());
    const uint8_t shortPayload[] = {1, 2, 3};
    stores.onVersion(shortPayload, sizeof shortPayload);
    const auto filed = stores.version.take();
    ASSERT_TRUE(filed);
    EXPECT_EQ(filed->bytes[2], 3);
    EXPECT_EQ(filed->bytes[3], 0);
    EXPECT_EQ(filed->bytes[kVersionStoreSize - 1], 0);
    EXPECT_FALSE(stores.version.take());  // each filing is taken once
}

TEST(ReplyStores, MechanismKeepsItsResultForUnknownStatuses) {
    MechanismStore store;
    store.file(0x42);  // unknown before any known status: the initial result
    EXPECT_EQ(store.reply.take(), 0);
    store.file(0xF0);
    EXPECT_EQ(store.reply.take(), 8);
    store.file(0x42);
    EXPECT_EQ(store.reply.take(), 8);
    store.file(0);
    EXPECT_EQ(store.reply.take(), 11);
    store.file(0xFF);
    EXPECT_EQ(store.reply.take(), 9);
    EXPECT_FALSE(store.reply.take());
    store.file(1);
    store.reply.clear();
    EXPECT_FALSE(store.reply.take());
}

TEST(ReplyStores, ControlTableEntriesAreIndependent) {
    ControlReplyTable table;
    const uint8_t record[12] = {0xF0, 4, 0x22, 3};
    table.file(0x22, 4, record);
    EXPECT_FALSE(table.entry(2, 0x22).take());
    EXPECT_FALSE(table.entry(8, 0x22).take());
    EXPECT_FALSE(table.entry(4, 0x23).take());
    const auto taken = table.entry(4, 0x22).take();
    ASSERT_TRUE(taken);
    EXPECT_EQ((*taken)[0], 0xF0);
    EXPECT_FALSE(table.entry(4, 0x22).take());
    table.file(0x22, 8, record);
    table.clear(0x22, 0x0C);
    EXPECT_FALSE(table.entry(8, 0x22).take());
    table.file(39, 2, record);  // the last entry exists
    EXPECT_TRUE(table.entry(2, 39).take());
    table.file(40, 2, record);  // beyond the table: ignored (and not written past it)
}

TEST(ReplyStores, StatusMapping) {
    EXPECT_EQ(mapControlStatus(1), 7);
    EXPECT_EQ(mapControlStatus(0xF0), 8);
    EXPECT_EQ(mapControlStatus(0xFF), 9);
    EXPECT_EQ(mapControlStatus(0), 11);
    EXPECT_EQ(mapControlStatus(2), 11);
}
