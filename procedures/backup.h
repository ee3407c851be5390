// Configuration backups: one JSON file with a format version holding what can be read from the gimbal
// (unit versions, parameters 0-20, the configuration record), when and from which port it was taken.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "units.h"

namespace procedures {

constexpr const char* kBackupFormat = "tiltmate-configuration-backup";
constexpr int kBackupFormatVersion = 1;
// Automatic backups kept per port by default; older ones are removed, files saved or renamed by hand never.
constexpr size_t kKeptAutomaticBackups = 10;

struct Backup {
    std::time_t taken = 0;      // UTC seconds
    std::string port;
    bool automatic = false;
    std::vector<UnitVersion> units;
    Parameters parameters{};
    ConfigRecord config{};
};

std::string backupToJson(const Backup& backup);
// Checks everything (format, version, counts, ranges) before a caller may write any of it; the message
// says what is wrong.
Status backupFromJson(const std::string& text, Backup& backup);
Status loadBackup(const std::string& path, Backup& backup);
// Writes through a temporary file in the same folder, so a failed write leaves no half backup.
Status saveBackup(const std::string& path, const Backup& backup);

// One value in which two backups differ: configuration bytes first, then parameters, each by index.
struct Difference {
    enum Kind { kConfig, kParameter } kind;
    size_t index;
    unsigned from, to;
    const char* what() const { return kind == kConfig ? "config" : "parameter"; }
};
std::vector<Difference> differences(const Backup& from, const Backup& to);

// What reads back after a restore and differs from the backup, one "; "-separated phrase per value;
// empty when everything matches.
std::string restoreDifferences(const Backup& backup, const Parameters& parameters, const ConfigRecord& config);

// The program's data folder (what the desktop program's AppDataLocation names on this system).
std::string dataFolder();
// The file name an automatic backup gets: time, port and unit versions.
std::string automaticBackupName(const Backup& backup);
// Saves an automatic backup into `folder` (created if missing), then prunes that port's; `path` receives
// where it went.
Status saveAutomaticBackup(const std::string& folder, const Backup& backup, std::string& path, size_t keep = kKeptAutomaticBackups);
// Removes all but the newest `keep` (at least one) automatic backups of `port`: only files whose content
// marks them automatic and names that port, and whose name is still the one they were saved under. Other
// gimbals of the same station keep their own count.
void pruneAutomaticBackups(const std::string& folder, const std::string& port, size_t keep = kKeptAutomaticBackups);

}  // namespace procedures
