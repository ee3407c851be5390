#include "parameter_record.h"

#include <algorithm>

namespace procedures::parameter_record {

bool encodeNumbers(Buffer& record, std::span<const int> numbers) {
    if (numbers.size() > CRADLE_PARAM_MAX_COUNT) return false;
    record[CRADLE_PARAM_COUNT_OFFSET] = uint8_t(numbers.size());
    for (size_t i = 0; i < numbers.size(); ++i) record[CRADLE_PARAM_NUMBERS_OFFSET + i] = uint8_t(numbers[i]);
    return true;
}

bool encode(Buffer& record, std::span<const int> numbers, std::span<const int> values) {
    if (values.size() < numbers.size() || !encodeNumbers(record, numbers)) return false;
    for (size_t i = 0; i < numbers.size(); ++i) {
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * i] = uint8_t(values[i]);
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * i + 1] = uint8_t(unsigned(values[i]) >> 8);
    }
    return true;
}

std::vector<Entry> decode(const uint8_t* record, size_t size) {
    std::vector<Entry> entries;
    if (size <= CRADLE_PARAM_COUNT_OFFSET) return entries;
    const size_t count = std::min<size_t>(record[CRADLE_PARAM_COUNT_OFFSET], CRADLE_PARAM_MAX_COUNT);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = CRADLE_PARAM_VALUES_OFFSET + 2 * i;
        if (at + 2 > size) break;
        entries.push_back({record[CRADLE_PARAM_NUMBERS_OFFSET + i], uint16_t(record[at] | record[at + 1] << 8)});
    }
    return entries;
}

}  // namespace procedures::parameter_record
