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

constexpr size_t kConfigItems = 7;
constexpr int kNone = -1;
constexpr uint8_t kAllUnits = 0x0E;
constexpr uint8_t kSaveItem = 0;
constexpr uint8_t kNoItemEchoed = 0;
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

std::mutex paramUploadLock;
std::mutex paramDownloadLock;

size_t recordCount(const unsigned char* record) { return record[CRADLE_PARAM_COUNT_OFFSET]; }
const unsigned char* valueAt(const unsigned char* record, size_t k) { return record + CRADLE_PARAM_VALUES_OFFSET + 2 * k; }
unsigned char* valueAt(unsigned char* record, size_t k) { return record + CRADLE_PARAM_VALUES_OFFSET + 2 * k; }

// Sends one parameter frame and waits for a status other than "nothing yet". The write reply
// echoes nothing of its page, only a status.
int exchangeParameterWrite(std::span<const uint8_t> frame) {
    auto& store = stores().paramWrite;
    if (!sendWithRetry(frame, kSendAttempts, {&store})) return notSentCode();
    const auto reply = awaitReply(store, replyDeadline(), [](uint8_t s) { return s != status::kNothingYet; });
    if (!reply) return noReplyCode();
    if (*reply == status::kRefusedFD) return CRADLE_E_PARAM_REFUSED_FD;
    if (*reply == status::kRefusedFE) return CRADLE_E_REFUSED;
    return CRADLE_OK;
}

// The units awaited for an item, in the order they are awaited (item 7: unit 4, then unit 8).
std::span<const uint8_t> unitsOf(uint8_t unitBits, std::array<uint8_t, 3>& storage) {
    size_t count = 0;
    for (uint8_t unit : kUnitBitOrder)
        if (unitBits & unit) storage[count++] = unit;
    return {storage.data(), count};
}

// Waits for one unit's reply to a configuration item with the wanted status. Reads and writes alike:
// a reply naming another item answers some other request and is passed over; one naming no item (0,
// a unit that does not echo it) is taken, since what earlier requests still owed was dropped first.
std::optional<ControlRecord> awaitItemReply(uint8_t unit, uint8_t subCommand, uint8_t item, uint8_t wanted,
                                            Clock::time_point deadline) {
    return awaitReply(stores().control.entry(unit, subCommand), deadline, [&](const ControlRecord& record) {
        const uint8_t echoed = record[control::kRecordItem];
        return record[0] == wanted && (echoed == item || echoed == kNoItemEchoed);
    });
}

}  // namespace

// A count above 17 would run past the record: refused with 4 before anything is sent.
extern "C" int UploadCradleParameter(const unsigned char* parameterRecord) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(paramUploadLock);
    if (!parameterRecord || recordCount(parameterRecord) > CRADLE_PARAM_MAX_COUNT) return CRADLE_E_NULL_ARGUMENT;
    const size_t count = recordCount(parameterRecord);
    settleOwed({&stores().paramWrite});
    for (size_t first = 0; first < count; first += kParamPageSize) {
        const size_t n = std::min(kParamPageSize, count - first);
        std::array<uint16_t, kParamPageSize> values{};
        for (size_t i = 0; i < n; ++i) values[i] = getLe16(valueAt(parameterRecord, first + i));
        const Bytes frame =
            parameterWrite({parameterRecord + CRADLE_PARAM_NUMBERS_OFFSET + first, n}, {values.data(), n});
        if (const int code = exchangeParameterWrite(frame); code != CRADLE_OK) return code;
    }
    return exchangeParameterWrite(parameterClosingWrite());
}

