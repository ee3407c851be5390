// Parameter and configuration transfer: UploadCradleParameter, DownloadCradleParameter,
// UploadCradleConfig, DownloadCradleConfig.
#include <algorithm>
#include <array>
#include <mutex>

#include "Cradle.h"
#include "frame.h"
#include "ops_common.h"

using namespace cradle;
using namespace cradle::ops;

namespace {

// Parameter record: count, 17 parameter numbers, 17 little-endian values.
constexpr size_t kRecordParams = 17;
constexpr size_t kRecordNumbersOffset = 1;
constexpr size_t kRecordValuesOffset = 18;

constexpr size_t kConfigItems = 7;
constexpr int kNone = -1;
constexpr uint8_t kAllUnits = 0x0E;
constexpr uint8_t kSaveItem = 0;
constexpr auto kSaveConfirmWindow = 1200ms;  // twelve checks 100 ms apart
constexpr uint8_t kUnitBitOrder[] = {2, 4, 8};

struct ConfigItem {
    uint8_t unitBits;
    std::array<int, control::kDataBytes> positions;  // record position of each data byte, or kNone
};

constexpr std::array<ConfigItem, kConfigItems> kConfigItemTable = {{
    {2, {0, 1, 2, 3, 4, 5, kNone, kNone}},
    {2, {6, 7, 8, 9, 10, 11, kNone, kNone}},
    {4, {12, 13, 14, 15, 16, 17, kNone, kNone}},
    {4, {18, 19, 20, 21, kNone, kNone, kNone, kNone}},
    {8, {22, 23, 24, 25, 26, 27, kNone, kNone}},
    {8, {28, 29, 30, 31, kNone, kNone, kNone, kNone}},
    {12, {32, 33, 34, 35, 36, 37, kNone, kNone}},
}};
constexpr size_t kRecordDataOffset = 4;  // data bytes inside a control reply record

std::mutex paramUploadLock;
std::mutex paramDownloadLock;

uint8_t recordCount(const unsigned char* record) { return record[0]; }

// Sends one parameter frame and waits for a status other than "nothing yet".
int exchangeParameterWrite(std::span<const uint8_t> frame) {
    auto& store = stores().paramWrite;
    if (!sendWithRetry(frame, kSendAttempts, [&] { store.clear(); })) return result::kNotSent;
    const auto deadline = replyDeadline();
    std::optional<uint8_t> reply;
    do {
        reply = store.takeUntil(deadline);
        if (!reply) return result::kNoReply;
    } while (*reply == status::kNothingYet);
    if (*reply == status::kRefusedFD) return result::kParamRefusedFD;
    if (*reply == status::kRefusedFE) return result::kRefused;
    return result::kDone;
}

// The units awaited for an item, in the order they are awaited (item 7: unit 4, then unit 8).
std::span<const uint8_t> unitsOf(uint8_t unitBits, std::array<uint8_t, 3>& storage) {
    size_t count = 0;
    for (uint8_t unit : kUnitBitOrder)
        if (unitBits & unit) storage[count++] = unit;
    return {storage.data(), count};
}

}  // namespace

// A count above 17 would run past the record: refused with 4 before anything is sent.
extern "C" int UploadCradleParameter(const unsigned char* parameterRecord) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(paramUploadLock);
    if (!parameterRecord || recordCount(parameterRecord) > kRecordParams) return result::kNullArgument;
    const size_t count = recordCount(parameterRecord);
    for (size_t first = 0; first < count; first += kParamPageSize) {
        const size_t n = std::min(kParamPageSize, count - first);
        std::array<uint16_t, kParamPageSize> values{};
        for (size_t i = 0; i < n; ++i)
            values[i] = getLe16(parameterRecord + kRecordValuesOffset + 2 * (first + i));
        const Bytes frame = parameterWrite({parameterRecord + kRecordNumbersOffset + first, n}, {values.data(), n});
        if (const int code = exchangeParameterWrite(frame); code != result::kDone) return code;
    }
    return exchangeParameterWrite(parameterClosingWrite());
}

