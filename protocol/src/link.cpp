#include "link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace cradle {
namespace {

using namespace std::chrono_literals;

constexpr size_t kPieceBytes = 80;
constexpr auto kPieceGap = 50ms;
// How long a piece may wait for a line that takes no more bytes, holding the port lock: short, so a
// stalled line fails the attempt and the export still ends within its two seconds of attempts.
constexpr int kWritableWaitMs = 50;
constexpr auto kWatchdogPeriod = 1000ms;
// Bytes left unparsed this long with nothing arriving behind them begin a frame that was cut off (a
// device reset mid-reply, bytes lost by an adapter): long beside the gaps inside one reply (a full
// long frame crosses the line in about 25 ms at 115200 baud), short beside the exports' windows.
constexpr auto kPartialFrameSilence = 150ms;
constexpr size_t kReadChunkBytes = 1024;
constexpr size_t kModeTextCapacity = 80;

}  // namespace

Link& Link::instance() {
    static Link link;
    return link;
}

Link::~Link() {
    // A program that ends without closing: join the threads, unless the system has ended them already.
    if (!platform::processIsEnding()) {
        shutdown();
        return;
    }
    for (std::thread* thread : {&reader_, &parserThread_, &watchdog_})
        if (thread->joinable()) thread->detach();
}

bool Link::configure(const Settings& settings, bool reportErrors) {
    std::lock_guard lock(portLock_);
    if (handle_ != platform::kNoPort) {
        if (reportErrors) lastError_ = CRADLE_SERIAL_NOT_CLOSED;
        return false;
    }
    char mode[kModeTextCapacity];
    std::snprintf(mode, sizeof mode, "baud=%d parity=%c data=%d stop=%d", settings.baudRate,
                  settings.parity, settings.dataBits, settings.stopBits);
    platform::PortHandle handle;
    switch (platform::openPort(settings.path, mode, handle)) {
    case platform::OpenStatus::OpenFailed:
        if (reportErrors) lastError_ = CRADLE_SERIAL_OPEN_FAILED;
        return false;
    case platform::OpenStatus::InUse:
        if (reportErrors) lastError_ = CRADLE_SERIAL_IN_USE;
        return false;
    case platform::OpenStatus::HeldElsewhere:
        if (reportErrors) lastError_ = CRADLE_SERIAL_HELD_ELSEWHERE;
        return false;
    case platform::OpenStatus::SettingsFailed:
        portOpen_ = false;
        if (reportErrors) lastError_ = CRADLE_SERIAL_SETTINGS_FAILED;
        return false;
    case platform::OpenStatus::Ok:
        break;
    }
    handle_ = handle;
    ++handleGeneration_;
    {
        // Whatever the ring holds came through an earlier handle: a frame cut by the removal would
        // otherwise swallow the first reply on the port that came back. Nothing can be read from the
        // new handle before the port lock is released.
        std::lock_guard ringLock(ringMutex_);
        ring_.clear();
    }
    portOpen_ = true;
    return true;
}

void Link::closePortLocked() {
    lineLost();
    if (handle_ == platform::kNoPort) return;
    platform::closePort(handle_);
    handle_ = platform::kNoPort;
    ++handleGeneration_;
}

void Link::lineLost() {
    portOpen_ = false;
    stores_.wakeWaiters();  // no reply can come now: waiting exports end at once
}

int Link::open(const char* portName, int baudRate, int parity, int dataBits, int stopBits,
               bool withLog, const char* logPath) {
    std::lock_guard api(apiMutex_);
    if (portOpen_) {
        lastError_ = CRADLE_SERIAL_IN_USE;
        return 0;
    }
    // The port was lost and never closed: the old threads go first, so only one set ever runs.
    if (started_) shutdown();
    if (withLog && !log_.open(logPath)) {
        lastError_ = CRADLE_SERIAL_LOG_FAILED;
        return 0;
    }
    if (!portName || std::strlen(portName) >= kPortNameCapacity) {
        lastError_ = CRADLE_SERIAL_OPEN_FAILED;
        log_.close();
        return 0;
    }
    Settings settings;
    settings.path = platform::devicePath(portName);
    settings.baudRate = baudRate;
    settings.parity = static_cast<char>(parity & 0xFF);
    settings.dataBits = static_cast<int16_t>(dataBits);
    settings.stopBits = static_cast<int16_t>(stopBits);
    if (!configure(settings, true)) {
        log_.close();  // the failing step's code stays readable
        return 0;
    }
    settings_ = settings;
    // A fresh connection: a removal reported for the last one no longer applies.
    lastError_ = CRADLE_SERIAL_OK;
    if (!startThreads()) {
        shutdown();
        lastError_ = CRADLE_SERIAL_OPEN_FAILED;
        return 0;
    }
    started_ = true;
    return 1;
}

