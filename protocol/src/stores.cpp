#include "stores.h"

#include <algorithm>

namespace cradle {

CradleResult mapControlStatus(uint8_t code) {
    switch (code) {
    case status::kDone: return CRADLE_STATUS_DONE;
    case status::kAccepted: return CRADLE_STATUS_ACCEPTED;
    case status::kError: return CRADLE_STATUS_ERROR;
    default: return CRADLE_E_NO_RECORD;
    }
}

size_t ControlReplyTable::unitIndex(uint8_t unitBit) {
    switch (unitBit) {
    case 4: return 1;
    case 8: return 2;
    default: return 0;
    }
}

ReplySlot<ControlRecord>& ControlReplyTable::entry(uint8_t unitBit, uint8_t subCommand) {
    return entries_[subCommand][unitIndex(unitBit)];
}

void ControlReplyTable::clear(uint8_t subCommand, uint8_t unitBits) {
    for (ReplyGate* gate : gates(subCommand, unitBits)) gate->clear();
}

Gates ControlReplyTable::gates(uint8_t subCommand, uint8_t unitBits) {
    Gates gates;
    if (subCommand >= kControlSubCommands) return gates;
    for (uint8_t unit : {uint8_t{2}, uint8_t{4}, uint8_t{8}})
        if (unitBits & unit) gates.add(&entry(unit, subCommand));
    return gates;
}

void ControlReplyTable::file(uint8_t subCommand, uint8_t unitBit, const uint8_t* record) {
    if (subCommand >= kControlSubCommands) return;
    ControlRecord copy;
    std::copy_n(record, copy.size(), copy.begin());
    entry(unitBit, subCommand).file(copy);
}

void ControlReplyTable::wakeWaiters() {
    for (auto& units : entries_)
        for (auto& slot : units) slot.wakeWaiters();
}

void MechanismStore::file(uint8_t code) {
    if (code == status::kNothingYet) result_ = CRADLE_E_NO_RECORD;
    else if (code == status::kDone || code == status::kAccepted || code == status::kError)
        result_ = mapControlStatus(code);
    reply.file(result_);
}

void ReplyStores::wakeWaiters() {
    version.wakeWaiters();
    firmRequest.wakeWaiters();
    firmBlock.wakeWaiters();
    control.wakeWaiters();
    mechanism.reply.wakeWaiters();
    paramWrite.wakeWaiters();
    paramRead.wakeWaiters();
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

void ReplyStores::onReplyLost(uint8_t code) {
    if (code == command::kVersion) version.replyLost();
    else if (code == command::kParamRead) paramRead.replyLost();
}

}  // namespace cradle
