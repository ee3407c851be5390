// Fuzz target: arbitrary bytes into the receive ring and the frame parser, filed into the real stores.
// Checks the bounds the parser promises its sink and that the same replies are filed however the
// bytes are cut into pieces; ASan and UBSan catch the rest. Mutations mostly keep the frames' CRCs
// valid (frame_sealer.h), so lengths and counts are fuzzed past the CRC checks.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "frame_sealer.h"
#include "parser.h"
#include "stores.h"

namespace {

constexpr size_t kOddChunkSpread = 61;  // a chunk size that varies with the input's length

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "parser fuzz: %s\n", what);
    std::abort();
}

constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

// Checks every filing against the parser's promises, then files it into the library's own stores.
// The digest sums up what was filed, in order, so passes over the same bytes can be compared.
class CheckingSink final : public cradle::ReplySink {
public:
    void onVersion(const uint8_t* payload, size_t length) override {
        if (length > cradle::kVersionStoreSize || (length > 0 && !payload)) broken("version payload beyond its store");
        mix(cradle::command::kVersion, payload, length);
        stores.onVersion(payload, length);
    }
    void onFirmRequestStatus(uint8_t status) override {
        mix(cradle::command::kFirmRequest, &status, 1);
        stores.onFirmRequestStatus(status);
    }
    void onFirmBlockStatus(uint8_t status) override {
        mix(cradle::command::kFirmBlock, &status, 1);
        stores.onFirmBlockStatus(status);
    }
    void onControlReply(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) override {
        if (subCommand >= cradle::kControlSubCommands) broken("control sub-command beyond the table");
        if (unitBit != 2 && unitBit != 4 && unitBit != 8) broken("control reply for no unit");
        if (record[2] != subCommand) broken("control record of another sub-command");
        mix(cradle::command::kControl, &unitBit, 1);
        mix(cradle::command::kControl, record, cradle::control::kReplyRecordSize);
        stores.onControlReply(subCommand, unitBit, record);
        stores.control.entry(unitBit, subCommand).take();
    }
    void onMechanismStatus(uint8_t status) override {
        mix(cradle::command::kMechanism, &status, 1);
        stores.onMechanismStatus(status);
    }
    void onTelemetryA(const uint8_t* record) override {
        mix(cradle::command::kTelemetryA, record, CRADLE_TELEMETRY_A_SIZE);
        stores.onTelemetryA(record);
    }
    void onTelemetryB(const uint8_t* record) override {
        mix(cradle::command::kTelemetryB, record, CRADLE_TELEMETRY_B_SIZE);
        stores.onTelemetryB(record);
    }
    void onParamWriteStatus(uint8_t status) override {
        mix(cradle::command::kParamWrite, &status, 1);
        stores.onParamWriteStatus(status);
    }
    void onParamRead(uint8_t status, const uint16_t* values, size_t count) override {
        if (count > cradle::kParamPageSize) broken("parameter values beyond the store");
        if (count > 0 && !values) broken("parameter values missing");
        const bool refused = status == cradle::status::kRefusedFD || status == cradle::status::kRefusedFE;
        if (refused ? count != 0 : count != status) broken("parameter count differs from the reply's");
        mix(cradle::command::kParamRead, &status, 1);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t value[2] = {uint8_t(values[i]), uint8_t(values[i] >> 8)};
            mix(cradle::command::kParamRead, value, sizeof value);
        }
        stores.onParamRead(status, values, count);
    }

    cradle::ReplyStores stores;
    uint64_t digest = kFnvOffset;

private:
    void mix(uint8_t kind, const uint8_t* bytes, size_t length) {
        digest = (digest ^ kind) * kFnvPrime;
        for (size_t i = 0; i < length; ++i) digest = (digest ^ bytes[i]) * kFnvPrime;
    }
};

// One pass over the input, arriving in pieces of `chunk` bytes, or (0) pushed without parsing.
uint64_t parseOnce(const uint8_t* data, size_t size, size_t chunk) {
    cradle::ReceiveRing ring;
    CheckingSink sink;
    cradle::FrameParser parser(ring, sink);
    if (chunk == 0) {
        // A parser that fell behind: the ring keeps only the newest bytes.
        for (size_t i = 0; i < size; ++i) ring.push(data[i]);
        parser.drain();
    } else {
        for (size_t at = 0; at < size; at += chunk) parser.feed(data + at, std::min(chunk, size - at));
    }
    if (ring.available() > cradle::ReceiveRing::kCapacity) broken("ring holds more than its capacity");
    const cradle::ParserStats& stats = parser.stats();
    const uint64_t frames =
        stats.framesFiled + stats.headCrcErrors + stats.extensionCrcErrors + stats.oversizeDropped + stats.ignored;
    if (frames * cradle::kFrameSize > size) broken("more frames taken than the input could hold");
    return sink.digest;
}

}  // namespace

// The same bytes whole, one at a time, in odd pieces and unparsed until overflow: a frame must be
// read the same however the line cuts it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint64_t whole = parseOnce(data, size, size == 0 ? 1 : size);
    if (parseOnce(data, size, 1) != whole) broken("byte by byte files other replies than the whole input");
    if (parseOnce(data, size, 2 + size % kOddChunkSpread) != whole)
        broken("pieces file other replies than the whole input");
    parseOnce(data, size, 0);
    return 0;
}

#ifdef CRADLE_LIBFUZZER
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// One mutation in eight keeps its broken CRCs, so the drop paths stay covered too.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 8 != 0) cradle::fuzzing::sealFrames(data, size);
    return size;
}
#endif