bool Link::startThreads() {
    // Made per connection: a failure (no descriptor free) fails this open only.
    if (!readerWaker_.create()) return false;
    stopping_ = false;
    try {
        reader_ = std::thread(&Link::readerLoop, this);
        parserThread_ = std::thread(&Link::parserLoop, this);
        watchdog_ = std::thread(&Link::watchdogLoop, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Link::shutdown() {
    // Exports that wait for a reply or pause between attempts see the close at once.
    started_ = false;
    lineLost();
    {
        std::lock_guard lock(closeMutex_);
    }
    closed_.notify_all();
    stopping_ = true;
    readerWaker_.wake();
    {
        std::lock_guard lock(ringMutex_);
    }
    bytesArrived_.notify_all();
    ringDrained_.notify_all();
    {
        std::lock_guard lock(watchdogMutex_);
        watchdogNudged_ = false;
    }
    watchdogWake_.notify_all();
    for (std::thread* thread : {&reader_, &parserThread_, &watchdog_})
        if (thread->joinable()) thread->join();
    {
        std::lock_guard lock(portLock_);
        closePortLocked();
    }
    readerWaker_.release();
    log_.close();
}

void Link::close() {
    std::lock_guard api(apiMutex_);
    shutdown();
    lastError_ = CRADLE_SERIAL_OK;
}

bool Link::sendFrame(std::span<const uint8_t> frame) {
    if (!portOpen_) return false;
    std::lock_guard lock(portLock_);
    if (handle_ == platform::kNoPort || !portOpen_) return false;
    for (size_t offset = 0; offset < frame.size(); offset += kPieceBytes) {
        if (offset > 0) std::this_thread::sleep_for(kPieceGap);
        const size_t piece = std::min(kPieceBytes, frame.size() - offset);
        if (!platform::writeAll(handle_, frame.data() + offset, piece, kWritableWaitMs)) {
            // Part of the frame may be queued: dropped, so the retry goes out whole and alone.
            platform::purgeInputAndOutput(handle_);
            return false;
        }
    }
    return true;
}

bool Link::pauseUnlessClosed(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(closeMutex_);
    return !closed_.wait_until(lock, until, [this] { return !started_; });
}

void Link::readerLoop() {
    platform::raiseCurrentThreadPriority();
    uint8_t chunk[kReadChunkBytes];
    while (!stopping_) {
        platform::PortHandle port;
        uint64_t generation;
        {
            std::lock_guard lock(portLock_);
            port = portOpen_ ? handle_ : platform::kNoPort;
            generation = handleGeneration_;
        }
        // A hung-up port reports itself ready for ever; leave it alone until the watchdog replaces it.
        if (generation == hungUpGeneration_) port = platform::kNoPort;
        const platform::Waker::Event event = readerWaker_.wait(port);
        if (stopping_) break;
        if (event == platform::Waker::Event::Woken) continue;
        if (event != platform::Waker::Event::PortReadable) {
            lineHungUp(generation);
            continue;
        }
        // Take no more than the ring has room for: a burst waits in the driver instead of pushing
        // unparsed replies out of the ring.
        size_t room;
        {
            std::unique_lock lock(ringMutex_);
            ringDrained_.wait(lock, [this] { return stopping_ || ring_.freeSpace() > 0; });
            room = std::min(ring_.freeSpace(), sizeof chunk);
        }
        if (stopping_) break;
        size_t received = 0;
        {
            std::lock_guard lock(portLock_);
            if (generation != handleGeneration_ || handle_ == platform::kNoPort) continue;
            const platform::ReadStatus status = platform::readQueued(handle_, chunk, room, received);
            if (status == platform::ReadStatus::HungUp) {
                platform::purgeInput(handle_);
                lineHungUp(generation);
                continue;
            }
        }
        if (received == 0) continue;
        {
            std::lock_guard lock(ringMutex_);
            for (size_t i = 0; i < received; ++i) ring_.push(chunk[i]);
            unparsedBytes_ = true;
        }
        bytesArrived_.notify_one();
        log_.append(chunk, received);
    }
}

// The watchdog acts on the hang-up at once instead of at its next cycle, so waiting exports end now.
void Link::lineHungUp(uint64_t generation) {
    hungUpGeneration_ = generation;
    {
        std::lock_guard lock(watchdogMutex_);
        watchdogNudged_ = true;
    }
    watchdogWake_.notify_all();
}

void Link::parserLoop() {
    platform::raiseCurrentThreadPriority();
    std::unique_lock lock(ringMutex_);
    const auto arrived = [this] { return stopping_ || unparsedBytes_; };
    while (!stopping_) {
        // Sleeps without a deadline when everything was parsed; only a frame left incomplete has one.
        if (ring_.available() == 0) {
            bytesArrived_.wait(lock, arrived);
        } else if (!bytesArrived_.wait_for(lock, kPartialFrameSilence, arrived)) {
            parser_.dropPartialFrame();
            ringDrained_.notify_one();
            continue;
        }
        unparsedBytes_ = false;
        parser_.drain();
        ringDrained_.notify_one();
    }
}

void Link::watchdogLoop() {
    platform::raiseCurrentThreadPriority();
    while (!stopping_) {
        watchdogCycle();
        std::unique_lock lock(watchdogMutex_);
        watchdogWake_.wait_for(lock, kWatchdogPeriod, [this] { return stopping_ || watchdogNudged_; });
        watchdogNudged_ = false;
    }
}

void Link::watchdogCycle() {
    const bool exists = platform::portExists(settings_.path);
    {
        std::lock_guard lock(portLock_);
        const bool hungUp = portOpen_ && hungUpGeneration_ == handleGeneration_;
        if (!exists || hungUp) {
            if (portOpen_) {
                lastError_ = CRADLE_SERIAL_PORT_REMOVED;
                closePortLocked();
                readerWaker_.wake();
            }
            return;
        }
    }
    // A failed attempt to reopen keeps the code 7, so the caller still sees the port as removed.
    if (!portOpen_ && configure(settings_, false)) readerWaker_.wake();
}

}  // namespace cradle
