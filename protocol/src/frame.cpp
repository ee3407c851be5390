#include "frame.h"

#include <algorithm>
#include <cassert>

namespace cradle {
namespace {

constexpr uint16_t kCrc16ReflectedPoly = 0xA001;
constexpr uint32_t kCrc32Poly = 0x04C11DB7;
constexpr uint32_t kCrc32Init = 0xFFFFFFFF;
constexpr uint8_t kSingleUnitBits = 2;

constexpr std::array<uint16_t, 256> makeCrc16Table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ kCrc16ReflectedPoly) : static_cast<uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<uint32_t, 256> makeCrc32Table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ kCrc32Poly : crc << 1;
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrc16Table = makeCrc16Table();
constexpr auto kCrc32Table = makeCrc32Table();

}  // namespace

uint16_t crc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrc16Table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

uint32_t crc32Mpeg2(const uint8_t* data, size_t length) {
    uint32_t crc = kCrc32Init;
    for (size_t i = 0; i < length; ++i)
        crc = (crc << 8) ^ kCrc32Table[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

void putLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void putLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t getLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

void sealFrame(Frame& frame) {
    frame[0] = kSyncFirst;
    frame[1] = kSyncSecond;
    putLe16(&frame[kHeadCrcOffset], crc16(frame.data(), kHeadCrcOffset));
}

Frame makeFrame(uint8_t command, std::span<const uint8_t> body) {
    assert(body.size() <= kBodySize);
    Frame frame{};
    frame[kCommandOffset] = command;
    std::copy_n(body.begin(), std::min(body.size(), kBodySize), frame.begin() + kBodyOffset);
    sealFrame(frame);
    return frame;
}

Bytes makeLongFrame(const Frame& head, std::span<const uint8_t> extension) {
    Bytes out(head.begin(), head.end());
    out.insert(out.end(), extension.begin(), extension.end());
    uint8_t crc[kExtensionCrcSize];
    putLe16(crc, crc16(extension.data(), extension.size()));
    out.insert(out.end(), crc, crc + kExtensionCrcSize);
    return out;
}

bool headCrcValid(const uint8_t* frame) {
    return crc16(frame, kHeadCrcOffset) == getLe16(frame + kHeadCrcOffset);
}

Frame versionQuery() { return makeFrame(command::kVersion); }

Frame firmwareRequest(uint32_t unitCode) {
    uint8_t body[4];
    putLe32(body, unitCode);
    return makeFrame(command::kFirmRequest, body);
}

Frame startApplication() { return makeFrame(command::kStartApp); }

Frame mechanismFirmware() { return makeFrame(command::kMechanism); }

size_t firmwareBlockCount(size_t imageLength) {
    return (imageLength + kFirmBlockBytes - 1) / kFirmBlockBytes;
}

Bytes firmwareBlock(uint32_t unitCode, std::span<const uint8_t> image, uint32_t imageCrc,
                    size_t index, size_t blockCount) {
    const bool closing = index >= blockCount;
    const size_t offset = index * kFirmBlockBytes;
    const size_t bytes = closing ? 0 : std::min(kFirmBlockBytes, image.size() - offset);
    Frame head{};
    head[kCommandOffset] = command::kFirmBlock;
    head[3] = closing ? kFirmBlockClosing : kFirmBlockData;
    putLe32(&head[4], unitCode);
    putLe32(&head[8], static_cast<uint32_t>(image.size()));
    putLe32(&head[12], imageCrc);
    putLe16(&head[18], static_cast<uint16_t>(closing ? blockCount : index + 1));
    putLe16(&head[20], static_cast<uint16_t>(bytes));
    sealFrame(head);
    if (closing) return Bytes(head.begin(), head.end());
    return makeLongFrame(head, image.subspan(offset, bytes));
}

Frame controlFrame(uint8_t unitBits, uint8_t subCommand, uint8_t item,
                   std::span<const uint8_t, control::kDataBytes> data) {
    Frame frame{};
    frame[kCommandOffset] = command::kControl;
    frame[4] = unitBits;
    frame[5] = subCommand;
    frame[6] = item;
    std::copy(data.begin(), data.end(), frame.begin() + 7);
    sealFrame(frame);
    return frame;
}

Frame singleUnitControl(uint8_t subCommand, uint8_t argument) {
    std::array<uint8_t, control::kDataBytes> data{};
    data[0] = argument;
    return controlFrame(kSingleUnitBits, subCommand, 0, data);
}

Bytes parameterWrite(std::span<const uint8_t> numbers, std::span<const uint16_t> values) {
    assert(numbers.size() <= kParamPageSize && values.size() == numbers.size());
    Frame head{};
    head[kCommandOffset] = command::kParamWrite;
    head[3] = static_cast<uint8_t>(numbers.size());
    std::copy(numbers.begin(), numbers.end(), head.begin() + 4);
    sealFrame(head);
    if (numbers.empty()) return Bytes(head.begin(), head.end());
    Bytes extension(values.size() * 2);
    for (size_t i = 0; i < values.size(); ++i) putLe16(&extension[2 * i], values[i]);
    return makeLongFrame(head, extension);
}

Frame parameterClosingWrite() {
    const uint8_t body[] = {kParamClosingMark};
    return makeFrame(command::kParamWrite, body);
}

Frame parameterRead(std::span<const uint8_t> numbers) {
    assert(numbers.size() <= kParamPageSize);
    Frame frame{};
    frame[kCommandOffset] = command::kParamRead;
    frame[3] = static_cast<uint8_t>(numbers.size());
    std::copy(numbers.begin(), numbers.end(), frame.begin() + 4);
    sealFrame(frame);
    return frame;
}

}  // namespace cradle
