// The configuration procedures on a gimbal: the automatic backup taken before anything is written to
// it (a restore here, a firmware upgrade elsewhere) and the restore of a backup. Both reach the gimbal
// only through the library's function table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CradleCalls.h"
#include "backup.h"
#include "stop_request.h"

namespace procedures {

// Where automatic backups go and how many of one port's are kept.
struct BackupPolicy {
    std::string folder;                    // empty: dataFolder()
    size_t keep = kKeptAutomaticBackups;   // per port; at least the newest one stays
    bool enabled = true;                   // false: the caller chose to go on without one
};

// Reads versions, parameters and configuration from the gimbal on `port` and saves them as an automatic
// backup; `path` receives the file. With the policy disabled nothing is read and `path` stays empty.
Status takeAutomaticBackup(const CradleCalls& calls, const std::string& port, const BackupPolicy& policy, std::string& path);
// The same for what has already been read from the gimbal.
Status saveAutomaticBackup(const Backup& taken, const BackupPolicy& policy, std::string& path);

// Writes parameters given one by one (a later value for the same number wins, as on the gimbal), reads
// them back and compares; `readBack` holds what the gimbal answered, in the order given. Every value is
// checked against its range first: one the gimbal cannot hold writes nothing (kExitUsage, since such
// values come from the caller's arguments).
Status setParameters(const CradleCalls& calls, const std::vector<int>& numbers, const std::vector<uint16_t>& values,
                     std::vector<uint16_t>& readBack);
// Writes the configuration record, has the units save it, reads it back and compares.
Status setConfig(const CradleCalls& calls, const ConfigRecord& record);

// What makes a backup foreign to a gimbal: another camera module, other units, other hardware versions.
// Software versions may differ (a backup from before a firmware upgrade is the usual case).
std::vector<std::string> mismatches(const Backup& gimbal, const Backup& backup);

struct RestoreOptions {
    bool force = false;    // restore onto a gimbal the backup is foreign to
    bool dryRun = false;   // read the gimbal and work out the plan, write nothing
    BackupPolicy backup;   // the automatic backup taken before the first write
};

struct RestoreResult {
    Status status;
    Backup before;                        // what the gimbal held before (when it could be read)
    std::vector<std::string> mismatches;  // why the backup is foreign to this gimbal
    bool forced = false;                  // written all the same, with RestoreOptions::force
    std::vector<Difference> plan;         // from the gimbal's values to the backup's
    std::string automaticBackup;          // where the gimbal's configuration was saved first
    std::vector<std::string> written;     // e.g. "parameters 0-16", "configuration (saved)"
    std::vector<std::string> notWritten;
    bool interrupted = false;             // stopped by the stop request between two writes
};

// Checks the backup's values, reads the gimbal, refuses a foreign gimbal unless forced, takes the
// automatic backup, writes the parameters and the configuration (saved by the units), reads everything
// back and compares. Between two writes a stop request ends it; the result says what was written and
// what was not. `step` hears each step before it starts ("writing parameters 0-16", ...).
RestoreResult restoreBackup(const CradleCalls& calls, const std::string& port, const Backup& backup, const RestoreOptions& options,
                            const StopRequest* stop = nullptr, const std::function<void(const std::string&)>& step = {});

// "written: ...; not written: ..." for a restore that ended early; empty when nothing was written.
std::string writtenSummary(const RestoreResult& result);

}  // namespace procedures
