#include "serial.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include <windows.h>

#include "win32_errors.h"

namespace cradle::platform {

static_assert(win32::kFileNotFound == ERROR_FILE_NOT_FOUND && win32::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              win32::kAccessDenied == ERROR_ACCESS_DENIED && win32::kInvalidHandle == ERROR_INVALID_HANDLE &&
              win32::kNotReady == ERROR_NOT_READY && win32::kBadCommand == ERROR_BAD_COMMAND &&
              win32::kSharingViolation == ERROR_SHARING_VIOLATION && win32::kBrokenPipe == ERROR_BROKEN_PIPE &&
              win32::kOperationAborted == ERROR_OPERATION_ABORTED && win32::kDeviceRemoved == ERROR_DEVICE_REMOVED);

namespace {

// A read that finds nothing for this long ends empty and is started again: one wake-up a minute.
constexpr DWORD kIdleReadMs = 60000;
// Reads that fail in a row for no reason the mapping knows before the line counts as hung up, so a
// port that fails every read cannot keep the reader spinning.
constexpr int kFailedReadsBeforeHangUp = 3;

// One open port. The reader sleeps on a pending one-byte read (its completion says input is there)
// and then takes what is queued; writes and purges come from other threads under the link's port lock.
// Shared, so a reader still holding a port that the watchdog has just closed never touches freed memory.
struct Port {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::mutex mutex;  // guards everything below against a close from another thread
    OVERLAPPED readOverlapped{};
    bool readPending = false;
    uint8_t firstByte = 0;
    bool haveFirstByte = false;  // the pending read delivered a byte that readQueued has not handed out
    bool hungUp = false;
    int failedReads = 0;

    ~Port() {
        if (readOverlapped.hEvent) CloseHandle(readOverlapped.hEvent);
    }
};

std::atomic<bool> processEnding{false};

std::mutex registryMutex;
std::map<PortHandle, std::shared_ptr<Port>> registry;
PortHandle nextHandle = 1;

std::shared_ptr<Port> find(PortHandle handle) {
    std::lock_guard lock(registryMutex);
    const auto it = registry.find(handle);
    return it == registry.end() ? nullptr : it->second;
}

// Runs an overlapped call to its end; false with the system's error when it failed.
bool finish(HANDLE file, OVERLAPPED& overlapped, BOOL started, DWORD& transferred, DWORD& error) {
    error = started ? ERROR_SUCCESS : GetLastError();
    if (!started && error != ERROR_IO_PENDING) return false;
    if (GetOverlappedResult(file, &overlapped, &transferred, TRUE)) return true;
    error = GetLastError();
    return false;
}

// The number of bytes the driver holds; false (with the error) when the port cannot be asked.
bool queuedBytes(HANDLE file, DWORD& queued, DWORD& error) {
    DWORD lineErrors = 0;
    COMSTAT status{};
    if (!ClearCommError(file, &lineErrors, &status)) {
        error = GetLastError();
        return false;
    }
    queued = status.cbInQue;
    return true;
}

// Called with port.mutex held after the pending read has ended (or failed to start).
Waker::Event readEnded(Port& port, bool ok, DWORD transferred, DWORD error) {
    port.readPending = false;
    if (ok) {
        port.failedReads = 0;
        if (transferred == 1) {
            port.haveFirstByte = true;
            return Waker::Event::PortReadable;
        }
        return Waker::Event::Woken;  // the idle time-out ran out: start again
    }
    DWORD queued = 0, queryError = ERROR_SUCCESS;
    if (win32::meansRemoval(error) || (!queuedBytes(port.file, queued, queryError) && win32::meansRemoval(queryError)) ||
        ++port.failedReads >= kFailedReadsBeforeHangUp) {
        port.hungUp = true;
        return Waker::Event::PortHungUp;
    }
    return Waker::Event::Woken;
}

}  // namespace

std::string devicePath(const std::string& portName) {
    if (portName.rfind("\\\\.\\", 0) == 0) return portName;
    return "\\\\.\\" + portName;
}

OpenStatus openPort(const std::string& path, const std::string& modeText, PortHandle& handle) {
    handle = kNoPort;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) return win32::openFailure(GetLastError());