// The read reply echoes nothing of its request for sure (a unit may answer fewer values than asked).
// With what earlier requests still owed dropped first, the first reply that says something is the
// answer, whatever its count: its min(n', n) values are copied, and the slots of values it did not
// carry keep what the caller left in them.
extern "C" int DownloadCradleParameter(unsigned char* parameterRecord) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(paramDownloadLock);
    if (!parameterRecord || recordCount(parameterRecord) > CRADLE_PARAM_MAX_COUNT) return CRADLE_E_NULL_ARGUMENT;
    const size_t count = recordCount(parameterRecord);
    auto& store = stores().paramRead;
    settleOwed({&store});
    for (size_t first = 0; first < count; first += kParamPageSize) {
        const size_t n = std::min(kParamPageSize, count - first);
        const Frame request = parameterRead({parameterRecord + CRADLE_PARAM_NUMBERS_OFFSET + first, n});
        if (!sendWithRetry(request, kSendAttempts, {&store})) return notSentCode();
        const auto reply = awaitReply(store, replyDeadline(), [](const ParamReadReply& r) {
            return r.status != status::kNothingYet;
        });
        if (!reply) return noReplyCode();
        if (reply->status == status::kRefusedFD) return CRADLE_E_PARAM_REFUSED_FD;
        if (reply->status == status::kRefusedFE) return CRADLE_E_REFUSED;
        const size_t carried = std::min<size_t>(reply->count, n);
        for (size_t i = 0; i < carried; ++i) putLe16(valueAt(parameterRecord, first + i), reply->values[i]);
    }
    return CRADLE_OK;
}

extern "C" int UploadCradleConfig(const unsigned char* configRecord) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(controlLock());
    if (!configRecord) return CRADLE_E_NULL_ARGUMENT;
    auto& table = stores().control;
    for (size_t item = 0; item < kConfigItems; ++item) {
        const ConfigItem& entry = kConfigItemTable[item];
        const uint8_t number = static_cast<uint8_t>(item + 1);
        std::array<uint8_t, control::kDataBytes> data{};
        for (size_t i = 0; i < data.size(); ++i)
            if (entry.positions[i] != kNone) data[i] = configRecord[entry.positions[i]];
        const Gates gates = table.gates(control::kWriteItem, entry.unitBits);
        settleOwed(gates);
        const Frame frame = controlFrame(entry.unitBits, control::kWriteItem, number, data);
        if (!sendWithRetry(frame, kSendAttempts, gates)) return notSentCode();
        const auto deadline = replyDeadline();
        std::array<uint8_t, 3> storage;
        for (uint8_t unit : unitsOf(entry.unitBits, storage))
            if (!awaitItemReply(unit, control::kWriteItem, number, status::kAccepted, deadline)) return noReplyCode();
    }
    const Gates saveGates = table.gates(control::kSave, kAllUnits);
    settleOwed(saveGates);
    const Frame save = controlFrame(kAllUnits, control::kSave, kSaveItem, std::array<uint8_t, control::kDataBytes>{});
    if (!sendWithRetry(save, kSendAttemptsLong, saveGates)) return notSentCode();
    // Each unit's confirmation stays filed until taken, so the units may answer in any order.
    // The save reply echoes only its sub-command and unit, which the table already keys on.
    const auto deadline = Clock::now() + kSaveConfirmWindow;
    for (uint8_t unit : kUnitBitOrder) {
        const auto confirmed = awaitReply(table.entry(unit, control::kSave), deadline,
                                          [](const ControlRecord& record) { return record[0] == status::kDone; });
        if (!confirmed) return noReplyCode(CRADLE_STATUS_ERROR);
    }
    return CRADLE_OK;
}

extern "C" int DownloadCradleConfig(unsigned char* configRecord) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(controlLock());
    if (!configRecord) return CRADLE_E_NULL_ARGUMENT;
    auto& table = stores().control;
    for (size_t item = 0; item < kConfigItems; ++item) {
        const ConfigItem& entry = kConfigItemTable[item];
        const uint8_t number = static_cast<uint8_t>(item + 1);
        const Gates gates = table.gates(control::kReadItem, entry.unitBits);
        settleOwed(gates);
        const Frame frame =
            controlFrame(entry.unitBits, control::kReadItem, number, std::array<uint8_t, control::kDataBytes>{});
        if (!sendWithRetry(frame, kSendAttempts, gates)) return notSentCode();
        const auto deadline = replyDeadline();
        std::array<uint8_t, 3> storage;
        std::optional<ControlRecord> last;
        for (uint8_t unit : unitsOf(entry.unitBits, storage)) {
            last = awaitItemReply(unit, control::kReadItem, number, status::kDone, deadline);
            if (!last) return noReplyCode();
        }
        for (size_t i = 0; i < control::kDataBytes; ++i)
            if (entry.positions[i] != kNone) configRecord[entry.positions[i]] = (*last)[control::kRecordData + i];
    }
    return CRADLE_OK;
}
