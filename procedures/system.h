// What the procedures need of the operating system, one file per system (system_posix.cpp,
// system_win32.cpp): where the desktop program keeps its data, UTC calendar time and making folders.
// Putting a finished file in place of an older one is the library's files.h.
#pragma once

#include <ctime>
#include <string>

namespace procedures::system {

// The user's data home the desktop program's data folder is made under: $XDG_DATA_HOME (or
// ~/.local/share) on Linux, the roaming application data folder (%APPDATA%) on Windows.
std::string userDataHome();

// UTC calendar time of t, and back; fromUtc ignores tm_wday, tm_yday and tm_isdst.
std::tm utcTime(std::time_t t);
std::time_t fromUtc(std::tm tm);

// Makes folder and the folders above it that are missing, each readable by its user alone where the
// system has such modes; false with errno set when one cannot be made.
bool makeFolders(const std::string& folder);

}  // namespace procedures::system
