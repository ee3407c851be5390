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

constexpr size_t kVersionRecordSize = 187;
constexpr int kFirmRequestMaxSends = 21;
constexpr auto kFirmRequestGap = 200ms;
constexpr int kPercent = 100;

std::mutex versionLock;
std::mutex firmRequestLock;
std::mutex firmWriteLock;

}  // namespace

extern "C" int UnitVersionInfo(unsigned char* versionRecord) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(versionLock);
    if (!versionRecord) return result::kNullArgument;
    auto& store = stores().version;
    if (!sendWithRetry(versionQuery(), kSendAttemptsLong, [&] { store.clear(); })) return result::kNotSent;
    const auto reply = store.takeUntil(replyDeadline());
    if (!reply) return result::kNoReply;
    std::copy_n(reply->bytes.begin(), kVersionRecordSize, versionRecord);
    return result::kDone;
}

// The request is repeated every 200 ms until the unit accepts or refuses it, 21 sends at most.
// A status other than 0, 1, 0xFE and 0xFF asks for an immediate repeat; it still counts as a
// send, so a unit that keeps asking cannot hold the caller for ever.
extern "C" int UpdateFirmRequest(const int* unitCode) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(firmRequestLock);
    if (!unitCode) return result::kNullArgument;
    auto& store = stores().firmRequest;
    store.clear();
    for (int sends = 0; sends < kFirmRequestMaxSends; ++sends) {
        const Frame request = firmwareRequest(static_cast<uint32_t>(*unitCode));
        if (!sendWithRetry(request, kSendAttemptsLong, [] {})) return result::kNotSent;
        const auto deadline = Clock::now() + kFirmRequestGap;
        while (const auto reply = store.takeUntil(deadline)) {
            if (*reply == status::kNothingYet) continue;
            if (*reply == status::kDone) return result::kDone;
            if (*reply == status::kRefusedFE) return result::kFirmRefusedFE;
            if (*reply == status::kRefusedFF) return result::kFirmRefusedFF;
            break;  // asked to repeat: send again at once
        }
    }
    return result::kNoReply;
}

// An empty image or one with more blocks than the 16-bit block number can count is refused
// with 4 before anything is sent.
extern "C" int WriteFirm(const int* unitCode, const unsigned char* image, unsigned int length,
                         unsigned char* progress) {
    if (!started()) return result::kNotStarted;
    std::lock_guard lock(firmWriteLock);
    if (!unitCode || !image) return result::kNullArgument;
    const size_t blockCount = firmwareBlockCount(length);
    if (blockCount == 0 || blockCount > kMaxFirmBlocks) return result::kNullArgument;
    const std::span<const uint8_t> whole(image, length);
    const uint32_t imageCrc = crc32Mpeg2(image, length);
    auto& store = stores().firmBlock;
    size_t accumulated = 0;
    for (size_t index = 0; index <= blockCount; ++index) {
        const Bytes frame = firmwareBlock(static_cast<uint32_t>(*unitCode), whole, imageCrc, index, blockCount);
        if (!sendWithRetry(frame, kSendAttemptsLong, [&] { store.clear(); })) return result::kNotSent;
        const auto deadline = replyDeadline();
        std::optional<uint8_t> reply;
        do {
            reply = store.takeUntil(deadline);
            if (!reply) return result::kNoReply;
        } while (*reply == status::kNothingYet);
        if (*reply == status::kRefusedFD) return result::kBlockRefusedFD;
        if (*reply == status::kRefusedFE || *reply == status::kRefusedFF) return result::kRefused;
        // Another thread (a progress display) may read the byte while the transfer runs.
        if (progress)
            std::atomic_ref<unsigned char>(*progress).store(static_cast<unsigned char>(accumulated / blockCount),
                                                            std::memory_order_release);
        accumulated += kPercent;
    }
    return result::kDone;
}

extern "C" int SendStartFsApp(void) {
    return Link::instance().sendFrame(startApplication()) ? 1 : 0;
}
