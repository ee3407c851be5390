// SHA-256, for naming a firmware package by its contents: the package format carries no checksum of its
// own, so a flipped image byte is only caught by comparing this hash with the one the maker published.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace procedures {

class Sha256 {
public:
    Sha256();
    void add(const uint8_t* data, size_t size);
    // The digest as 64 lower-case hex digits; the hasher is spent afterwards.
    std::string hex();

private:
    void block(const uint8_t* data);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingBytes_ = 0;
    uint64_t totalBytes_ = 0;
};

// A hash as the user typed it: 64 hex digits, either case; empty when it is not one.
std::string normalizeSha256(const std::string& text);

}  // namespace procedures
