// The host's end of the simulator's pty for tests: raw bytes out, whole reply frames in.
#pragma once

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "wire.h"

namespace simtest {

struct ReplyFrame {
    std::vector<uint8_t> bytes;
    bool crcOk = false;
    size_t junkBefore = 0;  // bytes skipped before this frame's sync pair
    uint8_t command() const { return bytes[2]; }
};

class HostLine {
public:
    explicit HostLine(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~HostLine() {
        if (fd_ >= 0) ::close(fd_);
    }
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    void send(const std::vector<uint8_t>& bytes) {
        size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + at, bytes.size() - at);
            if (n > 0) at += size_t(n);
            else if (n < 0 && errno == EAGAIN) waitFor(POLLOUT, std::chrono::milliseconds(1000));
            else return;
        }
    }

    // The next frame of `command` (others, such as telemetry, are passed over), or nothing by the deadline.
    std::optional<ReplyFrame> frame(uint8_t command, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            while (auto f = take())
                if (f->command() == command) return f;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !fill(left)) return std::nullopt;
        }
    }

    // False when the line is gone (the other side closed).
    bool fill(std::chrono::milliseconds timeout) {
        if (!waitFor(POLLIN, timeout)) return true;
        uint8_t chunk[4096];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) buffer_.insert(buffer_.end(), chunk, chunk + n);
        return n > 0 || (n < 0 && errno == EAGAIN);
    }

private:
    bool waitFor(short events, std::chrono::milliseconds timeout) {
        pollfd p{fd_, events, 0};
        return ::poll(&p, 1, int(timeout.count())) > 0;
    }

    std::optional<ReplyFrame> take() {
        size_t start = 0;
        while (start + 1 < buffer_.size() && !(buffer_[start] == 0xEB && buffer_[start + 1] == 0x90)) ++start;
        if (buffer_.size() < start + gimbalsim::wire::kHeadBytes) return std::nullopt;
        ReplyFrame f;
        f.junkBefore = start + pendingJunk_;
        f.crcOk = gimbalsim::wire::crc16(&buffer_[start], 34) == gimbalsim::wire::get16(&buffer_[start + 34]);
        size_t total = gimbalsim::wire::kHeadBytes;
        const uint8_t command = buffer_[start + 2];
        if (f.crcOk && command == 0x43) total += gimbalsim::wire::get16(&buffer_[start + 3]) + 2;
        if (f.crcOk && command == 0x73 && buffer_[start + 3] != 0xFD && buffer_[start + 3] != 0xFE) total += 2 * buffer_[start + 3] + 2;
        if (buffer_.size() < start + total) {
            pendingJunk_ += start;
            buffer_.erase(buffer_.begin(), buffer_.begin() + long(start));
            return std::nullopt;
        }
        f.bytes.assign(buffer_.begin() + long(start), buffer_.begin() + long(start + total));
        buffer_.erase(buffer_.begin(), buffer_.begin() + long(start + total));
        pendingJunk_ = 0;
        return f;
    }

    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    size_t pendingJunk_ = 0;
};

}  // namespace simtest
