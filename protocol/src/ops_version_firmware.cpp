// Version query and firmware transfer: UnitVersionInfo, UpdateFirmRequest, WriteFirm, SendStartFsApp.
#include <algorithm>
#include <atomic>
#include <mutex>

#include "Cradle.h"
#include "frame.h"
#include "ops_common.h"

using namespace cradle;
using namespace cradle::ops;

namespace {

constexpr int kFirmRequestMaxSends = 21;
constexpr auto kFirmRequestGap = 200ms;
constexpr int kPercent = 100;

std::mutex versionLock;
std::mutex firmRequestLock;
std::mutex firmWriteLock;

bool saysSomething(uint8_t status) { return status != status::kNothingYet; }

}  // namespace

// The version reply echoes nothing of its query: once what an earlier query still owes is let in and
// dropped, the first version reply is the answer.
extern "C" int UnitVersionInfo(unsigned char* versionRecord) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(versionLock);
    if (!versionRecord) return CRADLE_E_NULL_ARGUMENT;
    auto& store = stores().version;
    settleOwed({&store});
    if (!sendWithRetry(versionQuery(), kSendAttemptsLong, {&store})) return notSentCode();
    const auto reply = awaitReply(store, replyDeadline(), [](const VersionPayload&) { return true; });
    if (!reply) return noReplyCode();
    std::copy_n(reply->bytes.begin(), CRADLE_VERSION_RECORD_SIZE, versionRecord);
    return CRADLE_OK;
}

// The request is repeated every 200 ms until the unit accepts or refuses it, 21 sends at most.
// A status other than 0, 1, 0xFE and 0xFF asks for an immediate repeat; it still counts as a
// send, so a unit that keeps asking cannot hold the caller for ever.
extern "C" int UpdateFirmRequest(const int* unitCode) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(firmRequestLock);
    if (!unitCode) return CRADLE_E_NULL_ARGUMENT;
    auto& store = stores().firmRequest;
    // Replies to the repeats of an earlier call may still be on their way (a unit slower than the
    // 200 ms between repeats): they are let in and dropped first. The flag is cleared only here.
    settleOwed({&store});
    for (int sends = 0; sends < kFirmRequestMaxSends; ++sends) {
        const Frame request = firmwareRequest(static_cast<uint32_t>(*unitCode));
        if (!sendWithRetry(request, kSendAttemptsLong, {&store}, false)) return notSentCode();
        const auto reply = awaitReply(store, Clock::now() + kFirmRequestGap, saysSomething);
        if (!reply) {
            if (const int code = noReplyCode(CRADLE_OK); code != CRADLE_OK) return code;
            continue;
        }
        if (*reply == status::kDone) return CRADLE_OK;
        if (*reply == status::kRefusedFE) return CRADLE_E_FIRM_REFUSED_FE;
        if (*reply == status::kRefusedFF) return CRADLE_E_FIRM_REFUSED_FF;
        // any other status asks for a repeat: send again at once
    }
    return CRADLE_E_NO_REPLY;
}

// An empty image or one with more blocks than the 16-bit block number can count is refused
// with 4 before anything is sent. The block reply echoes nothing of its block (status only).
extern "C" int WriteFirm(const int* unitCode, const unsigned char* image, unsigned int length,
                         unsigned char* progress) {
    if (!started()) return CRADLE_E_NOT_STARTED;
    std::lock_guard lock(firmWriteLock);
    if (!unitCode || !image) return CRADLE_E_NULL_ARGUMENT;
    const size_t blockCount = firmwareBlockCount(length);
    if (blockCount == 0 || blockCount > kMaxFirmBlocks) return CRADLE_E_NULL_ARGUMENT;
    const std::span<const uint8_t> whole(image, length);
    const uint32_t imageCrc = crc32Mpeg2(image, length);
    auto& store = stores().firmBlock;
    settleOwed({&store});
    size_t accumulated = 0;
    for (size_t index = 0; index <= blockCount; ++index) {
        const Bytes frame = firmwareBlock(static_cast<uint32_t>(*unitCode), whole, imageCrc, index, blockCount);
        if (!sendWithRetry(frame, kSendAttemptsLong, {&store})) return notSentCode();
        const auto reply = awaitReply(store, replyDeadline(), saysSomething);
        if (!reply) return noReplyCode();
        if (*reply == status::kRefusedFD) return CRADLE_E_BLOCK_REFUSED_FD;
        if (*reply == status::kRefusedFE || *reply == status::kRefusedFF) return CRADLE_E_REFUSED;
        // Another thread (a progress display) may read the byte while the transfer runs.
        if (progress)
            std::atomic_ref<unsigned char>(*progress).store(static_cast<unsigned char>(accumulated / blockCount),
                                                            std::memory_order_release);
        accumulated += kPercent;
    }
    return CRADLE_OK;
}

extern "C" int SendStartFsApp(void) {
    return Link::instance().sendFrame(startApplication()) ? 1 : 0;
}
