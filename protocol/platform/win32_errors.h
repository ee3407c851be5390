// What the Win32 backend makes of the system's error codes. Plain numbers and no system header, so the
// mapping is a pure function that builds and is tested on any host; serial_win32.cpp checks each
// number against the system's own name when it is compiled.
#pragma once

#include "serial.h"

namespace cradle::platform::win32 {

enum ErrorCode : unsigned long {
    kFileNotFound = 2,
    kPathNotFound = 3,
    kAccessDenied = 5,
    kInvalidHandle = 6,
    kNotReady = 21,
    kBadCommand = 22,
    kSharingViolation = 32,
    kBrokenPipe = 109,
    kOperationAborted = 995,
    kDeviceRemoved = 1617,
};

// A failed open: a port that another program holds reads as in use (the system answers access
// denied for a held port), everything else as not opened.
constexpr OpenStatus openFailure(unsigned long error) {
    return error == kAccessDenied || error == kSharingViolation ? OpenStatus::InUse : OpenStatus::OpenFailed;
}

// The watchdog's probe: only these say that no such port exists (any other failure, access denied
// among them, means it is there).
constexpr bool portMissing(unsigned long error) { return error == kFileNotFound || error == kPathNotFound; }

// A read or a queue query failing like this has lost the device: an unplugged adapter (the first
// four), or a far end that went away (broken pipe and not ready, as a pseudo-terminal under Wine
// reports it). Anything else is taken as a passing line fault.
constexpr bool meansRemoval(unsigned long error) {
    switch (error) {
    case kBadCommand:
    case kOperationAborted:
    case kDeviceRemoved:
    case kInvalidHandle:
    case kBrokenPipe:
    case kNotReady:
        return true;
    default:
        return false;
    }
}

}  // namespace cradle::platform::win32
