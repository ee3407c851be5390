// Frame layout, checksums and request builders of the gimbal protocol. Pure functions only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cradle {

constexpr size_t kFrameSize = 36;
constexpr size_t kCommandOffset = 2;
constexpr size_t kBodyOffset = 3;
constexpr size_t kBodySize = 31;
constexpr size_t kHeadCrcOffset = 34;
constexpr size_t kExtensionCrcSize = 2;
constexpr uint8_t kSyncFirst = 0xEB;
constexpr uint8_t kSyncSecond = 0x90;

namespace command {
constexpr uint8_t kVersion = 0x43;
constexpr uint8_t kFirmRequest = 0x44;
constexpr uint8_t kFirmBlock = 0x45;
constexpr uint8_t kStartApp = 0x46;
constexpr uint8_t kControl = 0x4D;
constexpr uint8_t kMechanism = 0x4E;
constexpr uint8_t kTelemetryA = 0x6B;
constexpr uint8_t kTelemetryB = 0x6C;
constexpr uint8_t kParamWrite = 0x72;
constexpr uint8_t kParamRead = 0x73;
}  // namespace command

namespace control {
constexpr uint8_t kWriteItem = 0x22;
constexpr uint8_t kReadItem = 0x23;
constexpr uint8_t kSave = 0x24;
constexpr uint8_t kCalibrate = 0x25;
constexpr uint8_t kStop = 0x26;
constexpr uint8_t kStart = 0x27;
constexpr size_t kDataBytes = 8;
constexpr size_t kReplyRecordSize = 12;  // head bytes 3..14
constexpr size_t kRecordItem = 3;        // the item number a configuration reply echoes (frame byte 6)
constexpr size_t kRecordData = 4;        // its eight data bytes (frame bytes 7..14)
}  // namespace control

// Status byte 3 of replies. A status is what the device said; the result codes of the exports
// (CradleResult in Cradle.h) are what the library makes of it.
namespace status {
constexpr uint8_t kNothingYet = 0;
constexpr uint8_t kDone = 1;         // control and mechanism: done; firmware request: accepted
constexpr uint8_t kAccepted = 0xF0;  // control and mechanism: accepted, in progress
constexpr uint8_t kRefusedFD = 0xFD;
constexpr uint8_t kRefusedFE = 0xFE;
constexpr uint8_t kRefusedFF = 0xFF;
constexpr uint8_t kError = 0xFF;     // control and mechanism
}  // namespace status

constexpr size_t kFirmBlockBytes = 256;
constexpr size_t kMaxFirmBlocks = 65535;  // the block number is 16-bit
constexpr uint8_t kFirmBlockData = 1;
constexpr uint8_t kFirmBlockClosing = 2;
constexpr size_t kParamPageSize = 30;  // also the most values one read reply carries
constexpr uint8_t kParamClosingMark = 0xFF;

using Frame = std::array<uint8_t, kFrameSize>;
using Bytes = std::vector<uint8_t>;

// CRC-16/ARC: reflected 0x8005, init 0, no final XOR.
uint16_t crc16(const uint8_t* data, size_t length);
// CRC-32/MPEG-2: 0x04C11DB7 MSB first, init 0xFFFFFFFF, no reflection, no final XOR.
uint32_t crc32Mpeg2(const uint8_t* data, size_t length);

void putLe16(uint8_t* at, uint16_t value);
void putLe32(uint8_t* at, uint32_t value);
uint16_t getLe16(const uint8_t* at);

// A zeroed frame with header, command, the body at offset 3 (at most 31 bytes) and the head CRC.
Frame makeFrame(uint8_t command, std::span<const uint8_t> body = {});
// Recomputes the head CRC after the body has been edited in place.
void sealFrame(Frame& frame);
// Head followed by the extension and the extension's own CRC-16.
Bytes makeLongFrame(const Frame& head, std::span<const uint8_t> extension);
bool headCrcValid(const uint8_t* frame);

Frame versionQuery();
Frame firmwareRequest(uint32_t unitCode);
Frame startApplication();
Frame mechanismFirmware();
// Data block `index` (0-based) of `blockCount`, or the closing block when index == blockCount.
Bytes firmwareBlock(uint32_t unitCode, std::span<const uint8_t> image, uint32_t imageCrc,
                    size_t index, size_t blockCount);
size_t firmwareBlockCount(size_t imageLength);
Frame controlFrame(uint8_t unitBits, uint8_t subCommand, uint8_t item,
                   std::span<const uint8_t, control::kDataBytes> data);
// Calibrate, start and stop: addressed to the unit with bit 2 only; `argument` goes to byte 7.
Frame singleUnitControl(uint8_t subCommand, uint8_t argument = 0);
// One page (1..30 parameters): long frame, or the bare head if the page is empty.
Bytes parameterWrite(std::span<const uint8_t> numbers, std::span<const uint16_t> values);
Frame parameterClosingWrite();
Frame parameterRead(std::span<const uint8_t> numbers);

}  // namespace cradle
