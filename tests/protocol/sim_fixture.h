// A simulated gimbal on a pseudo-terminal with the library opened on it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "Cradle.h"
#include "gimbalsim/Simulator.h"

namespace cradle_test {

using namespace std::chrono_literals;
using Frames = std::vector<std::vector<uint8_t>>;

// Opens with the gimbal's line settings.
inline int openPort(const char* name) {
    return CSerialOpenPort(name, CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS);
}
inline int openPort(const std::string& path) { return openPort(path.c_str()); }
inline int openPortWithLog(const char* name, const char* logPath) {
    return CSerialOpenPortWithLog(name, CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS,
                                  CRADLE_LINE_STOP_BITS, logPath);
}

// For state that announces itself by no event (the last error, a file on disk): looks again every
// few milliseconds until the condition holds or the generous limit passes.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

inline uint16_t le16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline gimbalsim::Fault status(int value, int count = -1) {
    gimbalsim::Fault fault;
    fault.status = value;
    fault.count = count;
    return fault;
}

inline gimbalsim::Fault silent() {
    gimbalsim::Fault fault;
    fault.silent = true;
    return fault;
}

class SimulatorTest : public ::testing::Test {
protected:
    static gimbalsim::Options defaultOptions() {
        gimbalsim::Options options;
        options.timeScale = 0.1;  // a 3 s calibration finishes in 300 ms
        return options;
    }
    explicit SimulatorTest(gimbalsim::Options options = defaultOptions()) : sim_(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(sim_.start());
        ASSERT_EQ(openPort(sim_.portPath()), 1) << "last error " << GetSerialLastError();
    }
    void TearDown() override { CSerialClosePort(); }

    // Frames of one command the simulator has received so far.
    Frames framesOf(uint8_t command) const {
        Frames out;
        for (const auto& frame : sim_.receivedFrames())
            if (frame.size() > 2 && frame[2] == command) out.push_back(frame);
        return out;
    }

    gimbalsim::Simulator sim_;
};

}  // namespace cradle_test