    // A one-byte read waits for its byte (or the idle time-out); a longer one takes what is queued
    // and returns. Writes have no time-out of their own: writeAll bounds them.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kIdleReadMs;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool configured = SetCommTimeouts(file, &timeouts) && GetCommState(file, &dcb) &&
                      BuildCommDCBA(modeText.c_str(), &dcb);
    if (configured) {
        // Raw bytes both ways: no flow control, nothing replaced or dropped, no read stopped by a line error.
        dcb.fBinary = TRUE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        configured = SetCommState(file, &dcb);
    }
    PurgeComm(file, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (!configured) {
        CloseHandle(file);
        return OpenStatus::SettingsFailed;
    }
    auto port = std::make_shared<Port>();
    port->file = file;
    port->readOverlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!port->readOverlapped.hEvent) {
        CloseHandle(file);
        return OpenStatus::OpenFailed;
    }
    std::lock_guard lock(registryMutex);
    handle = nextHandle++;
    registry.emplace(handle, std::move(port));
    return OpenStatus::Ok;
}

void closePort(PortHandle handle) {
    std::shared_ptr<Port> port;
    {
        std::lock_guard lock(registryMutex);
        const auto it = registry.find(handle);
        if (it == registry.end()) return;
        port = std::move(it->second);
        registry.erase(it);
    }
    std::lock_guard lock(port->mutex);
    if (port->readPending) {
        // The read's buffer and OVERLAPPED belong to the port: wait until the system lets go of them.
        CancelIoEx(port->file, &port->readOverlapped);
        DWORD ignored;
        GetOverlappedResult(port->file, &port->readOverlapped, &ignored, TRUE);
        port->readPending = false;
        SetEvent(port->readOverlapped.hEvent);  // a reader sleeping on it wakes and finds the port closed
    }
    CloseHandle(port->file);
    port->file = INVALID_HANDLE_VALUE;
}

bool writeAll(PortHandle handle, const uint8_t* data, size_t length, int waitMs) {
    const std::shared_ptr<Port> port = find(handle);
    if (!port || port->file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return false;
    const DWORD start = GetTickCount();
    bool ok = true;
    while (length > 0 && ok) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(waitMs)) {
            ok = false;  // a stalled line: the caller retries later
            break;
        }
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(length, MAXDWORD));
        DWORD written = 0;
        if (!WriteFile(port->file, data, piece, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
            ok = false;
            break;
        }
        if (WaitForSingleObject(overlapped.hEvent, static_cast<DWORD>(waitMs) - elapsed) != WAIT_OBJECT_0) {
            CancelIoEx(port->file, &overlapped);
            GetOverlappedResult(port->file, &overlapped, &written, TRUE);
            ok = false;
            break;
        }
        if (!GetOverlappedResult(port->file, &overlapped, &written, FALSE) || written == 0) {
            ok = false;
            break;
        }
        data += written;
        length -= written;
    }
    CloseHandle(overlapped.hEvent);
    return ok;
}

void purgeInput(PortHandle handle) {
    const std::shared_ptr<Port> port = find(handle);
    if (!port) return;
    std::lock_guard lock(port->mutex);
    // Clear only: aborting would end the reader's pending read with an error that means removal.
    PurgeComm(port->file, PURGE_RXCLEAR);
    port->haveFirstByte = false;
}

void purgeInputAndOutput(PortHandle handle) {
    const std::shared_ptr<Port> port = find(handle);
    if (!port) return;
    std::lock_guard lock(port->mutex);
    // Clear only, as purgeInput does.
    PurgeComm(port->file, PURGE_RXCLEAR | PURGE_TXCLEAR);
    port->haveFirstByte = false;
}

bool portExists(const std::string& path) {
    const HANDLE probe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OVERLAPPED, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return true;
    }
    return !win32::portMissing(GetLastError());  // held (by this library too) reads as access denied
}

