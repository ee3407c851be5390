// Firmware upload throughput: a 64 KiB image through a gimbal-sim paced like a real 115200 baud line,
// against the most the protocol itself allows at that rate.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "Cradle.h"
#include "support/line_settings.h"
#include "support/sim_process.h"

namespace {

constexpr unsigned kImageBytes = 64 * 1024;
constexpr double kLineBytesPerS = CRADLE_LINE_BAUD / 10.0;  // 8N1: ten bits a byte
constexpr double kBlockImageBytes = 256;
constexpr double kPiecePausesS = 3 * 0.050;      // a 294-byte block goes out in four pieces, 50 ms apart
constexpr double kBlockFrameBytes = 294;
constexpr double kBlockReplyBytes = 36;
constexpr double kTargetRatio = 0.9;
constexpr int kUnitMx = 2;

// Image bytes per second when every block costs its pauses plus its bytes both ways on the line.
constexpr double protocolLimit() {
    return kBlockImageBytes / (kPiecePausesS + (kBlockFrameBytes + kBlockReplyBytes) / kLineBytesPerS);
}

}  // namespace

int main() {
    bench::SimProcess sim({"--line-rate", std::to_string(CRADLE_LINE_BAUD)});
    if (!sim.ok()) {
        std::fprintf(stderr, "firmware throughput: %s\n", sim.failure().c_str());
        return 1;
    }
    if (!bench::openPort(sim.portPath())) {
        std::fprintf(stderr, "firmware throughput: cannot open %s (last error %d)\n", sim.portPath().c_str(),
                     GetSerialLastError());
        return 1;
    }
    std::vector<unsigned char> image(kImageBytes);
    std::mt19937 random(20261207);
    for (auto& byte : image) byte = static_cast<unsigned char>(random());

    const int unit = kUnitMx;
    const int request = UpdateFirmRequest(&unit);
    unsigned char progress = 0;
    const auto begin = std::chrono::steady_clock::now();
    const int written = request == 0 ? WriteFirm(&unit, image.data(), kImageBytes, &progress) : -1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    CSerialClosePort();
    if (written != 0) {
        std::fprintf(stderr, "firmware throughput: UpdateFirmRequest gave %d, WriteFirm gave %d\n", request, written);
        return 1;
    }

    const double bytesPerS = kImageBytes / seconds;
    const double ratio = bytesPerS / protocolLimit();
    std::printf("firmware upload: %u bytes in %.2f s at %d baud, %.1f bytes/s (progress %d%%)\n", kImageBytes, seconds,
                CRADLE_LINE_BAUD, bytesPerS, int(progress));
    std::printf("  reference: the protocol's own limit at that rate is %.1f bytes/s (256 image bytes per block over\n"
                "  three 50 ms pauses plus %.0f bytes out and %.0f back at %.0f bytes/s; a ratio above 1 means the\n"
                "  line carried the first pieces during the pauses); target ratio at least %.1f\n",
                protocolLimit(), kBlockFrameBytes, kBlockReplyBytes, kLineBytesPerS, kTargetRatio);
    std::printf("firmware_throughput_ratio %.3f\n", ratio);
    return 0;
}