// Values the device sends beyond the room left in the record are dropped.
extern "C" int DownloadCradleParameter(unsigned char* parameterRecord) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(paramDownloadLock);
    if (!parameterRecord || recordCount(parameterRecord) > kRecordParams) return result::kNullArgument;
    const size_t count = recordCount(parameterRecord);
    auto& store = stores().paramRead;
    for (size_t first = 0; first < count; first += kParamPageSize) {
        const size_t n = std::min(kParamPageSize, count - first);
        const Frame request = parameterRead({parameterRecord + kRecordNumbersOffset + first, n});
        if (!sendWithRetry(request, kSendAttempts, [&] { store.clear(); })) return result::kNotSent;
        const auto deadline = replyDeadline();
        std::optional<ParamReadReply> reply;
        do {
            reply = store.takeUntil(deadline);
            if (!reply) return result::kNoReply;
        } while (reply->status == status::kNothingYet);
        if (reply->status == status::kRefusedFD) return result::kParamRefusedFD;
        if (reply->status == status::kRefusedFE) return result::kRefused;
        const size_t room = kRecordParams - first;
        const size_t values = std::min<size_t>(reply->count, room);
        for (size_t i = 0; i < values; ++i)
            putLe16(parameterRecord + kRecordValuesOffset + 2 * (first + i), reply->values[i]);
    }
    return result::kDone;
}

extern "C" int UploadCradleConfig(const unsigned char* configRecord) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(controlLock());
    if (!configRecord) return result::kNullArgument;
    auto& table = stores().control;
    for (size_t item = 0; item < kConfigItems; ++item) {
        const ConfigItem& entry = kConfigItemTable[item];
        std::array<uint8_t, control::kDataBytes> data{};
        for (size_t i = 0; i < data.size(); ++i)
            if (entry.positions[i] != kNone) data[i] = configRecord[entry.positions[i]];
        table.clear(control::kWriteItem, entry.unitBits);
        const Frame frame = controlFrame(entry.unitBits, control::kWriteItem, static_cast<uint8_t>(item + 1), data);
        if (!sendWithRetry(frame, kSendAttempts, [] {})) return result::kNotSent;
        const auto deadline = replyDeadline();
        std::array<uint8_t, 3> storage;
        for (uint8_t unit : unitsOf(entry.unitBits, storage))
            if (!awaitControlStatus(unit, control::kWriteItem, status::kAccepted, deadline)) return result::kNoReply;
    }
    table.clear(control::kSave, kAllUnits);
    const Frame save = controlFrame(kAllUnits, control::kSave, kSaveItem, std::array<uint8_t, control::kDataBytes>{});
    if (!sendWithRetry(save, kSendAttemptsLong, [] {})) return result::kNotSent;
    // Each unit's confirmation stays filed until taken, so the units may answer in any order.
    const auto deadline = Clock::now() + kSaveConfirmWindow;
    for (uint8_t unit : kUnitBitOrder)
        if (!awaitControlStatus(unit, control::kSave, status::kDone, deadline)) return result::kStatusError;
    return result::kDone;
}

extern "C" int DownloadCradleConfig(unsigned char* configRecord) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(controlLock());
    if (!configRecord) return result::kNullArgument;
    auto& table = stores().control;
    for (size_t item = 0; item < kConfigItems; ++item) {
        const ConfigItem& entry = kConfigItemTable[item];
        table.clear(control::kReadItem, entry.unitBits);
        const Frame frame = controlFrame(entry.unitBits, control::kReadItem, static_cast<uint8_t>(item + 1),
                                         std::array<uint8_t, control::kDataBytes>{});
        if (!sendWithRetry(frame, kSendAttempts, [] {})) return result::kNotSent;
        const auto deadline = replyDeadline();
        std::array<uint8_t, 3> storage;
        std::optional<ControlRecord> last;
        for (uint8_t unit : unitsOf(entry.unitBits, storage)) {
            last = awaitControlStatus(unit, control::kReadItem, status::kDone, deadline);
            if (!last) return result::kNoReply;
        }
        for (size_t i = 0; i < control::kDataBytes; ++i)
            if (entry.positions[i] != kNone) configRecord[entry.positions[i]] = (*last)[kRecordDataOffset + i];
    }
    return result::kDone;
}
