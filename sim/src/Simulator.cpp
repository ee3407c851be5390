// The pty server: one thread reads requests (poll() on the line and a wake descriptor) and feeds the
// device model; one thread owns every write to the line (scheduled replies and the telemetry timer,
// waiting on a condition variable with a monotonic deadline). stop() wakes and joins both.
#include "gimbalsim/Simulator.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "device_model.h"
#include "pty_port.h"
#include "telemetry.h"
#include "wire.h"

namespace gimbalsim {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kSplitPause = 20ms;          // between the two halves of a split reply
constexpr auto kRebootTelemetryPause = 1s;  // the application restarting after 0x46
constexpr int kWriteStallMs = 20;           // a host that stops reading: drop bytes after this
constexpr size_t kPaceChunkBytes = 16;      // granularity of line-rate pacing
constexpr size_t kReadChunkBytes = 4096;
// A frame whose rest does not follow within this silence never will (a host cut off mid-frame):
// it is dropped so the requests behind it are heard.
constexpr auto kPartialFrameSilence = 200ms;
constexpr double kBitsPerByte8N1 = 10.0;
constexpr const char* kLinkName = "ttyGIMBAL0";

Clock::duration byteTime(int baud, size_t bytes) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kBitsPerByte8N1 * double(bytes) / baud));
}

std::vector<uint8_t> noise(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = uint8_t(0x11 + 37 * i);
        if (bytes[i] == wire::kSync0) bytes[i] = 0x55;  // never a false frame start in front of the reply
    }
    return bytes;
}

}  // namespace

struct Simulator::Impl {
    struct Job {
        Clock::time_point due;
        uint64_t sequence;
        Outgoing out;
    };

    explicit Impl(Options o) : options(std::move(o)), model(options) {}

    Options options;
    std::string linkPath;
    std::string tempDir;

    mutable std::mutex mutex;
    std::condition_variable outputCv;
    mutable std::condition_variable framesCv;
    DeviceModel model;
    std::deque<std::vector<uint8_t>> frames;  // the most recent kFrameHistory
    size_t framesSeen = 0;                    // since the start or the last clearReceived
    bool inputHeld = false;
    std::vector<Job> jobs;
    uint64_t nextSequence = 0;
    int hzA = 0, hzB = 0;
    Clock::time_point nextA{}, nextB{}, telemetryPausedUntil{};
    std::optional<std::array<uint8_t, kTelemetryABytes>> fixedA;
    std::optional<std::array<uint8_t, kTelemetryBBytes>> fixedB;
    uint8_t sequenceA = 0, sequenceB = 0;
    const Clock::time_point epoch = Clock::now();
    bool stopping = false;
    bool serving = false;

    PtyPort port;
    int wakeFd = -1;
    int closeWatch = -1;  // inotify: a host closed the port
    std::thread serveThread, outputThread;
    Clock::time_point outFreeAt{};

    void serve();
    void dispatch(wire::RequestReader& reader);
    void output();
    void sendReply(const Outgoing& out);
    std::vector<uint8_t> dueTelemetry(Clock::time_point now);
    void handle(const wire::Request& request);
    void schedule(Outgoing out, Clock::time_point base);
    bool waitUntil(Clock::time_point when);  // false when stopping
    void writeLine(const std::vector<uint8_t>& bytes);
    void writeAll(const uint8_t* data, size_t length);
};

void Simulator::Impl::schedule(Outgoing out, Clock::time_point base) {
    jobs.push_back({base + std::chrono::milliseconds(out.delayMs), nextSequence++, std::move(out)});
}

void Simulator::Impl::handle(const wire::Request& request) {
    std::lock_guard lock(mutex);
    frames.push_back(request.whole);
    if (frames.size() > kFrameHistory) frames.pop_front();
    ++framesSeen;
    framesCv.notify_all();
    ModelResult result = model.handle(request);
    const auto now = Clock::now();
    for (Outgoing& out : result.replies) schedule(std::move(out), now);
    if (result.rebooted) telemetryPausedUntil = now + kRebootTelemetryPause;
    outputCv.notify_all();
}

void Simulator::Impl::dispatch(wire::RequestReader& reader) {
    while (auto request = reader.next()) handle(*request);
}

