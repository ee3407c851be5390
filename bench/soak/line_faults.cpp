#include "line_faults.h"

#include <chrono>
#include <sstream>
#include <vector>

#include "frame.h"
#include "parser.h"

namespace soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kUnplugEvery = 20s;
constexpr auto kUnpluggedFor = 3s;  // long enough for the library's watchdog to notice
constexpr int kMinGapMs = 200, kMaxGapMs = 1200;
constexpr int kMaxNoiseBytes = 300;
constexpr int kMaxReplyNoise = 40;
constexpr int kMaxLateMs = 1500;    // well inside a reply window: the reply still counts
constexpr int kMaxRepeats = 3;
constexpr uint8_t kRequestCommands[] = {0x43, 0x44, 0x45, 0x4D, 0x4E, 0x72, 0x73};
constexpr uint8_t kControlSubCommands[] = {0x22, 0x23, 0x24, 0x25, 0x26, 0x27};
constexpr uint8_t kUnitBits[] = {2, 4, 8};
constexpr uint8_t kRefusals[] = {0xFD, 0xFE, 0xFF};
constexpr size_t kFrameBytes = cradle::kFrameSize;
constexpr const char* kKindNames[] = {"dropped replies", "corrupted replies", "noisy replies", "split replies",
                                      "late replies",    "refused replies",   "line noise",    "corrupted frames",
                                      "cut frames",      "unplug/replug"};

// A telemetry frame as the gimbal sends it, with a random record.
std::vector<uint8_t> telemetryFrame(std::mt19937& random) {
    std::array<uint8_t, CRADLE_TELEMETRY_A_SIZE> record;
    for (auto& byte : record) byte = uint8_t(random());
    const cradle::Frame frame = cradle::makeFrame(cradle::command::kTelemetryA, record);
    return {frame.begin(), frame.end()};
}

template <typename T, size_t N>
T pick(const T (&options)[N], std::mt19937& random) {
    return options[random() % N];
}

int between(int low, int high, std::mt19937& random) { return low + int(random() % uint32_t(high - low + 1)); }

}  // namespace

LineFaults::LineFaults(gimbalsim::Simulator& simulator, uint32_t seed)
    : simulator_(simulator), random_(seed), thread_([this] { run(); }) {}

LineFaults::~LineFaults() { stop(); }

void LineFaults::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopRequested_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void LineFaults::count(Kind kind) {
    std::lock_guard lock(mutex_);
    ++injected_[kind];
}

std::string LineFaults::summary() const {
    std::lock_guard lock(mutex_);
    std::ostringstream text;
    for (int kind = 0; kind < kKinds; ++kind) text << (kind ? ", " : "") << kKindNames[kind] << " " << injected_[kind];
    return text.str();
}

gimbalsim::Fault LineFaults::replyFault(Kind kind) {
    gimbalsim::Fault fault;
    fault.count = 1;
    switch (kind) {
    case DroppedReply: fault.silent = true; break;
    case CorruptReply: fault.corruptCrc = true; break;
    case NoisyReply:
        fault.noiseBytes = between(1, kMaxReplyNoise, random_);
        fault.count = between(1, kMaxRepeats, random_);
        break;
    case SplitReply:
        fault.split = true;
        fault.count = between(1, kMaxRepeats, random_);
        break;
    case LateReply: fault.delayMs = between(1, kMaxLateMs, random_); break;
    default: fault.status = pick(kRefusals, random_); break;
    }
    return fault;
}

void LineFaults::injectOne() {
    const Kind kind = Kind(random_() % Unplug);
    switch (kind) {
    case LineNoise: {
        std::vector<uint8_t> junk(size_t(between(1, kMaxNoiseBytes, random_)));
        for (auto& byte : junk) byte = uint8_t(random_());
        simulator_.sendRaw(junk);
        break;
    }
    case CorruptFrame: {
        auto frame = telemetryFrame(random_);
        frame[cradle::kBodyOffset + random_() % (kFrameBytes - cradle::kBodyOffset)] ^= uint8_t(1u << (random_() % 8));
        simulator_.sendRaw(frame);
        break;
    }
    case CutFrame: {
        auto frame = telemetryFrame(random_);
        frame.resize(size_t(between(2, int(kFrameBytes) - 1, random_)));
        simulator_.sendRaw(frame);
        break;
    }
    default:
        // Replies of one command, or of one control sub-command from one unit.
        if (random_() % 2)
            simulator_.setFault(pick(kRequestCommands, random_), replyFault(kind));
        else
            simulator_.setControlFault(pick(kControlSubCommands, random_), pick(kUnitBits, random_), replyFault(kind));
        break;
    }
    count(kind);
}

void LineFaults::run() {
    auto nextUnplug = Clock::now() + kUnplugEvery;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto gap = std::chrono::milliseconds(between(kMinGapMs, kMaxGapMs, random_));
        if (stopRequested_.wait_for(lock, gap, [this] { return stopping_; })) break;
        lock.unlock();
        simulator_.clearReceived();  // the simulator keeps every request it saw; the soak needs none
        const bool unplugDue = Clock::now() >= nextUnplug;
        if (!unplugDue) injectOne();
        lock.lock();
        if (!unplugDue) continue;

        ++injected_[Unplug];
        simulator_.unplug();
        stopRequested_.wait_for(lock, kUnpluggedFor, [this] { return stopping_; });
        simulator_.replug();  // also when stopping: the driver closes a port that is there
        nextUnplug = Clock::now() + kUnplugEvery;
    }
}

}  // namespace soak
