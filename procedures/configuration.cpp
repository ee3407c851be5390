#include "configuration.h"

#include <algorithm>
#include <map>

#include "exit_codes.h"
#include "gimbal_io.h"
#include "value_ranges.h"

namespace procedures {
namespace {

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : separator) + p;
    return text;
}

// One write of a restore: what it is called in messages and how it is done.
struct WriteStep {
    std::string name;
    std::string unfinished;  // what a failure in the middle leaves behind
    std::function<Status()> run;
};

std::vector<WriteStep> writeSteps(const CradleCalls& calls, const Backup& backup) {
    std::vector<WriteStep> steps;
    // The parameters go in the records the library carries, so a stop lands between two of them.
    for (int first = 0; first < kParameterCount; first += CRADLE_PARAM_MAX_COUNT) {
        const int last = std::min(first + CRADLE_PARAM_MAX_COUNT, kParameterCount) - 1;
        std::vector<int> numbers;
        std::vector<uint16_t> values;
        for (int n = first; n <= last; ++n) {
            numbers.push_back(n);
            values.push_back(backup.parameters[size_t(n)]);
        }
        const std::string name = "parameters " + std::to_string(first) + "-" + std::to_string(last);
        steps.push_back({name, name + " (perhaps some of them)",
                         [&calls, numbers, values] { return writeParameters(calls, numbers, values); }});
    }
    steps.push_back({"configuration (saved)", "configuration (perhaps some items, not saved)",
                     [&calls, &backup] { return writeConfig(calls, backup.config); }});
    return steps;
}

}  // namespace

Status saveAutomaticBackup(const Backup& taken, const BackupPolicy& policy, std::string& path) {
    path.clear();
    if (!policy.enabled) return {};
    return saveAutomaticBackup(policy.folder.empty() ? dataFolder() : policy.folder, taken, path, policy.keep);
}

Status takeAutomaticBackup(const CradleCalls& calls, const std::string& port, const BackupPolicy& policy, std::string& path) {
    path.clear();
    if (!policy.enabled) return {};
    Backup taken;
    if (Status s = readBackup(calls, port, taken); !s.ok()) return s;
    return saveAutomaticBackup(taken, policy, path);
}

Status setParameters(const CradleCalls& calls, const std::vector<int>& numbers, const std::vector<uint16_t>& values,
                     std::vector<uint16_t>& readBack) {
    readBack.clear();
    if (values.size() != numbers.size()) return {kExitUsage, "every parameter needs one value"};
    for (size_t i = 0; i < numbers.size(); ++i)
        if (std::string problem = parameterProblem(numbers[i], values[i]); !problem.empty()) return {kExitUsage, problem + "; nothing written"};
    if (Status s = writeParameters(calls, numbers, values); !s.ok()) return s;
    if (Status s = readParameters(calls, numbers, readBack); !s.ok()) return s;
    for (size_t i = 0; i < numbers.size(); ++i) {
        const auto last = std::find(numbers.rbegin(), numbers.rend(), numbers[i]);
        const uint16_t wanted = values[size_t(numbers.rend() - last) - 1];
        if (readBack[i] != wanted)
            return {kExitVerifyFailed, "parameter " + std::to_string(numbers[i]) + " reads back " + std::to_string(readBack[i]) + ", not "
                                           + std::to_string(wanted)};
    }
    return {};
}

Status setConfig(const CradleCalls& calls, const ConfigRecord& record) {
    if (Status s = writeConfig(calls, record); !s.ok()) return s;
    ConfigRecord readBack{};
    if (Status s = readConfig(calls, readBack); !s.ok()) return s;
    Backup wanted, read;
    wanted.config = record;
    read.config = readBack;
    if (const auto differ = differences(wanted, read); !differ.empty())
        return {kExitVerifyFailed, "the configuration reads back different from what was written (byte " + std::to_string(differ.front().index)
                                       + " reads " + std::to_string(differ.front().to) + ", not " + std::to_string(differ.front().from) + ")"};
    return {};
}

