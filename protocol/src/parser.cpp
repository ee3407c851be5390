#include "parser.h"

#include <array>

#include "frame.h"

namespace cradle {
namespace {
constexpr uint8_t kUnitBits[] = {2, 4, 8};
}

FrameParser::Extension FrameParser::readExtension(uint8_t* destination, size_t length) {
    uint8_t crc[kExtensionCrcSize];
    if (!ring_.read(destination, length) || !ring_.read(crc, sizeof crc)) {
        ring_.rewindToFrameStart();
        return Extension::Incomplete;
    }
    if (crc16(destination, length) != getLe16(crc)) {
        ++stats_.extensionCrcErrors;
        return Extension::BadCrc;
    }
    return Extension::Filed;
}

bool FrameParser::step() {
    if (ring_.available() < kFrameSize) return false;
    if (!ring_.synchronise()) return false;
    ring_.markFrameStart();
    std::array<uint8_t, kFrameSize> head;
    if (!ring_.read(head.data(), head.size())) return false;
    if (!headCrcValid(head.data())) {
        ++stats_.headCrcErrors;
        return true;  // dropped whole; the search goes on behind it
    }
    bool incomplete = false;
    dispatch(head.data(), incomplete);
    return !incomplete;
}

void FrameParser::dispatch(const uint8_t* head, bool& incomplete) {
    const uint8_t statusByte = head[3];
    switch (head[kCommandOffset]) {
    case command::kVersion: {
        // An oversize payload is dropped at its head; its extension is then skipped as noise.
        const size_t length = getLe16(head + 3);
        if (length > kVersionStoreSize) {
            ++stats_.oversizeDropped;
            sink_.onReplyLost(command::kVersion);
            return;
        }
        std::array<uint8_t, kVersionStoreSize> payload{};
        const Extension result = readExtension(payload.data(), length);
        incomplete = result == Extension::Incomplete;
        if (result == Extension::BadCrc) sink_.onReplyLost(command::kVersion);
        if (result != Extension::Filed) return;
        sink_.onVersion(payload.data(), length);
        break;
    }
    case command::kFirmRequest:
        sink_.onFirmRequestStatus(statusByte);
        break;
    case command::kFirmBlock:
        sink_.onFirmBlockStatus(statusByte);
        break;
    case command::kControl: {
        const uint8_t subCommand = head[5];
        if (subCommand >= kControlSubCommands) {
            ++stats_.oversizeDropped;
            return;
        }
        for (uint8_t unit : kUnitBits)
            if (head[4] & unit) sink_.onControlReply(subCommand, unit, head + 3);
        break;
    }
    case command::kMechanism:
        sink_.onMechanismStatus(statusByte);
        break;
    case command::kTelemetryA:
        sink_.onTelemetryA(head + 3);
        break;
    case command::kTelemetryB:
        sink_.onTelemetryB(head + 3);
        break;
    case command::kParamWrite:
        sink_.onParamWriteStatus(statusByte);
        break;
    case command::kParamRead: {
        if (statusByte == status::kRefusedFD || statusByte == status::kRefusedFE) {
            sink_.onParamRead(statusByte, nullptr, 0);
            break;
        }
        if (statusByte > kParamPageSize) {
            ++stats_.oversizeDropped;
            sink_.onReplyLost(command::kParamRead);
            return;
        }
        std::array<uint8_t, 2 * kParamPageSize> raw{};
        const Extension result = readExtension(raw.data(), 2u * statusByte);
        incomplete = result == Extension::Incomplete;
        if (result == Extension::BadCrc) sink_.onReplyLost(command::kParamRead);
        if (result != Extension::Filed) return;
        std::array<uint16_t, kParamPageSize> values{};
        for (size_t i = 0; i < statusByte; ++i) values[i] = getLe16(&raw[2 * i]);
        sink_.onParamRead(statusByte, values.data(), statusByte);
        break;
    }
    default:
        ++stats_.ignored;
        return;
    }
    ++stats_.framesFiled;
}

bool FrameParser::dropPartialFrame() {
    if (ring_.available() == 0) return false;
    // A head that passed its check is skipped whole: behind it lie only the extension bytes that came.
    // Fewer bytes than a head (or noise) are all dropped: nothing newer has arrived behind them.
    std::array<uint8_t, kFrameSize> head;
    if (ring_.synchronise() && ring_.read(head.data(), head.size())) {
        if (headCrcValid(head.data())) sink_.onReplyLost(head[kCommandOffset]);
    } else {
        ring_.discard(ring_.available());
    }
    ++stats_.cutFramesDropped;
    drain();
    return true;
}

void FrameParser::feed(const uint8_t* data, size_t length) {
    while (length > 0) {
        size_t room = ring_.freeSpace();
        if (room == 0) {
            // A ring full of bytes that cannot make a frame: let overflow drop the oldest.
            room = 1;
        }
        const size_t chunk = room < length ? room : length;
        for (size_t i = 0; i < chunk; ++i) ring_.push(data[i]);
        data += chunk;
        length -= chunk;
        drain();
    }
}

}  // namespace cradle
