// The gimbal's frame format as the device sees it: checksums, reply builders and a byte-fed request reader.
// Deliberately independent of the library's own code so the simulator stays an honest second opinion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace gimbalsim::wire {

constexpr size_t kHeadBytes = 36;
constexpr size_t kBodyOffset = 3;
constexpr size_t kHeadCrcOffset = 34;
constexpr size_t kExtensionCrcBytes = 2;
constexpr uint8_t kSync0 = 0xEB;
constexpr uint8_t kSync1 = 0x90;
constexpr size_t kMaxBlockBytes = 256;      // image bytes in one firmware block
constexpr size_t kMaxParametersPerPage = 30;
constexpr uint8_t kParameterClosingWrite = 0xFF;

namespace cmd {
constexpr uint8_t kVersion = 0x43;
constexpr uint8_t kFirmwareRequest = 0x44;
constexpr uint8_t kFirmwareBlock = 0x45;
constexpr uint8_t kStartApplication = 0x46;
constexpr uint8_t kControl = 0x4D;
constexpr uint8_t kMechanismFirmware = 0x4E;
constexpr uint8_t kTelemetryA = 0x6B;
constexpr uint8_t kTelemetryB = 0x6C;
constexpr uint8_t kParameterWrite = 0x72;
constexpr uint8_t kParameterRead = 0x73;
}  // namespace cmd

uint16_t crc16(const uint8_t* data, size_t length);  // CRC-16/ARC
uint32_t crc32(const uint8_t* data, size_t length);  // CRC-32/MPEG-2

using Head = std::array<uint8_t, kHeadBytes>;

// A zeroed head with sync bytes and command; call sealHead() once the body is filled.
Head makeHead(uint8_t command);
void sealHead(Head& head);
// Head plus an extension and the extension's own CRC; the head announces the length itself.
std::vector<uint8_t> withExtension(const Head& head, const std::vector<uint8_t>& extension);

inline uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
inline void put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void put32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }

// One request as it came off the line.
struct Request {
    Head head{};
    std::vector<uint8_t> extension;
    bool extensionCrcOk = true;
    std::vector<uint8_t> whole;  // every byte of the frame, extension included
    uint8_t command() const { return head[2]; }
};

// Extension length a request head announces (0 when it has none or announces an impossible one).
size_t requestExtensionLength(const Head& head);

// Fed bytes in any split; hands out whole requests. Junk and frames with a bad head CRC are skipped.
class RequestReader {
public:
    void feed(const uint8_t* data, size_t length);
    std::optional<Request> next();
    // Bytes of a frame not yet complete (or a lone sync byte) are waiting for more.
    bool pending() const { return !buffer_.empty(); }
    // Gives up the frame begun at the front (its rest never came): drops its first byte, so the
    // search for a head starts again behind it and requests it swallowed are found.
    void dropPartial();
    size_t droppedBytes() const { return dropped_; }

private:
    std::vector<uint8_t> buffer_;
    size_t dropped_ = 0;
};

}  // namespace gimbalsim::wire
