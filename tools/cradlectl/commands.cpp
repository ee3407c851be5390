#include "commands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "backup.h"
#include "exit_codes.h"
#include "firmware_package.h"
#include "interrupt.h"
#include "sha256.h"
#include "sampled_run.h"
#include "upgrade.h"
#include "output.h"
#include "value_ranges.h"
#include "ports.h"
#include "progress.h"
#include "workers.h"

namespace cradlectl {
namespace {

using json = nlohmann::ordered_json;
using namespace std::chrono_literals;

constexpr auto kProgressRefresh = 200ms;
constexpr auto kTelemetryWait = 3s;

Status needOnePort(const Context& ctx) {
    if (ctx.ports.size() != 1) return {kExitUsage, ctx.ports.empty() ? "this command needs --port" : "this command takes one --port"};
    return {};
}

std::string versionsText(const std::vector<UnitVersion>& units) {
    std::string text;
    for (const UnitVersion& u : units) text += (text.empty() ? "" : ", ") + u.name() + " " + u.version();
    return text.empty() ? "no units" : text;
}

json unitsJson(const std::vector<UnitVersion>& units) {
    json list = json::array();
    for (const UnitVersion& u : units)
        list.push_back({{"unit", u.name()}, {"id", u.id}, {"hardware", u.hardware}, {"version", u.version()}});
    return list;
}


// Reads the version report and parameter 0, the camera module code the package must fit.
Status gimbalIdentity(Gimbal& gimbal, std::vector<UnitVersion>& units, int& cameraModule) {
    if (Status s = gimbal.versions(units); !s.ok()) return s;
    std::vector<uint16_t> values;
    if (Status s = gimbal.readParameters({uint8_t(kCameraModuleParameter)}, values); !s.ok()) return s;
    cameraModule = int16_t(values[0]);
    return {};
}


}  // namespace

int cmdPorts(const Context& ctx) {
    std::vector<PortInfo> found;
    Status s;
    if (ctx.ports.empty()) found = listPorts();
    for (const std::string& name : ctx.ports) {
        PortInfo info;
        if (describePort(name, info)) found.push_back(info);
        else if (s.ok()) s = {kExitPortNotFound, name + ": no such port"};
    }
    auto orNull = [](const std::string& v) { return v.empty() ? json(nullptr) : json(v); };
    json list = json::array();
    std::string text;
    for (const PortInfo& p : found) {
        list.push_back({{"port", p.path}, {"byId", orNull(p.byId)}, {"usbId", orNull(p.usbId)}, {"serial", orNull(p.serial)},
                        {"description", orNull(p.description)}});
        text += p.path;
        for (const std::string* field : {&p.usbId, &p.serial, &p.description, &p.byId})
            if (!field->empty()) text += "  " + *field;
        text += "\n";
    }
    return report(ctx, {{"command", "ports"}, {"port", nullptr}, {"ports", list}}, s, text);
}

int cmdInfo(const Context& ctx) {
    if (ctx.ports.empty()) return report(ctx, {{"command", "info"}}, {kExitUsage, "info needs --port"}, "");
    Gimbal gimbal;
    std::vector<UnitVersion> units;
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = gimbal.versions(units);
    std::string text = ctx.ports[0] + ": " + std::to_string(units.size()) + " units\n";
    for (const UnitVersion& u : units)
        text += "  " + u.name() + std::string(u.name().size() < 12 ? 12 - u.name().size() : 1, ' ') + "hardware " + std::to_string(u.hardware)
                + "  version " + u.version() + "\n";
    return report(ctx, {{"command", "info"}, {"port", ctx.ports[0]}, {"units", unitsJson(units)}, {"summary", versionsText(units)}}, s,
                  s.ok() ? text : "");
}

int cmdParamsGet(const Context& ctx, const std::vector<int>& numbers) {
    json data = {{"command", "params get"}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    Gimbal gimbal;
    std::vector<uint8_t> n(numbers.begin(), numbers.end());
    std::vector<uint16_t> values;
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = gimbal.readParameters(n, values);
    if (!s.ok()) return report(ctx, data, s, "");
    json list = json::array();
    std::string text;
    for (size_t i = 0; i < n.size(); ++i) {
        list.push_back({{"number", n[i]}, {"value", values[i]}});
        text += std::to_string(n[i]) + "=" + std::to_string(values[i]) + "\n";
    }
    data["parameters"] = list;
    return report(ctx, data, s, text);
}

int cmdParamsSet(const Context& ctx, const std::vector<std::string>& assignments) {
    json data = {{"command", "params set"}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    std::vector<int> numbers;
    std::vector<uint16_t> values;
    for (const std::string& a : assignments) {
        unsigned number = 0, value = 0;
        char rest = 0;
        if (std::sscanf(a.c_str(), "%u=%u%c", &number, &value, &rest) != 2 || number > 255 || value > 0xFFFF
            || a.find_first_of("+- ") != std::string::npos)
            return report(ctx, data, {kExitUsage, "'" + a + "' is not N=VALUE (N 0-255, VALUE 0-65535)"}, "");
        // Checked before the port is opened: a value the gimbal cannot hold writes nothing.
        if (std::string problem = parameterProblem(int(number), value); !problem.empty())
            return report(ctx, data, {kExitUsage, "'" + a + "': " + problem}, "");
        numbers.push_back(int(number));
        values.push_back(uint16_t(value));
    }
    Gimbal gimbal;
    std::vector<uint16_t> readBack;
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = gimbal.named(setParameters(calls(), numbers, values, readBack));
    json list = json::array();
    std::string text;
    for (size_t i = 0; i < readBack.size(); ++i) {
        list.push_back({{"number", numbers[i]}, {"value", readBack[i]}});
        text += std::to_string(numbers[i]) + "=" + std::to_string(readBack[i]) + "\n";
    }
    data["parameters"] = list;
    return report(ctx, data, s, s.ok() ? text : "");
}

int cmdConfigGet(const Context& ctx) {
    json data = {{"command", "config get"}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    Gimbal gimbal;
    ConfigRecord record{};
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = gimbal.readConfig(record);
    if (!s.ok()) return report(ctx, data, s, "");
    std::string text;
    for (size_t i = 0; i < record.size(); ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%02zu=%u\n", i, record[i]);
        text += line;
    }
    data["config"] = record;
    return report(ctx, data, s, text);
}

int cmdConfigSet(const Context& ctx, const std::string& file) {
    json data = {{"command", "config set"}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    // A backup, or what 'config get --json' printed: either holds "config" with the 38 bytes.
    ConfigRecord record{};
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const json doc = json::parse(text.str(), nullptr, false);
        const json* config = doc.is_object() && doc.contains("config") ? &doc["config"] : nullptr;
        bool ok = in && config && config->is_array() && config->size() == record.size();
        for (size_t i = 0; ok && i < record.size(); ++i) {
            ok = (*config)[i].is_number_integer() && (*config)[i].get<long long>() >= 0 && (*config)[i].get<long long>() <= 0xFF;
            if (ok) record[i] = uint8_t((*config)[i].get<int>());
        }
        if (!ok)
            return report(ctx, data, {kExitBadFile, file + ": holds no \"config\" list of " + std::to_string(record.size()) + " bytes from 0 to 255"}, "");
    }
    Gimbal gimbal;
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = gimbal.named(setConfig(calls(), record));
    return report(ctx, data, s, s.ok() ? ctx.ports[0] + ": configuration written, saved and read back\n" : "");
}

int cmdBackup(const Context& ctx, const std::string& file) {
    json data = {{"command", "backup"}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    Gimbal gimbal;
    Backup backup;
    Status s = gimbal.open(ctx.ports[0]);
    if (s.ok()) s = readBackup(gimbal, backup);
    if (!s.ok()) return report(ctx, data, s, "");
    if (file == "-") {
        // The backup itself on stdout, for diff and for pipes; for a JSON-lines reader inside the result.
        const std::string text = backupToJson(backup);
        data["backup"] = json::parse(text);
        return report(ctx, data, {}, text);
    }
    s = saveBackup(file, backup);
    data["file"] = file;
    data["units"] = unitsJson(backup.units);
    // "saved" only once the file is in place.
    return report(ctx, data, s, s.ok() ? ctx.ports[0] + ": backup of " + versionsText(backup.units) + " saved to " + file + "\n" : "");
}

int cmdRestore(const Context& ctx, const std::string& file, bool force, bool dryRun) {
    json data = {{"command", "restore"}, {"file", file}, {"dryRun", dryRun}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    const std::string port = ctx.ports[0];
    Backup backup;
    // Everything is checked before the port is even opened: a bad file writes nothing.
    if (Status s = loadBackup(file, backup); !s.ok()) return report(ctx, data, s, "");
    if (const auto problems = parameterProblems(backup.parameters); !problems.empty())
        return report(ctx, data, {kExitBadFile, file + ": holds values no gimbal can hold: " + problems.front()}, "");
    Gimbal gimbal;
    if (Status s = gimbal.open(port); !s.ok()) return report(ctx, data, s, "");

    const RestoreResult r = restoreBackup(calls(), port, backup, {force, dryRun, ctx.backup}, &stopRequest(), [&](const std::string& step) {
        if (ctx.json) emitEvent(ctx, "progress", {{"step", step}});
        else if (ctx.terminal) writeOut(port + ": " + step + "\n");
    });
    json plan = json::array(), mismatchList = json::array();
    std::string text;
    for (const Difference& d : r.plan) plan.push_back(differenceJson(d));
    for (const std::string& m : r.mismatches) mismatchList.push_back(m);
    data["mismatches"] = mismatchList;
    data["forced"] = r.forced;
    data["plan"] = plan;
    data["written"] = r.written;
    data["notWritten"] = r.notWritten;
    if (!r.automaticBackup.empty()) {
        data["backup"] = r.automaticBackup;
        text += port + ": configuration backed up to " + r.automaticBackup + "\n";
    }
    if (r.status.ok() && !r.before.units.empty() && versionsText(r.before.units) != versionsText(backup.units))
        text += "note: the backup was taken from " + versionsText(backup.units) + "; this gimbal has " + versionsText(r.before.units) + "\n";
    if (r.forced) text += port + ": forced onto a gimbal the backup is not from (" + r.mismatches.front() + (r.mismatches.size() > 1 ? ", ..." : "") + ")\n";
    if (dryRun && r.status.ok()) {
        text += port + ": restoring " + file + (r.plan.empty() ? " would change nothing" : " would change " + std::to_string(r.plan.size()) + " values:") + "\n";
        for (const Difference& d : r.plan) text += "  " + differenceText(d);
        text += port + ": dry run, nothing written\n";
    } else if (r.status.ok()) {
        text += port + ": restored " + file + " (21 parameters, 38 configuration bytes), saved and verified\n";
    }
    Status s = r.status;
    if (!s.ok()) {
        s.message = port + ": " + s.message;
        if (!force && !r.mismatches.empty()) s.message += " (--force)";
    }
    return report(ctx, data, s, text);
}

namespace {

using procedures::UnitOutcome;
using procedures::UpgradeResult;

json planJson(const UpgradePlan& plan) {
    json list = json::array();
    for (const UpgradeItem& item : plan.write) list.push_back({{"unit", unitName(item.unit)}, {"from", item.from}, {"to", item.version()}, {"action", "write"}});
    for (const UpgradeItem& item : plan.current)
        list.push_back({{"unit", unitName(item.unit)}, {"from", item.from}, {"to", item.version()}, {"action", "skip: already at the package's version"}});
    return list;
}

std::string planText(const std::string& port, const UpgradePlan& plan) {
    std::string text;
    for (const UpgradeItem& item : plan.write) text += "  " + unitName(item.unit) + " " + item.from + " -> " + item.version() + "\n";
    for (const UpgradeItem& item : plan.current)
        text += "  " + unitName(item.unit) + " " + item.from + ": already at the package's version, skipped (--all rewrites it)\n";
    return port + ": would write " + std::to_string(plan.write.size()) + " unit" + (plan.write.size() == 1 ? "" : "s") + ", nothing written (dry run)\n" + text;
}

// What became of one unit, for its line and its exit class.
struct UnitReport {
    std::string outcome;
    int exit = kExitOk;
};

UnitReport unitReport(const UpgradeItem& item, const UnitOutcome& u, const UpgradeResult& run, size_t index) {
    using State = UnitOutcome::State;
    switch (u.state) {
    case State::Verified: return {"written, reports " + item.version(), kExitOk};
    case State::Written:
        if (run.end == UpgradeResult::End::Stopped) return {"written, started, not verified (interrupted)", kExitInterrupted};
        return {"written, not started (" + std::string(run.end == UpgradeResult::End::PortRemoved ? "the port vanished" : "the package could not be read") + ")", kExitFailure};
    case State::VersionMismatch:
        if (u.reportedMissing) return {"written, but missing from the version report after the reboot", kExitVerifyFailed};
        return {"written, but reports " + u.reported.version() + " after the reboot, not " + item.version(), kExitVerifyFailed};
    case State::NotVerified: {
        const Status s = cradleStatus(u.cradleResult, "reading the versions after the reboot");
        return {"written, not verified: " + s.message, s.exit};
    }
    case State::RequestFailed: {
        const Status s = cradleStatus(u.cradleResult, "firmware request");
        return {"not written: " + s.message, s.exit};
    }
    case State::WriteFailed: {
        const Status s = cradleStatus(u.cradleResult, "firmware write");
        return {"not written: " + s.message, s.exit};
    }
    case State::EmptyImage: return {"not written: the image is empty", kExitBadFile};
    case State::NotReached: break;
    }
    if (run.end == UpgradeResult::End::ImageUnreadable && index == run.failedItem)
        return {"not written: the package no longer holds its image whole", kExitBadFile};
    if (run.end == UpgradeResult::End::PortRemoved) return {"not written: the port vanished", kExitFailure};
    if (run.end == UpgradeResult::End::Stopped) return {"not written (interrupted)", kExitInterrupted};
    return {"not written", kExitFailure};
}

// Partial success needs a unit that succeeded; otherwise the first failure's own class, an interrupt first.
int flashExit(const std::vector<int>& codes) {
    if (std::find(codes.begin(), codes.end(), kExitInterrupted) != codes.end()) return kExitInterrupted;
    const auto failed = std::find_if(codes.begin(), codes.end(), [](int c) { return c != kExitOk; });
    if (failed == codes.end()) return kExitOk;
    return std::count(codes.begin(), codes.end(), kExitOk) > 0 ? kExitPartial : *failed;
}

}  // namespace

int cmdFlash(const Context& ctx, const FlashOptions& options) {
    json data = {{"command", "flash"}, {"package", options.package}};
    if (ctx.ports.empty()) return report(ctx, data, {kExitUsage, "flash needs --port"}, "");
    std::string expectedHash;
    if (!options.sha256.empty() && (expectedHash = normalizeSha256(options.sha256)).empty())
        return report(ctx, data, {kExitUsage, "--sha256 " + options.sha256 + ": not a SHA-256 (64 hex digits)"}, "");
    const FirmwarePackage package = readFirmwarePackage(options.package);
    if (!package.sha256.empty()) data["sha256"] = package.sha256;
    if (const std::string refusal = packageRefusal(options.package, package); !refusal.empty()) return report(ctx, data, {kExitBadFile, refusal}, "");
    if (!expectedHash.empty() && package.sha256 != expectedHash)
        return report(ctx, data, {kExitBadFile, options.package + ": SHA-256 is " + package.sha256 + ", not " + expectedHash + "; nothing written"}, "");
    PlanOptions planOptions;
    planOptions.all = options.all;
    planOptions.allowDowngrade = options.allowDowngrade;
    for (const std::string& name : options.units) {
        uint8_t id = 0;
        if (!parseUnit(name, id)) return report(ctx, data, {kExitUsage, "--unit " + name + ": not a unit (IFB, MX, MY, MZ or 0-255)"}, "");
        if (std::none_of(package.entries.begin(), package.entries.end(), [&](const PackageEntry& e) { return e.unit == id; }))
            return report(ctx, data, {kExitBadFile, options.package + ": holds no image for " + unitName(id)}, "");
        planOptions.onlyUnits.push_back(id);
    }

    if (ctx.ports.size() > 1) {
        std::unique_ptr<ProgressView> view;
        if (!ctx.json) view = std::make_unique<ProgressView>(stdout, ctx.terminal, ctx.ports);
        return runOnEveryPort(ctx, "flash", view.get(), [&](size_t row, const json& line) {
            if (!ctx.json && line.value("event", "") == "progress")
                view->update(row, line.value("unit", "") + " " + line.value("state", ""), line.value("percent", -1));
        });
    }

    const std::string port = ctx.ports[0];
    Gimbal gimbal;
    std::vector<UnitVersion> units;
    int cameraModule = 0;
    Status s = gimbal.open(port);
    if (s.ok()) s = gimbalIdentity(gimbal, units, cameraModule);
    if (!s.ok()) return report(ctx, data, s, "");
    if (!fitsCameraModule(package.compatibilityMask, cameraModule))
        return report(ctx, data, {kExitBadFile, options.package + ": not meant for this gimbal (camera module " + std::to_string(cameraModule) + ")"}, "");
    UpgradePlan plan;
    if (Status p = planUpgrade(options.package, package, units, planOptions, plan); !p.ok()) return report(ctx, data, p, "");
    data["plan"] = planJson(plan);
    if (options.dryRun) {
        data["dryRun"] = true;
        return report(ctx, data, {}, planText(port, plan));
    }
    if (plan.write.empty()) {
        data["units"] = json::array();
        data["summary"] = "nothing to write";
        return report(ctx, data, {}, port + ": nothing to write: every unit already runs the package's version (--all rewrites them)\n");
    }
    const Status interruptedBeforeWriting{kExitInterrupted, port + ": interrupted, nothing written"};
    if (interrupted()) return report(ctx, data, interruptedBeforeWriting, "");

    std::string backupPath;
    s = gimbal.named(takeAutomaticBackup(calls(), port, ctx.backup, backupPath));
    if (!s.ok()) {
        s.message = "no automatic backup, nothing written: " + s.message;
        return report(ctx, data, s, "");
    }
    data["backup"] = backupPath;
    if (ctx.json) emitEvent(ctx, "backup", {{"file", backupPath}});
    else if (backupPath.empty()) writeOut(port + ": no automatic backup (--no-backup)\n");
    else writeOut(port + ": configuration backed up to " + backupPath + "\n");
    if (interrupted()) return report(ctx, data, interruptedBeforeWriting, "");

    std::vector<std::string> labels;
    for (const UpgradeItem& item : plan.write) labels.push_back(unitName(item.unit));
    ProgressView view(stdout, ctx.terminal, labels);
    auto progress = [&](size_t row, const std::string& state, int percent) {
        if (ctx.json) emitEvent(ctx, "progress", {{"unit", labels[row]}, {"state", state}, {"percent", percent}});
        else view.update(row, state, percent);
    };
    UpgradeHooks hooks;
    hooks.requesting = [&](size_t row) { progress(row, "requesting", 0); };
    hooks.writing = [&](size_t row) { progress(row, "writing", 0); };
    hooks.progress = [&](size_t row, int percent) { progress(row, "writing", percent); };
    hooks.written = [&](size_t row) { progress(row, "written", 100); };
    hooks.verifying = [&] {
        for (size_t row = 0; row < labels.size(); ++row) progress(row, "rebooting, checking the version", -1);
    };
    hooks.stop = &stopRequest();
    const UpgradeResult run = runUpgrade(plan.write, hooks);

    json list = json::array();
    std::vector<int> codes;
    std::string text, summary, unproven, failures;
    std::vector<std::string> written, notWritten;
    for (size_t i = 0; i < plan.write.size(); ++i) {
        const UpgradeItem& item = plan.write[i];
        const UnitOutcome& u = run.units[i];
        const UnitReport r = unitReport(item, u, run, i);
        const std::string name = unitName(item.unit);
        if (!ctx.json) view.update(i, r.exit == kExitOk ? "verified" : r.outcome, r.exit == kExitOk ? 100 : -1);
        json entry = {{"unit", name}, {"from", item.from}, {"to", item.version()}, {"written", u.written()},
                      {"verified", u.state == UnitOutcome::State::Verified}, {"outcome", r.outcome}, {"exitCode", r.exit}};
        if (u.state == UnitOutcome::State::VersionMismatch && !u.reportedMissing) entry["reported"] = u.reported.version();
        list.push_back(entry);
        codes.push_back(r.exit);
        text += "  " + name + " " + item.from + " -> " + item.version() + ": " + r.outcome + "\n";
        summary += (summary.empty() ? "" : ", ") + name + " " + (r.exit == kExitOk ? item.from + "->" + item.version() : "failed");
        (u.written() ? written : notWritten).push_back(name);
        if (r.exit == kExitVerifyFailed) unproven += (unproven.empty() ? "" : "; ") + name + " " + r.outcome.substr(r.outcome.find("but ") + 4);
        if (r.exit != kExitOk) failures += (failures.empty() ? "" : "; ") + name + " " + r.outcome;
    }
    view.finish();
    for (const UpgradeItem& item : plan.current) {
        list.push_back({{"unit", unitName(item.unit)}, {"from", item.from}, {"to", item.version()}, {"written", false}, {"verified", true},
                        {"outcome", "skipped: already at the package's version"}, {"exitCode", kExitOk}});
        text += "  " + unitName(item.unit) + " " + item.from + ": already at the package's version, skipped\n";
    }
    auto names = [](const std::vector<std::string>& list) {
        std::string joined;
        for (const std::string& n : list) joined += (joined.empty() ? "" : ", ") + n;
        return joined.empty() ? std::string("none") : joined;
    };
    const int code = flashExit(codes);
    Status outcome;
    if (code == kExitInterrupted)
        outcome = {code, port + ": interrupted; written: " + names(written) + "; not written: " + names(notWritten)};
    else if (code == kExitVerifyFailed)
        outcome = {code, port + ": verification failed: " + unproven};
    else if (code != kExitOk)
        outcome = {code, port + ": " + failures};
    text = port + ": " + (run.started ? "rebooted" : "no module upgrade") + "\n" + text;
    data["units"] = list;
    data["started"] = run.started;
    data["summary"] = summary + (run.started ? "; rebooted" : "") + "; backup " + backupPath;
    return report(ctx, data, outcome, text);
}

int cmdCalibrate(const Context& ctx, const std::string& type) {
    struct Named {
        const char* name;
        int type;
        int windowSeconds;
    };
    static constexpr Named kTypes[] = {{"static", 1, 10}, {"horizontal", 2, 10}, {"vertical", 3, 10}, {"motor-angle", 4, 35}, {"attitude", 5, 10}};
    json data = {{"command", "calibrate"}};
    const Named* chosen = nullptr;
    for (const Named& n : kTypes)
        if (type == n.name || type == std::to_string(n.type)) chosen = &n;
    if (!chosen) return report(ctx, data, {kExitUsage, "calibration type " + type + ": use static, horizontal, vertical, motor-angle or attitude (or 1-5)"}, "");
    data["type"] = chosen->name;
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    Gimbal gimbal;
    Status s = gimbal.open(ctx.ports[0]);
    if (!s.ok()) return report(ctx, data, s, "");

    ProgressView view(stdout, ctx.terminal, {std::string("calibrate ") + chosen->name});
    const auto began = std::chrono::steady_clock::now();
    const int rc = runSampled([&] { return CradleCalibration(chosen->type); }, kProgressRefresh,
                                [&] {
                                    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began).count();
                                    const int percent = int(std::min<long long>(99, seconds * 100 / chosen->windowSeconds));
                                    if (ctx.json) emitEvent(ctx, "progress", {{"type", chosen->name}, {"elapsed_s", seconds}});
                                    else view.update(0, "running, " + std::to_string(seconds) + " s", percent);
                                });
    // Done within the window (0), or answered done at once (status 1): both mean the unit finished.
    if (rc == CRADLE_OK || rc == CRADLE_STATUS_DONE) {
        if (!ctx.json) view.update(0, "done", 100);
        s = {};
    } else if (rc == CRADLE_STATUS_ACCEPTED || rc == CRADLE_E_NO_RECORD) {
        s = {kExitNoAnswer, ctx.ports[0] + ": the calibration did not finish within its window"};
    } else {
        s = cradleStatus(rc, ctx.ports[0] + ": calibration");
    }
    if (!ctx.json && !s.ok()) view.update(0, "failed", -1);
    return report(ctx, data, s, "");
}

int cmdStartStop(const Context& ctx, bool start) {
    const std::string what = start ? "start" : "stop";
    json data = {{"command", what}};
    if (Status s = needOnePort(ctx); !s.ok()) return report(ctx, data, s, "");
    Gimbal gimbal;
    Status s = gimbal.open(ctx.ports[0]);
    if (!s.ok()) return report(ctx, data, s, "");
    const int rc = start ? CradleStart() : CradleStop();
    // Done (status 1) and accepted (0xF0) are both success to the technician.
    if (rc != CRADLE_STATUS_DONE && rc != CRADLE_STATUS_ACCEPTED) s = cradleStatus(rc, ctx.ports[0] + ": " + what);
    data["status"] = rc == CRADLE_STATUS_DONE ? "done" : rc == CRADLE_STATUS_ACCEPTED ? "accepted" : "failed";
    return report(ctx, data, s, s.ok() ? ctx.ports[0] + ": " + what + " " + data["status"].get<std::string>() + "\n" : "");
}

}  // namespace cradlectl
