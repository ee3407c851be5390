#include "device_model.h"

#include <algorithm>

#include "gimbalsim/DemoMarker.h"

namespace gimbalsim {
namespace {

using wire::get16;
using wire::get32;

constexpr uint8_t kUnitIfb = 1, kUnitMx = 2, kUnitMy = 4, kUnitMz = 8;
constexpr uint8_t kDefaultHardware = 1;
constexpr uint8_t kDefaultMajor = 1, kDefaultMinor = 0;
constexpr uint8_t kBlockData = 1, kBlockClosing = 2;
constexpr uint32_t kMaxBlocks = 0xFFFF;  // the block number is 16-bit
constexpr int kNone = -1;

// Camera module 4 (infrared with temperature measurement), S-BUS, mounted below, mode switch, iron red,
// functions on channels 0..7, none reversed.
constexpr uint16_t kDefaultCameraModule = 4;
constexpr int kFirstMapping = 5, kFirstDirection = 13, kFunctions = 8;
constexpr uint16_t kDirectionNormal = 1;

struct ConfigItem {
    uint8_t unitBits;
    int positions[8];
};
constexpr ConfigItem kConfigItemTable[kConfigItems] = {
    {2, {0, 1, 2, 3, 4, 5, kNone, kNone}},
    {2, {6, 7, 8, 9, 10, 11, kNone, kNone}},
    {4, {12, 13, 14, 15, 16, 17, kNone, kNone}},
    {4, {18, 19, 20, 21, kNone, kNone, kNone, kNone}},
    {8, {22, 23, 24, 25, 26, 27, kNone, kNone}},
    {8, {28, 29, 30, 31, kNone, kNone, kNone, kNone}},
    {12, {32, 33, 34, 35, 36, 37, kNone, kNone}},
};
constexpr size_t kControlDataOffset = 7;

}  // namespace

int calibrationDurationMs(int type) {
    switch (type) {
    case 1: case 2: case 3: case 5: return 3000;
    case 4: return 20000;  // the electrical angle calibration turns every motor through a full cycle
    default: return -1;    // type 0 never reports done; others are refused
    }
}

DeviceModel::DeviceModel(const Options& options) : timeScale_(options.timeScale), units_(options.units) {
    if (units_.empty())
        for (uint8_t id : {kUnitIfb, kUnitMx, kUnitMy, kUnitMz}) units_.push_back({id, kDefaultHardware, kDefaultMajor, kDefaultMinor});
    if (units_.size() > kMaxUnits) units_.resize(kMaxUnits);
    parameters_[0] = kDefaultCameraModule;
    parameters_[1] = parameters_[2] = parameters_[3] = 1;
    for (int f = 0; f < kFunctions; ++f) {
        parameters_[size_t(kFirstMapping + f)] = uint16_t(f);
        parameters_[size_t(kFirstDirection + f)] = kDirectionNormal;
    }
    for (size_t i = 0; i < kConfigRecordBytes; ++i) config_[i] = uint8_t(10 + 3 * i);
    savedConfig_ = config_;
}

std::vector<uint8_t> DeviceModel::versionPayload() const {
    std::vector<uint8_t> payload{uint8_t(units_.size())};
    for (const UnitVersion& u : units_) {
        const uint8_t entry[kVersionEntryBytes] = {u.id, u.hardware, u.appMajor, u.appMinor, 0, 0};
        payload.insert(payload.end(), entry, entry + kVersionEntryBytes);
    }
    return payload;
}

uint16_t DeviceModel::parameter(int number) const {
    return number >= 0 && number < kParameterCount ? parameters_[size_t(number)] : 0;
}

void DeviceModel::setParameter(int number, uint16_t value) {
    if (number >= 0 && number < kParameterCount) parameters_[size_t(number)] = value;
}

std::vector<uint8_t> DeviceModel::firmwareImage(uint32_t unitCode) const {
    auto it = images_.find(unitCode);
    return it == images_.end() ? std::vector<uint8_t>{} : it->second;
}

bool DeviceModel::infraredCamera() const { return parameters_[0] == 1 || parameters_[0] == 4; }

std::optional<Fault> DeviceModel::takeFault(uint8_t command, std::optional<std::pair<uint8_t, uint8_t>> controlKey) {
    auto consume = [](auto& table, auto key) -> std::optional<Fault> {
        auto it = table.find(key);
        if (it == table.end()) return std::nullopt;
        Fault fault = it->second;
        if (it->second.count > 0 && --it->second.count == 0) table.erase(it);
        if (fault.count == 0) return std::nullopt;
        return fault;
    };
    if (controlKey)
        if (auto fault = consume(controlFaults_, *controlKey)) return fault;
    return consume(faults_, command);
}

std::optional<Outgoing> DeviceModel::finish(uint8_t command, std::optional<std::pair<uint8_t, uint8_t>> controlKey,
                                            wire::Head head, const std::vector<uint8_t>* extension, int delayMs) {
    Outgoing out;
    out.delayMs = delayMs;
    const std::optional<Fault> fault = takeFault(command, controlKey);
    if (fault) {
        if (fault->silent) return std::nullopt;
        // The version reply's byte 3 is its length, not a status: a status fault leaves it alone.
        if (fault->status >= 0 && command != wire::cmd::kVersion) {
            head[3] = uint8_t(fault->status);
            if (command == wire::cmd::kParameterRead) extension = nullptr;  // a refusal carries no values
        }
        out.delayMs += std::max(0, fault->delayMs);
        out.noiseBytes = std::max(0, fault->noiseBytes);
        out.split = fault->split;
    }
    wire::sealHead(head);
    if (fault && fault->corruptCrc) head[wire::kHeadCrcOffset] ^= 0x01;
    out.bytes = extension ? wire::withExtension(head, *extension) : std::vector<uint8_t>(head.begin(), head.end());
    return out;
}

void DeviceModel::append(ModelResult& result, std::optional<Outgoing> reply) {
    if (reply) result.replies.push_back(std::move(*reply));
}

ModelResult DeviceModel::handle(const wire::Request& request) {
    ModelResult result;
    const uint8_t command = request.command();
    switch (command) {
    case wire::cmd::kVersion: {
        const std::vector<uint8_t> payload = versionPayload();
        wire::Head head = wire::makeHead(command);
        wire::put16(&head[3], uint16_t(payload.size()));
        append(result, finish(command, std::nullopt, head, &payload));
        break;
    }
    case wire::cmd::kFirmwareRequest:
    case wire::cmd::kFirmwareBlock: {
        wire::Head head = wire::makeHead(command);
        head[3] = command == wire::cmd::kFirmwareRequest ? firmwareRequest(request) : firmwareBlock(request);
        append(result, finish(command, std::nullopt, head, nullptr));
        break;
    }
    case wire::cmd::kStartApplication:
        reboot();
        result.rebooted = true;
        break;
    case wire::cmd::kMechanismFirmware: {
        wire::Head head = wire::makeHead(command);
        head[3] = status::kDone;
        append(result, finish(command, std::nullopt, head, nullptr));
        break;
    }
    case wire::cmd::kParameterWrite: return parameterWrite(request);
    case wire::cmd::kParameterRead: return parameterRead(request);
    case wire::cmd::kControl: return control(request);
    default: break;  // not a request the gimbal knows: ignored, as on the device
    }
    return result;
}

uint8_t DeviceModel::firmwareRequest(const wire::Request& request) {
    const uint32_t unit = get32(&request.head[3]);
    const bool known = std::any_of(units_.begin(), units_.end(), [&](const UnitVersion& u) { return u.id == unit; });
    if (!known) return status::kError;
    transfer_ = Transfer{};
    transfer_.requested = true;
    transfer_.unit = unit;
    return status::kDone;
}

uint8_t DeviceModel::firmwareBlock(const wire::Request& request) {
    const auto& h = request.head;
    const uint8_t kind = h[3];
    const uint32_t unit = get32(&h[4]);
    const uint32_t length = get32(&h[8]);
    const uint32_t crc = get32(&h[12]);
    const uint32_t number = get16(&h[18]);
    const uint32_t bytes = get16(&h[20]);
    if (!transfer_.requested || unit != transfer_.unit) return status::kRefusedFE;
    if (length == 0 || (uint64_t(length) + wire::kMaxBlockBytes - 1) / wire::kMaxBlockBytes > kMaxBlocks) return status::kRefusedFE;
    const uint32_t count = uint32_t((uint64_t(length) + wire::kMaxBlockBytes - 1) / wire::kMaxBlockBytes);

    if (kind == kBlockData) {
        if (number == 1) {  // the first block (re)starts the transfer
            transfer_.started = true;
            transfer_.length = length;
            transfer_.crc = crc;
            transfer_.nextBlock = 1;
            transfer_.image.clear();
        }
        if (!transfer_.started || number != transfer_.nextBlock || length != transfer_.length || crc != transfer_.crc)
            return status::kRefusedFE;
        const uint32_t expected = std::min<uint32_t>(wire::kMaxBlockBytes, length - (number - 1) * uint32_t(wire::kMaxBlockBytes));
        if (number > count || bytes != expected || request.extension.size() != bytes) return status::kRefusedFE;
        if (!request.extensionCrcOk) return status::kRefusedFD;
        transfer_.image.insert(transfer_.image.end(), request.extension.begin(), request.extension.end());
        ++transfer_.nextBlock;
        return status::kDone;
    }
    if (kind == kBlockClosing) {
        if (!transfer_.started || number != count || transfer_.nextBlock != count + 1 || bytes != 0 ||
            length != transfer_.length || crc != transfer_.crc || transfer_.image.size() != length)
            return status::kRefusedFE;
        if (wire::crc32(transfer_.image.data(), transfer_.image.size()) != crc) {
            transfer_ = Transfer{};
            return status::kError;
        }
        images_[unit] = std::move(transfer_.image);
        awaitingBoot_.insert(unit);
        transfer_ = Transfer{};
        return status::kDone;
    }
    return status::kRefusedFE;
}

void DeviceModel::reboot() {
    ++startApplicationCount_;
    // Units that took an image carrying a demo version now report it.
    for (uint32_t unit : awaitingBoot_) {
        const auto marker = findDemoMarker(images_[unit]);
        if (!marker || marker->unit != unit) continue;
        for (UnitVersion& u : units_)
            if (u.id == unit) {
                u.appMajor = marker->major;
                u.appMinor = marker->minor;
            }
    }
    awaitingBoot_.clear();
    transfer_ = Transfer{};
}

ModelResult DeviceModel::parameterWrite(const wire::Request& request) {
    ModelResult result;
    const uint8_t command = request.command();
    wire::Head head = wire::makeHead(command);
    const size_t n = request.head[3];
    if (n == wire::kParameterClosingWrite) {
        head[3] = status::kDone;
    } else if (n == 0 || n > wire::kMaxParametersPerPage || request.extension.size() != 2 * n || !request.extensionCrcOk) {
        head[3] = status::kRefusedFE;
    } else {
        const uint8_t* numbers = &request.head[4];
        const bool known = std::all_of(numbers, numbers + n, [](uint8_t p) { return p < kParameterCount; });
        if (known) {
            // Looked at, not taken: the reply below takes it and counts it.
            const auto fault = faults_.find(command);
            const uint16_t skew = fault != faults_.end() && fault->second.storeOther && fault->second.count != 0 ? 1 : 0;
            for (size_t i = 0; i < n; ++i) parameters_[numbers[i]] = uint16_t(get16(&request.extension[2 * i]) + skew);
            head[3] = status::kDone;
        } else {
            head[3] = status::kRefusedFD;  // nothing written: a page is taken whole or not at all
        }
    }
    append(result, finish(command, std::nullopt, head, nullptr));
    return result;
}

ModelResult DeviceModel::parameterRead(const wire::Request& request) {
    ModelResult result;
    const uint8_t command = request.command();
    wire::Head head = wire::makeHead(command);
    const size_t n = request.head[3];
    const uint8_t* numbers = &request.head[4];
    if (n == 0 || n > wire::kMaxParametersPerPage) {
        head[3] = status::kRefusedFE;
        append(result, finish(command, std::nullopt, head, nullptr));
    } else if (!std::all_of(numbers, numbers + n, [](uint8_t p) { return p < kParameterCount; })) {
        head[3] = status::kRefusedFD;
        append(result, finish(command, std::nullopt, head, nullptr));
    } else {
        head[3] = uint8_t(n);
        std::vector<uint8_t> values(2 * n);
        for (size_t i = 0; i < n; ++i) wire::put16(&values[2 * i], parameters_[numbers[i]]);
        append(result, finish(command, std::nullopt, head, &values));
    }
    return result;
}

ModelResult DeviceModel::control(const wire::Request& request) {
    ModelResult result;
    const auto& h = request.head;
    const uint8_t units = h[4], subCommand = h[5], item = h[6];
    const uint8_t* data = &h[kControlDataOffset];
    const ConfigItem* config = item >= 1 && item <= kConfigItems ? &kConfigItemTable[item - 1] : nullptr;
    const bool configCommand = subCommand == sub::kWriteItem || subCommand == sub::kReadItem;

    // A write lands once, whichever of its units answer.
    if (subCommand == sub::kWriteItem && config && (units & config->unitBits) == config->unitBits)
        for (int i = 0; i < 8; ++i)
            if (config->positions[i] != kNone) config_[size_t(config->positions[i])] = data[i];
    if (subCommand == sub::kSave) savedConfig_ = config_;
    if (subCommand == sub::kStart) running_ = true;
    if (subCommand == sub::kStop) running_ = false;

    for (uint8_t unit : kUnitBits) {
        if (!(units & unit)) continue;
        wire::Head head = wire::makeHead(wire::cmd::kControl);
        head[4] = unit;
        head[5] = subCommand;
        head[6] = item;
        uint8_t& replyStatus = head[3];
        uint8_t* replyData = &head[kControlDataOffset];
        int completionMs = -1;
        if (configCommand) {
            if (!config || !(config->unitBits & unit) || (units & config->unitBits) != config->unitBits) {
                replyStatus = status::kError;
            } else if (subCommand == sub::kWriteItem) {
                replyStatus = status::kAccepted;
                std::copy(data, data + 8, replyData);
            } else {
                replyStatus = status::kDone;
                for (int i = 0; i < 8; ++i)
                    if (config->positions[i] != kNone) replyData[i] = config_[size_t(config->positions[i])];
            }
        } else if (subCommand == sub::kSave || subCommand == sub::kStart || subCommand == sub::kStop) {
            replyStatus = status::kDone;
        } else if (subCommand == sub::kCalibrate) {
            const int type = data[0];
            replyData[0] = uint8_t(type);
            replyStatus = type < kCalibrationTypes ? status::kAccepted : status::kError;
            if (type < kCalibrationTypes) completionMs = calibrationDurationMs(type);
        } else {
            replyStatus = status::kError;
        }
        const std::pair<uint8_t, uint8_t> key{subCommand, unit};
        std::optional<Outgoing> first = finish(wire::cmd::kControl, key, head, nullptr);
        const int firstDelayMs = first ? first->delayMs : 0;
        // A unit scripted to answer done or error at once has nothing left to report; a lost
        // acceptance still leaves the calibration running.
        const bool stillRunning = !first || first->bytes[3] == status::kAccepted;
        append(result, std::move(first));
        if (completionMs >= 0 && stillRunning) {
            replyStatus = status::kDone;
            // Counted from the acceptance, so a late acceptance is never overtaken by its own "done".
            append(result, finish(wire::cmd::kControl, key, head, nullptr, firstDelayMs + int(completionMs * timeScale_)));
        }
    }
    return result;
}

}  // namespace gimbalsim
