#include "ring.h"

#include "frame.h"

namespace cradle {

void ReceiveRing::clear() {
    data_.fill(0);
    write_ = read_ = start_ = 0;
}

void ReceiveRing::push(uint8_t byte) {
    data_[write_] = byte;
    write_ = (write_ + 1) % kStorage;
    if (write_ == read_) {
        read_ = (read_ + 1) % kStorage;
        ++overflowDrops_;
    }
}

size_t ReceiveRing::available() const {
    return write_ >= read_ ? write_ - read_ : write_ + kStorage - read_;
}

bool ReceiveRing::read(uint8_t* destination, size_t n) {
    if (available() < n) return false;
    for (size_t i = 0; i < n; ++i) destination[i] = at(i);
    read_ = (read_ + n) % kStorage;
    return true;
}

size_t ReceiveRing::discard(size_t n) {
    const size_t dropped = n < available() ? n : available();
    read_ = (read_ + dropped) % kStorage;
    return dropped;
}

bool ReceiveRing::synchronise() {
    while (available() >= 2) {
        if (at(0) == kSyncFirst && at(1) == kSyncSecond) return true;
        read_ = (read_ + 1) % kStorage;
        ++noiseBytes_;
    }
    return false;
}

}  // namespace cradle
