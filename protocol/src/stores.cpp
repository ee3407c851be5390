#include "stores.h"

#include <algorithm>

namespace cradle {

int mapControlStatus(uint8_t code) {
    switch (code) {
    case status::kDone: return result::kStatusDone;
    case status::kAccepted: return result::kStatusAccepted;
    case status::kError: return result::kStatusError;
    default: return result::kNoReplyYet;
    }
}

size_t ControlReplyTable::unitIndex(uint8_t unitBit) {
    switch (unitBit) {
    case 4: return 1;
    case 8: return 2;
    default: return 0;
    }
}

ControlReplyTable::Entry* ControlReplyTable::entry(uint8_t subCommand, uint8_t unitBit) {
    if (subCommand >= kControlSubCommands) return nullptr;
    return &entries_[subCommand][unitIndex(unitBit)];
}

void ControlReplyTable::clear(uint8_t subCommand, uint8_t unitBits) {
    std::lock_guard lock(mutex_);
    for (uint8_t unit : {uint8_t{2}, uint8_t{4}, uint8_t{8}})
        if (unitBits & unit)
            if (Entry* e = entry(subCommand, unit)) e->ready = false;
}

void ControlReplyTable::file(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) {
    {
        std::lock_guard lock(mutex_);
        Entry* e = entry(subCommand, unitBit);
        if (!e) return;
        std::copy_n(record, e->record.size(), e->record.begin());
        e->ready = true;
    }
    filed_.notify_all();
}

std::optional<ControlRecord> ControlReplyTable::takeLocked(Entry* e) {
    if (!e || !e->ready) return std::nullopt;
    e->ready = false;
    return e->record;
}

std::optional<ControlRecord> ControlReplyTable::take(uint8_t unitBit, uint8_t subCommand) {
    std::lock_guard lock(mutex_);
    return takeLocked(entry(subCommand, unitBit));
}

std::optional<ControlRecord> ControlReplyTable::takeUntil(uint8_t unitBit, uint8_t subCommand,
                                                          Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    Entry* e = entry(subCommand, unitBit);
    if (!e) return std::nullopt;
    filed_.wait_until(lock, deadline, [e] { return e->ready; });
    return takeLocked(e);
}

void MechanismStore::clear() {
    std::lock_guard lock(mutex_);
    ready_ = false;
}

void MechanismStore::file(uint8_t code) {
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
        if (code == status::kNothingYet) result_ = result::kNoReplyYet;
        else if (code == status::kDone || code == status::kAccepted || code == status::kError)
            result_ = mapControlStatus(code);
    }
    filed_.notify_all();
}

std::optional<int> MechanismStore::takeUntil(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    filed_.wait_until(lock, deadline, [this] { return ready_; });
    if (!ready_) return std::nullopt;
    ready_ = false;
    return result_;
}

void ReplyStores::onVersion(const uint8_t* payload, size_t length) {
    VersionPayload stored;  // zero beyond a short payload, so no bytes of an older reply leak out
    std::copy_n(payload, std::min(length, stored.bytes.size()), stored.bytes.begin());
    version.file(stored);
}

void ReplyStores::onParamRead(uint8_t code, const uint16_t* values, size_t count) {
    ParamReadReply reply;
    reply.status = code;
    reply.count = static_cast<uint8_t>(std::min(count, reply.values.size()));
    if (values) std::copy_n(values, reply.count, reply.values.begin());
    paramRead.file(reply);
}

}  // namespace cradle
