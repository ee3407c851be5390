// Frame parser: takes frames out of the receive ring and files replies into a sink. No threads, no OS.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Cradle.h"
#include "ring.h"

namespace cradle {

// Room of the stores: the version payload, the values of one read reply, the control sub-commands.
constexpr size_t kVersionStoreSize = CRADLE_VERSION_BUFFER_SIZE;
constexpr size_t kControlSubCommands = 40;

// Where the parser files what it finds; the reply stores implement it, tests record with it.
class ReplySink {
public:
    virtual ~ReplySink() = default;
    virtual void onVersion(const uint8_t* payload, size_t length) = 0;
    virtual void onFirmRequestStatus(uint8_t status) = 0;
    virtual void onFirmBlockStatus(uint8_t status) = 0;
    // One call per addressed unit (bit 2, 4 or 8); record = head bytes 3..14.
    virtual void onControlReply(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) = 0;
    virtual void onMechanismStatus(uint8_t status) = 0;
    virtual void onTelemetryA(const uint8_t* record) = 0;
    virtual void onTelemetryB(const uint8_t* record) = 0;
    virtual void onParamWriteStatus(uint8_t status) = 0;
    // status is the count of values, or a refusal (0xFD/0xFE) with no values.
    virtual void onParamRead(uint8_t status, const uint16_t* values, size_t count) = 0;
    // A reply of this command came but cannot be used (extension cut off, failing its check, or too
    // long for its store): it still answered its request.
    virtual void onReplyLost(uint8_t /*command*/) {}
};

struct ParserStats {
    uint64_t framesFiled = 0;
    uint64_t headCrcErrors = 0;
    uint64_t extensionCrcErrors = 0;
    uint64_t oversizeDropped = 0;  // replies announcing more than their store can hold
    uint64_t ignored = 0;          // unknown commands
    uint64_t cutFramesDropped = 0; // frames whose rest never came (dropPartialFrame)
};

class FrameParser {
public:
    FrameParser(ReceiveRing& ring, ReplySink& sink) : ring_(ring), sink_(sink) {}

    // Takes one frame out of the ring if one can be taken; false when more bytes are needed.
    bool step();
    // Parses everything the ring holds right now.
    void drain() {
        while (step()) {}
    }
    // For the owner to call when the line has been silent for a while with bytes left unparsed: the
    // frame they begin was cut off and its rest will never come. Drops its head (or the bytes of a head
    // cut short) so the next head is found, and parses what follows; false when nothing was left.
    bool dropPartialFrame();
    // Pushes bytes into the ring and parses as it goes, so no input is lost to overflow.
    void feed(const uint8_t* data, size_t length);
    const ParserStats& stats() const { return stats_; }

private:
    enum class Extension { Filed, Incomplete, BadCrc };
    Extension readExtension(uint8_t* destination, size_t length);
    void dispatch(const uint8_t* head, bool& incomplete);

    ReceiveRing& ring_;
    ReplySink& sink_;
    ParserStats stats_;
};

}  // namespace cradle
