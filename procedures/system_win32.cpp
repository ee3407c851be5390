#include "system.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <windows.h>
#include <shlobj.h>

namespace procedures::system {

// Where the desktop program's data location lies on Windows: the known folder, as the system names it
// (the environment variable only when the shell cannot tell).
std::string userDataHome() {
    PWSTR wide = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &wide) == S_OK) {
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 1) {
            folder.resize(size_t(bytes));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, folder.data(), bytes, nullptr, nullptr);
            folder.resize(size_t(bytes - 1));
        }
    }
    CoTaskMemFree(wide);
    if (folder.empty())
        if (const char* appData = std::getenv("APPDATA"); appData && *appData) folder = appData;
    // Written with forward slashes, as the desktop program writes its paths.
    for (char& c : folder)
        if (c == '\\') c = '/';
    return folder.empty() ? std::string(".") : folder;
}

std::tm utcTime(std::time_t t) {
    std::tm tm{};
    gmtime_s(&tm, &t);
    return tm;
}

std::time_t fromUtc(std::tm tm) { return _mkgmtime(&tm); }

// The folder inherits its access rules from the user's profile above it.
bool makeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) errno = error.value() == int(std::errc::permission_denied) ? EACCES : ENOENT;
    return !error;
}

}  // namespace procedures::system
