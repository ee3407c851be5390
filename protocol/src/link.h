// The serial link: the port, the reader, parser and watchdog threads, the last error and the runtime log.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "Cradle.h"
#include "parser.h"
#include "ring.h"
#include "runtime_log.h"
#include "serial.h"
#include "stores.h"

namespace cradle {

constexpr size_t kPortNameCapacity = 64;  // names up to 63 characters

class Link {
public:
    static Link& instance();
    ~Link();

    // logPath is used only when withLog is set. Returns 1 when open and running, else 0.
    int open(const char* portName, int baudRate, int parity, int dataBits, int stopBits,
             bool withLog, const char* logPath);
    void close();
    int lastError() const { return lastError_.load(); }
    // Set from a successful open until the close: the protocol exports may run.
    bool started() const { return started_.load(); }
    // True while the port is open and configured; a close or a removal turns it false and wakes
    // every reply wait (ReplyStores::wakeWaiters).
    const std::atomic<bool>& lineUp() const { return portOpen_; }
    // Writes the whole frame in paced pieces under the port lock; false if nothing could be written.
    bool sendFrame(std::span<const uint8_t> frame);
    // Sleeps until `until`; false at once when the link is closed meanwhile (or already).
    bool pauseUnlessClosed(std::chrono::steady_clock::time_point until);
    ReplyStores& stores() { return stores_; }

private:
    Link() = default;
    struct Settings {
        std::string path;
        int baudRate = 0;
        char parity = 'n';
        int16_t dataBits = 0;
        int16_t stopBits = 0;
    };

    bool configure(const Settings& settings, bool reportErrors);
    void closePortLocked();
    void lineLost();
    void lineHungUp(uint64_t generation);
    void shutdown();
    bool startThreads();
    void readerLoop();
    void parserLoop();
    void watchdogLoop();
    void watchdogCycle();

    ReplyStores stores_;

    std::mutex apiMutex_;  // open and close never overlap each other
    std::atomic<bool> started_{false};
    std::atomic<bool> portOpen_{false};
    std::atomic<int> lastError_{CRADLE_SERIAL_OK};
    Settings settings_;

    std::mutex portLock_;
    platform::PortHandle handle_ = platform::kNoPort;  // guarded by portLock_
    uint64_t handleGeneration_ = 0;                     // guarded by portLock_; changes with every handle
    std::atomic<uint64_t> hungUpGeneration_{0};        // the handle the reader saw hang up
    platform::Waker readerWaker_;  // created by the open, released by the close

    std::mutex ringMutex_;
    std::condition_variable bytesArrived_;
    std::condition_variable ringDrained_;
    bool unparsedBytes_ = false;  // guarded by ringMutex_
    ReceiveRing ring_;            // guarded by ringMutex_
    FrameParser parser_{ring_, stores_};

    std::mutex closeMutex_;
    std::condition_variable closed_;  // wakes exports pausing between send attempts

    std::mutex watchdogMutex_;
    std::condition_variable watchdogWake_;
    bool watchdogNudged_ = false;  // guarded by watchdogMutex_: the reader saw the line hang up

    std::atomic<bool> stopping_{false};
    std::thread reader_, parserThread_, watchdog_;
    RuntimeLog log_{platform::kLogAppendMode};  // written by the reader only while it runs
};

}  // namespace cradle
