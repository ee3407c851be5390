#include "runtime_log.h"

#include <cstring>

#include "files.h"

namespace cradle {
namespace {
constexpr const char* kRotationFailedNotice = "\n[log stopped: cannot rotate to the backup file]\n";
}

bool RuntimeLog::open(const char* path) {
    close();
    if (!path || std::strlen(path) >= kLogPathCapacity) return false;
    file_ = std::fopen(path, appendMode_);
    if (!file_) return false;
    path_ = path;
    return true;
}

void RuntimeLog::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void RuntimeLog::append(const uint8_t* data, size_t length) {
    if (!file_ || length == 0) return;
    std::fseek(file_, 0, SEEK_END);  // "ab+" may have left the position elsewhere
    const long position = std::ftell(file_);
    if (position >= 0 && position + static_cast<long>(length) > kLogRotateBytes) {
        // Closed before the move, since Windows moves no open file; the move replaces the old
        // backup only when it succeeds.
        std::fclose(file_);
        file_ = nullptr;
        const std::string backup = path_ + kLogBackupSuffix;
        if (!platform::replaceFile(path_.c_str(), backup.c_str())) {
            // Cannot rotate (a folder without write access, say): stop rather than pass the limit,
            // and say so where the log was, if that still fits.
            file_ = std::fopen(path_.c_str(), appendMode_);
            if (file_ && position + static_cast<long>(std::strlen(kRotationFailedNotice)) <= kLogRotateBytes)
                std::fputs(kRotationFailedNotice, file_);
            close();
            return;
        }
        // If the log cannot be reopened, logging stops here rather than touching a closed stream.
        file_ = std::fopen(path_.c_str(), appendMode_);
        if (!file_) return;
    }
    std::fwrite(data, 1, length, file_);
    std::fflush(file_);
}

}  // namespace cradle