void Simulator::Impl::serve() {
    wire::RequestReader reader;
    std::deque<std::pair<Clock::time_point, std::vector<uint8_t>>> inbound;
    Clock::time_point inFreeAt{}, lastFedAt{};
    bool lineOpen = true;
    for (;;) {
        auto wakeAt = Clock::time_point::max();
        if (!inbound.empty()) wakeAt = inbound.front().first;
        else if (reader.pending()) wakeAt = lastFedAt + kPartialFrameSilence;
        int timeoutMs = -1;
        if (wakeAt != Clock::time_point::max()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now());
            timeoutMs = int(std::max<int64_t>(0, wait.count()));
        }
        bool reading;
        {
            std::lock_guard lock(mutex);
            reading = lineOpen && !inputHeld;
        }
        // A hung-up line is left out of the poll set: poll() reports POLLHUP whatever events are asked for.
        pollfd fds[3] = {{wakeFd, POLLIN, 0}, {reading ? port.master : -1, POLLIN, 0}, {closeWatch, POLLIN, 0}};
        if (poll(fds, 3, timeoutMs) < 0 && errno != EINTR) break;
        if (fds[0].revents) {
            uint64_t value;
            [[maybe_unused]] ssize_t n = read(wakeFd, &value, sizeof value);
            std::lock_guard lock(mutex);
            if (stopping) break;
            continue;  // holdInput changed
        }
        if (fds[2].revents & POLLIN) {
            char events[4096];
            while (read(closeWatch, events, sizeof events) > 0) {
            }
            ioctl(port.slave, TIOCNXCL);
        }
        if (fds[1].revents & POLLIN) {
            std::vector<uint8_t> chunk(kReadChunkBytes);
            const ssize_t n = read(port.master, chunk.data(), chunk.size());
            if (n > 0) {
                chunk.resize(size_t(n));
                // Like a real line, the bytes are only all there once they have had time to cross it.
                auto due = Clock::now();
                if (options.lineRateBaud > 0) {
                    due = std::max(due, inFreeAt) + byteTime(options.lineRateBaud, chunk.size());
                    inFreeAt = due;
                }
                inbound.emplace_back(due, std::move(chunk));
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lineOpen = false;  // cannot happen while we hold the slave; never spin on it regardless
        }
        const auto now = Clock::now();
        while (!inbound.empty() && inbound.front().first <= now) {
            reader.feed(inbound.front().second.data(), inbound.front().second.size());
            inbound.pop_front();
            lastFedAt = now;
            dispatch(reader);
        }
        if (inbound.empty() && reader.pending() && now - lastFedAt >= kPartialFrameSilence)
            while (reader.pending()) {
                reader.dropPartial();
                dispatch(reader);
            }
    }
}

bool Simulator::Impl::waitUntil(Clock::time_point when) {
    std::unique_lock lock(mutex);
    outputCv.wait_until(lock, when, [&] { return stopping; });
    return !stopping;
}

void Simulator::Impl::writeAll(const uint8_t* data, size_t length) {
    while (length > 0) {
        const ssize_t n = write(port.master, data, length);
        if (n > 0) {
            data += n;
            length -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd fd{port.master, POLLOUT, 0};
            if (poll(&fd, 1, kWriteStallMs) > 0 && (fd.revents & POLLOUT)) continue;
        }
        return;  // nobody is reading the line: the rest is lost, as on a real wire
    }
}

void Simulator::Impl::writeLine(const std::vector<uint8_t>& bytes) {
    if (options.lineRateBaud <= 0) {
        writeAll(bytes.data(), bytes.size());
        return;
    }
    for (size_t at = 0; at < bytes.size(); at += kPaceChunkBytes) {
        const size_t n = std::min(kPaceChunkBytes, bytes.size() - at);
        // A chunk is handed over once the line could have carried its last bit, never sooner.
        outFreeAt = std::max(Clock::now(), outFreeAt) + byteTime(options.lineRateBaud, n);
        if (!waitUntil(outFreeAt)) return;
        writeAll(bytes.data() + at, n);
    }
}

