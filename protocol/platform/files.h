// File operations whose meaning differs between systems. One implementation file per system; CMake picks it.
#pragma once

namespace cradle::platform {

// Moves `from` to `to`, replacing a file already there (POSIX rename does; Windows' rename refuses);
// false with errno set when it fails. `from` must not be open: Windows moves no open file.
bool replaceFile(const char* from, const char* to);

}  // namespace cradle::platform
