// Raw dump of received bytes, rotated to "<path>.bak" before it would pass 1 MiB. Best effort: when the
// rotation fails the log says so once (if that still fits) and stops, so it never passes 1 MiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace cradle {

constexpr size_t kLogPathCapacity = 260;  // paths up to 259 characters
constexpr long kLogRotateBytes = 1048576;
constexpr const char* kLogBackupSuffix = ".bak";

class RuntimeLog {
public:
    // appendMode: the fopen mode that appends; the link passes its system's mode that also keeps the
    // file from child processes.
    explicit RuntimeLog(const char* appendMode = "ab+") : appendMode_(appendMode) {}
    ~RuntimeLog() { close(); }
    RuntimeLog(const RuntimeLog&) = delete;
    RuntimeLog& operator=(const RuntimeLog&) = delete;
    // Opens (creating if needed) for appending; false for a null, overlong or unopenable path.
    bool open(const char* path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    void append(const uint8_t* data, size_t length);

private:
    const char* appendMode_;
    std::FILE* file_ = nullptr;
    std::string path_;
};

}  // namespace cradle
