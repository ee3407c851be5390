// Request builders for the simulator tests: the frames a host would send, built byte by byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "wire.h"

namespace simtest {

using gimbalsim::wire::Head;

inline std::vector<uint8_t> request(uint8_t command, std::initializer_list<uint8_t> body = {}) {
    Head head = gimbalsim::wire::makeHead(command);
    size_t at = 3;
    for (uint8_t b : body) head[at++] = b;
    gimbalsim::wire::sealHead(head);
    return {head.begin(), head.end()};
}

inline std::vector<uint8_t> control(uint8_t units, uint8_t subCommand, uint8_t item = 0, std::vector<uint8_t> data = {}) {
    Head head = gimbalsim::wire::makeHead(0x4D);
    head[4] = units;
    head[5] = subCommand;
    head[6] = item;
    for (size_t i = 0; i < data.size() && i < 8; ++i) head[7 + i] = data[i];
    gimbalsim::wire::sealHead(head);
    return {head.begin(), head.end()};
}

inline std::vector<uint8_t> firmwareRequest(uint32_t unit) {
    Head head = gimbalsim::wire::makeHead(0x44);
    gimbalsim::wire::put32(&head[3], unit);
    gimbalsim::wire::sealHead(head);
    return {head.begin(), head.end()};
}

// Block `number` (1-based) of `image`, or the closing block when closing is set.
inline std::vector<uint8_t> firmwareBlock(uint32_t unit, const std::vector<uint8_t>& image, uint16_t number, bool closing = false) {
    Head head = gimbalsim::wire::makeHead(0x45);
    const size_t count = (image.size() + 255) / 256;
    head[3] = closing ? 2 : 1;
    gimbalsim::wire::put32(&head[4], unit);
    gimbalsim::wire::put32(&head[8], uint32_t(image.size()));
    gimbalsim::wire::put32(&head[12], gimbalsim::wire::crc32(image.data(), image.size()));
    gimbalsim::wire::put16(&head[18], closing ? uint16_t(count) : number);
    std::vector<uint8_t> data;
    if (!closing) {
        const size_t from = size_t(number - 1) * 256;
        if (from < image.size()) data.assign(image.begin() + long(from), image.begin() + long(std::min(image.size(), from + 256)));
    }
    gimbalsim::wire::put16(&head[20], uint16_t(data.size()));
    gimbalsim::wire::sealHead(head);
    if (data.empty()) return {head.begin(), head.end()};
    return gimbalsim::wire::withExtension(head, data);
}

inline std::vector<uint8_t> parameterWrite(std::vector<std::pair<uint8_t, uint16_t>> values) {
    Head head = gimbalsim::wire::makeHead(0x72);
    head[3] = uint8_t(values.size());
    std::vector<uint8_t> extension(2 * values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        head[4 + i] = values[i].first;
        gimbalsim::wire::put16(&extension[2 * i], values[i].second);
    }
    gimbalsim::wire::sealHead(head);
    return gimbalsim::wire::withExtension(head, extension);
}

inline std::vector<uint8_t> parameterRead(std::vector<uint8_t> numbers) {
    Head head = gimbalsim::wire::makeHead(0x73);
    head[3] = uint8_t(numbers.size());
    for (size_t i = 0; i < numbers.size(); ++i) head[4 + i] = numbers[i];
    gimbalsim::wire::sealHead(head);
    return {head.begin(), head.end()};
}

// A reply frame's head CRC is right.
inline bool headCrcOk(const std::vector<uint8_t>& frame) {
    return frame.size() >= 36 && gimbalsim::wire::crc16(frame.data(), 34) == gimbalsim::wire::get16(&frame[34]);
}

}  // namespace simtest