// The one writer of the line: replies when they are due, telemetry frames at their rates.
void Simulator::Impl::output() {
    std::unique_lock lock(mutex);
    while (!stopping) {
        const auto now = Clock::now();
        auto job = std::min_element(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) {
            return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
        });
        auto next = job != jobs.end() ? job->due : Clock::time_point::max();
        if (hzA > 0) next = std::min(next, nextA);
        if (hzB > 0) next = std::min(next, nextB);
        if (next > now) {
            if (next == Clock::time_point::max())
                outputCv.wait(lock);
            else
                outputCv.wait_until(lock, next);
            continue;
        }
        std::vector<uint8_t> telemetryFrames;
        std::optional<Outgoing> reply;
        if (job != jobs.end() && job->due <= now) {
            reply = std::move(job->out);
            jobs.erase(job);
        } else {
            telemetryFrames = dueTelemetry(now);
        }
        lock.unlock();
        if (reply) sendReply(*reply);
        if (!telemetryFrames.empty()) writeLine(telemetryFrames);
        lock.lock();
    }
}

void Simulator::Impl::sendReply(const Outgoing& out) {
    if (out.noiseBytes > 0) writeLine(noise(size_t(out.noiseBytes)));
    if (!out.split) {
        writeLine(out.bytes);
        return;
    }
    const auto half = std::ptrdiff_t(out.bytes.size() / 2);
    writeLine({out.bytes.begin(), out.bytes.begin() + half});
    if (waitUntil(Clock::now() + kSplitPause)) writeLine({out.bytes.begin() + half, out.bytes.end()});
}

// The telemetry frames due at `now` (none while the application restarts); called under the mutex.
std::vector<uint8_t> Simulator::Impl::dueTelemetry(Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - epoch).count();
    const bool paused = now < telemetryPausedUntil ||
                        (options.telemetryOffAfterS >= 0 && seconds >= options.telemetryOffAfterS);
    std::vector<uint8_t> frame;
    auto advance = [&](Clock::time_point& deadline, int hz) {
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz));
        deadline += period;
        if (deadline <= now) deadline = now + period;  // fell behind: skip, never burst
    };
    auto append = [&](uint8_t command, const auto& record) {
        wire::Head head = wire::makeHead(command);
        std::copy(record.begin(), record.end(), head.begin() + 3);
        wire::sealHead(head);
        frame.insert(frame.end(), head.begin(), head.end());
    };
    if (hzA > 0 && nextA <= now) {
        advance(nextA, hzA);
        if (!paused) append(wire::cmd::kTelemetryA, fixedA ? *fixedA : telemetry::recordA(seconds, sequenceA++));
    }
    if (hzB > 0 && nextB <= now) {
        advance(nextB, hzB);
        if (!paused) {
            telemetry::ReceiverContext context;
            context.infraredCamera = model.infraredCamera();
            context.signalLost = options.lostSignalAfterS >= 0 && seconds >= options.lostSignalAfterS &&
                                 seconds < options.lostSignalAfterS + options.lostSignalForS;
            append(wire::cmd::kTelemetryB, fixedB ? *fixedB : telemetry::recordB(seconds, sequenceB++, context));
        }
    }
    return frame;
}

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
    impl_->hzA = std::max(0, impl_->options.telemetryAHz);
    impl_->hzB = std::max(0, impl_->options.telemetryBHz);
    impl_->linkPath = impl_->options.linkPath;
    if (impl_->linkPath.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gimbalsim-XXXXXX";
        if (mkdtemp(pattern.data())) {
            impl_->tempDir = pattern;
            impl_->linkPath = pattern + "/" + kLinkName;
        }
    }
}

Simulator::~Simulator() {
    stop();
    if (!impl_->tempDir.empty()) rmdir(impl_->tempDir.c_str());
}

bool Simulator::start() {
    Impl& s = *impl_;
    if (s.serving) return true;
    if (s.linkPath.empty()) return false;
    std::string error;
    if (!openPty(s.port, error)) return false;
    // A pty keeps a host's exclusive-use flag for as long as its master is open, unlike a real port,
    // so an ordinary user could never reopen it: the serving thread clears it whenever a host closes.
    // Watched before the link exists, so no close can slip past.
    s.closeWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (s.closeWatch >= 0) inotify_add_watch(s.closeWatch, s.port.slaveName.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    s.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s.wakeFd < 0 || !placeLink(s.linkPath, s.port.slaveName, error)) {
        if (s.wakeFd >= 0) close(s.wakeFd);
        if (s.closeWatch >= 0) close(s.closeWatch);
        s.wakeFd = s.closeWatch = -1;
        closePty(s.port);
        return false;
    }
    {
        std::lock_guard lock(s.mutex);
        s.stopping = false;
        const auto now = Clock::now();
        s.nextA = s.nextB = now;
        s.outFreeAt = now;
    }
    s.serveThread = std::thread([&s] { s.serve(); });
    s.outputThread = std::thread([&s] { s.output(); });
    s.serving = true;
    return true;
}

