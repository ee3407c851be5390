#include "wire.h"

#include <algorithm>

namespace gimbalsim::wire {
namespace {

constexpr uint16_t kCrc16ReflectedPoly = 0xA001;
constexpr uint32_t kCrc32Poly = 0x04C11DB7;

constexpr std::array<uint16_t, 256> makeCrc16Table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t c = uint16_t(i);
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? uint16_t((c >> 1) ^ kCrc16ReflectedPoly) : uint16_t(c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> makeCrc32Table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit) c = (c & 0x80000000u) ? (c << 1) ^ kCrc32Poly : c << 1;
        table[i] = c;
    }
    return table;
}

constexpr auto kCrc16Table = makeCrc16Table();
constexpr auto kCrc32Table = makeCrc32Table();

}  // namespace

uint16_t crc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) crc = uint16_t((crc >> 8) ^ kCrc16Table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

uint32_t crc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = (crc << 8) ^ kCrc32Table[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

Head makeHead(uint8_t command) {
    Head head{};
    head[0] = kSync0;
    head[1] = kSync1;
    head[2] = command;
    return head;
}

void sealHead(Head& head) { put16(&head[kHeadCrcOffset], crc16(head.data(), kHeadCrcOffset)); }

std::vector<uint8_t> withExtension(const Head& head, const std::vector<uint8_t>& extension) {
    std::vector<uint8_t> frame(head.begin(), head.end());
    frame.insert(frame.end(), extension.begin(), extension.end());
    uint8_t crc[2];
    put16(crc, crc16(extension.data(), extension.size()));
    frame.insert(frame.end(), crc, crc + 2);
    return frame;
}

size_t requestExtensionLength(const Head& head) {
    switch (head[2]) {
    case cmd::kFirmwareBlock: {
        const size_t n = get16(&head[20]);
        return n <= kMaxBlockBytes ? n : 0;
    }
    case cmd::kParameterWrite: {
        const size_t n = head[3];
        return n <= kMaxParametersPerPage ? 2 * n : 0;
    }
    default:
        return 0;
    }
}

void RequestReader::feed(const uint8_t* data, size_t length) { buffer_.insert(buffer_.end(), data, data + length); }

void RequestReader::dropPartial() {
    if (buffer_.empty()) return;
    ++dropped_;
    buffer_.erase(buffer_.begin());
}

std::optional<Request> RequestReader::next() {
    for (;;) {
        // Skip to the next sync pair; a lone trailing 0xEB may be the start of one.
        size_t start = 0;
        while (start + 1 < buffer_.size() && !(buffer_[start] == kSync0 && buffer_[start + 1] == kSync1)) ++start;
        if (start + 1 >= buffer_.size() && !(start < buffer_.size() && buffer_[start] == kSync0)) start = buffer_.size();
        dropped_ += start;
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(start));
        if (buffer_.size() < kHeadBytes) return std::nullopt;

        Request request;
        std::copy_n(buffer_.begin(), kHeadBytes, request.head.begin());
        if (crc16(request.head.data(), kHeadCrcOffset) != get16(&request.head[kHeadCrcOffset])) {
            // Not a frame after all: drop the sync byte and look again behind it.
            ++dropped_;
            buffer_.erase(buffer_.begin());
            continue;
        }
        const size_t extension = requestExtensionLength(request.head);
        const size_t total = kHeadBytes + (extension ? extension + kExtensionCrcBytes : 0);
        if (buffer_.size() < total) return std::nullopt;
        if (extension) {
            request.extension.assign(buffer_.begin() + kHeadBytes, buffer_.begin() + std::ptrdiff_t(kHeadBytes + extension));
            request.extensionCrcOk = crc16(request.extension.data(), extension) == get16(&buffer_[kHeadBytes + extension]);
        }
        request.whole.assign(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(total));
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(total));
        return request;
    }
}

}  // namespace gimbalsim::wire