std::vector<std::string> mismatches(const Backup& gimbal, const Backup& backup) {
    std::vector<std::string> found;
    const unsigned ours = gimbal.parameters[kCameraModuleParameter], theirs = backup.parameters[kCameraModuleParameter];
    if (ours != theirs)
        found.push_back("camera module " + std::to_string(theirs) + " in the backup, " + std::to_string(ours) + " on the gimbal");
    std::map<uint8_t, uint8_t> gimbalUnits, backupUnits;
    for (const UnitVersion& u : gimbal.units) gimbalUnits[u.id] = u.hardware;
    for (const UnitVersion& u : backup.units) backupUnits[u.id] = u.hardware;
    for (const auto& [id, hardware] : backupUnits) {
        const auto it = gimbalUnits.find(id);
        if (it == gimbalUnits.end())
            found.push_back("unit " + unitName(id) + " in the backup, not on the gimbal");
        else if (it->second != hardware)
            found.push_back("unit " + unitName(id) + " hardware " + std::to_string(hardware) + " in the backup, " + std::to_string(it->second)
                            + " on the gimbal");
    }
    for (const auto& [id, hardware] : gimbalUnits)
        if (!backupUnits.count(id)) found.push_back("unit " + unitName(id) + " on the gimbal, not in the backup");
    return found;
}

std::string writtenSummary(const RestoreResult& result) {
    if (result.written.empty()) return result.notWritten.empty() ? "" : "nothing written";
    std::string text = "written: " + joined(result.written, ", ");
    if (!result.notWritten.empty()) text += "; not written: " + joined(result.notWritten, ", ");
    return text;
}

RestoreResult restoreBackup(const CradleCalls& calls, const std::string& port, const Backup& backup, const RestoreOptions& options,
                            const StopRequest* stop, const std::function<void(const std::string&)>& step) {
    RestoreResult r;
    auto announce = [&](const std::string& what) {
        if (step) step(what);
    };
    if (const auto problems = parameterProblems(backup.parameters); !problems.empty()) {
        r.status = {kExitBadFile, "the backup holds values no gimbal can hold, nothing written: " + joined(problems, "; ")};
        return r;
    }
    announce("reading the gimbal");
    if (Status s = readBackup(calls, port, r.before); !s.ok()) {
        r.status = s;
        r.status.message += "; nothing written";
        return r;
    }
    r.mismatches = mismatches(r.before, backup);
    r.plan = differences(r.before, backup);
    if (!r.mismatches.empty()) {
        if (!options.force) {
            r.status = {kExitBadFile, "the backup is not from a gimbal like this one (" + joined(r.mismatches, "; ")
                                          + "); nothing written, restoring it onto this gimbal needs forcing"};
            return r;
        }
        r.forced = true;
    }
    std::vector<WriteStep> steps = writeSteps(calls, backup);
    for (const WriteStep& s : steps) r.notWritten.push_back(s.name);
    if (options.dryRun) return r;

    if (options.backup.enabled) {
        announce("saving an automatic backup");
        if (Status s = saveAutomaticBackup(r.before, options.backup, r.automaticBackup); !s.ok()) {
            r.status = {s.exit, "no automatic backup, nothing written: " + s.message};
            return r;
        }
    }
    for (const WriteStep& s : steps) {
        if (stop && stop->requested()) {
            r.interrupted = true;
            r.status = {kExitInterrupted, "interrupted; " + writtenSummary(r)};
            return r;
        }
        announce("writing " + s.name);
        if (Status failed = s.run(); !failed.ok()) {
            r.notWritten.front() = s.unfinished;
            r.status = failed;
            r.status.message += "; " + writtenSummary(r);
            return r;
        }
        r.written.push_back(s.name);
        r.notWritten.erase(r.notWritten.begin());
    }
    if (stop && stop->requested()) {
        r.interrupted = true;
        r.status = {kExitInterrupted, "interrupted before the read-back; everything was written, nothing verified"};
        return r;
    }
    announce("reading back");
    Parameters parameters{};
    ConfigRecord config{};
    Status s = readAllParameters(calls, parameters);
    if (s.ok()) s = readConfig(calls, config);
    if (!s.ok()) {
        r.status = s;
        r.status.message += "; everything was written, nothing verified";
        return r;
    }
    if (const std::string differ = restoreDifferences(backup, parameters, config); !differ.empty())
        r.status = {kExitVerifyFailed, "read back after restore differs: " + differ};
    return r;
}

}  // namespace procedures
