// The 52-byte parameter record the library reads and fills: a count, the parameter numbers and their
// 16-bit little-endian values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Cradle.h"

namespace procedures::parameter_record {

using Buffer = std::array<uint8_t, CRADLE_PARAM_RECORD_SIZE>;

struct Entry {
    int number;
    uint16_t value;
};

// Count and numbers, as a read asks for them; false, with the record untouched, for more numbers than
// CRADLE_PARAM_MAX_COUNT.
bool encodeNumbers(Buffer& record, std::span<const int> numbers);
// Count, numbers and values (low 16 bits), as a write sends them; false, with the record untouched,
// also when there are fewer values than numbers.
bool encode(Buffer& record, std::span<const int> numbers, std::span<const int> values);
// The entries a record holds in full, in record order. A count beyond the record's room or a record cut
// short yields only what is really there.
std::vector<Entry> decode(const uint8_t* record, size_t size);

}  // namespace procedures::parameter_record
