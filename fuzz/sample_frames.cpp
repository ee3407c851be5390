#include "sample_frames.h"

#include <array>

#include "parser.h"

namespace cradle::samples {
namespace {

constexpr uint8_t kUnitMx = 2;
constexpr uint8_t kUnitsMyMz = 0x0C;
constexpr size_t kVersionUnits = 4;
constexpr size_t kVersionEntryBytes = 6;

Bytes whole(const Frame& frame) { return Bytes(frame.begin(), frame.end()); }

Bytes statusReply(uint8_t command, uint8_t status) {
    const uint8_t body[] = {status};
    return whole(makeFrame(command, body));
}

Bytes versionReply() {
    // A count byte, then id, hardware, major, minor and two spare bytes per unit.
    const uint8_t ids[kVersionUnits] = {1, 2, 4, 8};
    std::array<uint8_t, 1 + kVersionUnits * kVersionEntryBytes> payload{uint8_t(kVersionUnits)};
    for (size_t u = 0; u < kVersionUnits; ++u) {
        uint8_t* entry = &payload[1 + u * kVersionEntryBytes];
        entry[0] = ids[u];
        entry[1] = 1;  // hardware
        entry[2] = 2;  // application major
        entry[3] = 3;  // ... and minor
    }
    Frame head = makeFrame(command::kVersion);
    putLe16(&head[kBodyOffset], uint16_t(payload.size()));
    sealFrame(head);
    return makeLongFrame(head, payload);
}

Bytes controlReply(uint8_t unitBits, uint8_t subCommand, uint8_t status, uint8_t item) {
    std::array<uint8_t, 4 + control::kDataBytes> body{status, unitBits, subCommand, item};
    for (size_t i = 0; i < control::kDataBytes; ++i) body[4 + i] = uint8_t(0x10 + i);
    return whole(makeFrame(command::kControl, body));
}

Bytes telemetry(uint8_t command, size_t length) {
    std::array<uint8_t, kBodySize> body{};
    for (size_t i = 0; i < length; ++i) body[i] = uint8_t(3 * i + 1);
    return whole(makeFrame(command, std::span<const uint8_t>(body.data(), length)));
}

Bytes parameterReadReply() {
    Bytes values;
    for (size_t i = 0; i < CRADLE_PARAM_MAX_COUNT; ++i) {
        uint8_t value[2];
        putLe16(value, uint16_t(1000 + i));
        values.insert(values.end(), value, value + 2);
    }
    const uint8_t body[] = {uint8_t(CRADLE_PARAM_MAX_COUNT)};
    return makeLongFrame(makeFrame(command::kParamRead, body), values);
}

}  // namespace

std::vector<NamedFrame> replyFrames() {
    return {
        {"version-reply", command::kVersion, versionReply()},
        {"firmware-request-accepted", command::kFirmRequest, statusReply(command::kFirmRequest, status::kDone)},
        {"firmware-block-accepted", command::kFirmBlock, statusReply(command::kFirmBlock, status::kDone)},
        {"control-write-accepted", command::kControl, controlReply(kUnitMx, control::kWriteItem, status::kAccepted, 1)},
        {"control-read-two-units", command::kControl, controlReply(kUnitsMyMz, control::kReadItem, status::kDone, 7)},
        {"control-calibration-done", command::kControl, controlReply(kUnitMx, control::kCalibrate, status::kDone, 0)},
        {"mechanism-accepted", command::kMechanism, statusReply(command::kMechanism, status::kAccepted)},
        {"telemetry-a", command::kTelemetryA, telemetry(command::kTelemetryA, CRADLE_TELEMETRY_A_SIZE)},
        {"telemetry-b", command::kTelemetryB, telemetry(command::kTelemetryB, CRADLE_TELEMETRY_B_SIZE)},
        {"parameter-write-accepted", command::kParamWrite, statusReply(command::kParamWrite, status::kDone)},
        {"parameter-read-reply", command::kParamRead, parameterReadReply()},
        {"parameter-read-refused", command::kParamRead, statusReply(command::kParamRead, status::kRefusedFD)},
    };
}

std::vector<NamedFrame> requestFrames() {
    std::array<uint8_t, 300> image{};
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7);
    const uint32_t imageCrc = crc32Mpeg2(image.data(), image.size());
    const size_t blocks = firmwareBlockCount(image.size());
    const std::array<uint8_t, control::kDataBytes> itemData{1, 2, 3, 4, 5, 6, 0, 0};
    const uint8_t numbers[] = {0, 5, 20};
    const uint16_t values[] = {4, 512, 65535};
    return {
        {"request-version", command::kVersion, whole(versionQuery())},
        {"request-firmware", command::kFirmRequest, whole(firmwareRequest(kUnitMx))},
        {"request-firmware-block", command::kFirmBlock, firmwareBlock(kUnitMx, image, imageCrc, 0, blocks)},
        {"request-firmware-closing-block", command::kFirmBlock,
         firmwareBlock(kUnitMx, image, imageCrc, blocks, blocks)},
        {"request-start-application", command::kStartApp, whole(startApplication())},
        {"request-config-write", command::kControl, whole(controlFrame(kUnitsMyMz, control::kWriteItem, 7, itemData))},
        {"request-calibration", command::kControl, whole(singleUnitControl(control::kCalibrate, 2))},
        {"request-mechanism", command::kMechanism, whole(mechanismFirmware())},
        {"request-parameter-write", command::kParamWrite, parameterWrite(numbers, values)},
        {"request-parameter-closing-write", command::kParamWrite, whole(parameterClosingWrite())},
        {"request-parameter-read", command::kParamRead, whole(parameterRead(numbers))},
    };
}

}  // namespace cradle::samples