ReadStatus readQueued(PortHandle handle, uint8_t* buffer, size_t capacity, size_t& received) {
    received = 0;
    const std::shared_ptr<Port> port = find(handle);
    if (!port || capacity == 0) return ReadStatus::Nothing;
    std::lock_guard lock(port->mutex);
    if (port->hungUp) return ReadStatus::HungUp;
    if (port->readPending) return ReadStatus::Nothing;  // the reader's wait owns the port's read
    if (port->haveFirstByte) {
        buffer[received++] = port->firstByte;
        port->haveFirstByte = false;
    }
    DWORD queued = 0, error = ERROR_SUCCESS;
    if (!queuedBytes(port->file, queued, error)) {
        if (!win32::meansRemoval(error)) return received > 0 ? ReadStatus::Data : ReadStatus::Nothing;
        port->hungUp = true;
        return ReadStatus::HungUp;
    }
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(queued, capacity - received));
    if (wanted > 0) {
        // The bytes are queued, so this returns at once (the time-outs return what is there).
        DWORD got = 0;
        const BOOL started = ReadFile(port->file, buffer + received, wanted, nullptr, &port->readOverlapped);
        if (finish(port->file, port->readOverlapped, started, got, error)) {
            received += got;
        } else if (win32::meansRemoval(error)) {
            port->hungUp = true;
            return ReadStatus::HungUp;
        }
    }
    return received > 0 ? ReadStatus::Data : ReadStatus::Nothing;
}

bool Waker::create() {
    release();
    const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event) return false;
    native_ = reinterpret_cast<intptr_t>(event);
    return true;
}

void Waker::release() {
    if (native_ != -1) CloseHandle(reinterpret_cast<HANDLE>(native_));
    native_ = -1;
}

void Waker::wake() {
    if (native_ != -1) SetEvent(reinterpret_cast<HANDLE>(native_));
}

Waker::Event Waker::wait(PortHandle portHandle) {
    const HANDLE stop = reinterpret_cast<HANDLE>(native_);
    const std::shared_ptr<Port> port = portHandle == kNoPort ? nullptr : find(portHandle);
    if (!port) return WaitForSingleObject(stop, INFINITE) == WAIT_OBJECT_0 ? Event::Woken : Event::Failed;
    {
        std::lock_guard lock(port->mutex);
        if (port->file == INVALID_HANDLE_VALUE) return Event::Woken;
        if (port->hungUp) return Event::PortHungUp;
        if (port->haveFirstByte) return Event::PortReadable;
        if (!port->readPending) {
            const BOOL done = ReadFile(port->file, &port->firstByte, 1, nullptr, &port->readOverlapped);
            const DWORD error = done ? ERROR_SUCCESS : GetLastError();
            if (done) {
                DWORD transferred = 0;
                const BOOL ok = GetOverlappedResult(port->file, &port->readOverlapped, &transferred, FALSE);
                return readEnded(*port, ok, transferred, ok ? ERROR_SUCCESS : GetLastError());
            }
            if (error != ERROR_IO_PENDING) return readEnded(*port, false, 0, error);
            port->readPending = true;
        }
    }
    // Sleeps with no time-out: input, a failing line or wake() ends it, so an idle link costs nothing.
    const HANDLE events[2] = {stop, port->readOverlapped.hEvent};
    const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0) return Event::Woken;
    if (which != WAIT_OBJECT_0 + 1) return Event::Failed;
    std::lock_guard lock(port->mutex);
    if (port->file == INVALID_HANDLE_VALUE || !port->readPending) return Event::Woken;
    DWORD transferred = 0;
    const BOOL ok = GetOverlappedResult(port->file, &port->readOverlapped, &transferred, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) return Event::Woken;
    return readEnded(*port, ok, transferred, ok ? ERROR_SUCCESS : GetLastError());
}

void raiseCurrentThreadPriority() {
    // Best effort, as on other systems.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
}

bool processIsEnding() { return processEnding; }

const char kLogAppendMode[] = "ab+N";  // 'N': not inherited by child processes

}  // namespace cradle::platform

// Runs before the runtime calls the DLL's static destructors. A non-null `reserved` on detach means
// the process is ending: its other threads are gone, and the link must not wait for them.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    if (reason == DLL_PROCESS_DETACH && reserved) cradle::platform::processEnding = true;
    return TRUE;
}