void Simulator::stop() {
    Impl& s = *impl_;
    if (!s.serving) return;
    {
        std::lock_guard lock(s.mutex);
        s.stopping = true;
        s.jobs.clear();  // replies still due die with the line
    }
    s.outputCv.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(s.wakeFd, &one, sizeof one);
    s.serveThread.join();
    s.outputThread.join();
    close(s.wakeFd);
    if (s.closeWatch >= 0) close(s.closeWatch);
    s.wakeFd = s.closeWatch = -1;
    removeLink(s.linkPath, s.port.slaveName);
    closePty(s.port);
    s.serving = false;
}

void Simulator::unplug() { stop(); }
bool Simulator::replug() { return start(); }

std::string Simulator::portPath() const { return impl_->linkPath; }

void Simulator::setFault(uint8_t command, Fault f) {
    std::lock_guard lock(impl_->mutex);
    impl_->model.setFault(command, f);
}

void Simulator::setControlFault(uint8_t subCommand, uint8_t unitBit, Fault f) {
    std::lock_guard lock(impl_->mutex);
    impl_->model.setControlFault(subCommand, unitBit, f);
}

void Simulator::clearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->model.clearFaults();
}

void Simulator::setTelemetryRate(int hzA, int hzB) {
    std::lock_guard lock(impl_->mutex);
    const auto now = Clock::now();
    if (impl_->hzA <= 0 && hzA > 0) impl_->nextA = now;
    if (impl_->hzB <= 0 && hzB > 0) impl_->nextB = now;
    impl_->hzA = std::max(0, hzA);
    impl_->hzB = std::max(0, hzB);
    impl_->outputCv.notify_all();
}

void Simulator::setTelemetryA(std::array<uint8_t, kTelemetryABytes> record) {
    std::lock_guard lock(impl_->mutex);
    impl_->fixedA = record;
}

void Simulator::setTelemetryB(std::array<uint8_t, kTelemetryBBytes> record) {
    std::lock_guard lock(impl_->mutex);
    impl_->fixedB = record;
}

void Simulator::sendRaw(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(impl_->mutex);
    Outgoing out;
    out.bytes = bytes;
    impl_->schedule(std::move(out), Clock::now());
    impl_->outputCv.notify_all();
}

void Simulator::holdInput(bool held) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->inputHeld = held;
    }
    if (impl_->wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(impl_->wakeFd, &one, sizeof one);
    }
}

std::vector<std::vector<uint8_t>> Simulator::receivedFrames() const {
    std::lock_guard lock(impl_->mutex);
    return {impl_->frames.begin(), impl_->frames.end()};
}

bool Simulator::waitForFrames(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->framesCv.wait_for(lock, timeout, [&] { return impl_->framesSeen >= count; });
}

void Simulator::clearReceived() {
    std::lock_guard lock(impl_->mutex);
    impl_->frames.clear();
    impl_->framesSeen = 0;
}

uint16_t Simulator::parameter(int number) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.parameter(number);
}

void Simulator::setParameter(int number, uint16_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->model.setParameter(number, value);
}

std::array<uint8_t, kConfigRecordBytes> Simulator::configRecord() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.configRecord();
}

std::array<uint8_t, kConfigRecordBytes> Simulator::savedConfigRecord() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.savedConfigRecord();
}

void Simulator::setConfigRecord(std::array<uint8_t, kConfigRecordBytes> record) {
    std::lock_guard lock(impl_->mutex);
    impl_->model.setConfigRecord(record);
}

std::vector<uint8_t> Simulator::firmwareImage(uint32_t unitCode) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.firmwareImage(unitCode);
}

int Simulator::startApplicationCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.startApplicationCount();
}

bool Simulator::isRunning() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.isRunning();
}

}  // namespace gimbalsim
