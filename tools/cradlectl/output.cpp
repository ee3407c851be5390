#include "output.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace cradlectl {
namespace {

std::atomic<bool> failed{false};

}  // namespace

bool writeTo(std::FILE* stream, std::string_view text) {
    if (failed.load(std::memory_order_acquire)) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0) return true;
    const int error = errno;
    failed.store(true, std::memory_order_release);
    std::clearerr(stream);
    // One line for the operator when stdout is full or broken; a reader that closed its pipe knows already.
    if (stream != stderr && error != EPIPE) {
        const std::string line = std::string("cradlectl: standard output: ") + std::strerror(error ? error : EIO) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
    return false;
}

bool outputFailed() { return failed.load(std::memory_order_acquire); }

}  // namespace cradlectl
