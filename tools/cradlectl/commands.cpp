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
#include <sys/stat.h>
#include <thread>

#include "backup.h"
#include "exit_codes.h"
#include "firmware_package.h"
#include "interrupt.h"
#include "value_ranges.h"
#include "ports.h"
#include "progress.h"
#include "workers.h"

namespace cradlectl {
namespace {

using json = nlohmann::ordered_json;
using namespace std::chrono_literals;

// Gives the unit time to commit its image before the next request, as the desktop program does.
constexpr auto kPauseAfterWrite = 1000ms;
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

void emitLine(const json& value) {
    std::printf("%s\n", value.dump().c_str());
    std::fflush(stdout);
}

// The exit code of several ports or units: all well, all failed alike, or partial success.
int combined(const std::vector<int>& codes) {
    if (codes.empty()) return kExitOk;
    const bool anyOk = std::count(codes.begin(), codes.end(), kExitOk) > 0;
    const bool allOk = std::all_of(codes.begin(), codes.end(), [](int c) { return c == kExitOk; });
    if (allOk) return kExitOk;
    if (anyOk) return kExitPartial;
    return std::all_of(codes.begin(), codes.end(), [&](int c) { return c == codes.front(); }) ? codes.front() : kExitPartial;
}

// Runs `work` on its own thread and calls `tick` every refresh until it has returned.
template <typename Work, typename Tick>
int runWithTicks(Work work, Tick tick) {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    int result = 0;
    std::thread worker([&] {
        const int r = work();
        std::lock_guard lock(m);
        result = r;
        done = true;
        cv.notify_one();
    });
    {
        std::unique_lock lock(m);
        while (!cv.wait_for(lock, kProgressRefresh, [&] { return done; })) {
            lock.unlock();
            tick();
            lock.lock();
        }
    }
    worker.join();
    return result;
}

// Several ports: one worker each, one outcome line per port.
int fanOut(const Context& ctx, const std::string& what, const std::function<void(size_t, const json&)>& onEvent,
           ProgressView* view) {
    std::vector<Worker> workers;
    for (const std::string& port : ctx.ports) workers.push_back({port, workerArguments(ctx.args, port)});
    runWorkers(workers, [&](Worker& w, const json& line) {
        if (onEvent) onEvent(size_t(&w - workers.data()), line);
    });
    if (view) view->finish();
    std::vector<int> codes;
    json results = json::array();
    for (Worker& w : workers) {
        codes.push_back(w.exitCode);
        const std::string error = w.last.is_object() ? w.last.value("error", "") : "";
        const std::string summary = w.last.is_object() ? w.last.value("summary", "") : "";
        if (ctx.json) {
            json r = {{"port", w.port}, {"exitCode", w.exitCode}, {"exitClass", exitCodeName(w.exitCode)}};
            if (w.last.is_object()) r["result"] = w.last;
            results.push_back(r);
        } else {
            std::printf("%s: %s%s%s\n", w.port.c_str(), w.exitCode == kExitOk ? "ok" : exitCodeName(w.exitCode),
                        summary.empty() && error.empty() ? "" : ": ", (w.exitCode == kExitOk || error.empty() ? summary : error).c_str());
        }
    }
    const int code = combined(codes);
    if (ctx.json) emitLine({{"command", what}, {"ports", results}, {"exitCode", code}, {"exitClass", exitCodeName(code)}});
    return code;
}

// Reads the version report and parameter 0, the camera module code the package must fit.
Status gimbalIdentity(Gimbal& gimbal, std::vector<UnitVersion>& units, int& cameraModule) {
    if (Status s = gimbal.versions(units); !s.ok()) return s;
    std::vector<uint16_t> values;
    if (Status s = gimbal.readParameters({uint8_t(kCameraModuleParameter)}, values); !s.ok()) return s;
    cameraModule = int16_t(values[0]);
    return {};
}

struct FlashUnit {
    PackageEntry entry;
    std::string from;      // running version before
    std::string outcome;   // "written", or why not
    int exit = kExitOk;
};

}  // namespace

int report(const Context& ctx, json data, const Status& status, const std::string& text) {
    if (ctx.json) {
        data["exitCode"] = status.exit;
        data["exitClass"] = exitCodeName(status.exit);
        if (!status.ok()) data["error"] = status.message;
        emitLine(data);
    } else if (!text.empty()) {
        std::printf("%s", text.c_str());
        std::fflush(stdout);
    }
    if (!status.ok()) std::fprintf(stderr, "cradlectl: %s\n", status.message.c_str());
    return status.exit;
}

int cmdPorts(const Context& ctx) {
    json list = json::array();
    std::string text;
    for (const PortInfo& p : listPorts()) {
        list.push_back({{"port", p.path}, {"description", p.description}});
        text += p.path + (p.description.empty() ? "" : "  " + p.description) + "\n";
    }
    return report(ctx, {{"command", "ports"}, {"ports", list}}, {}, text);
}

int cmdInfo(const Context& ctx) {
    if (ctx.ports.empty()) return report(ctx, {{"command", "info"}}, {kExitUsage, "info needs --port"}, "");
    if (ctx.ports.size() > 1) return fanOut(ctx, "info", nullptr, nullptr);
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
        // The backup itself on stdout, for diff and for pipes; on one line for a JSON-lines reader.
        const std::string text = ctx.json ? json::parse(backupToJson(backup)).dump() + "\n" : backupToJson(backup);
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        if (std::fflush(stdout) != 0 || !written || std::ferror(stdout)) {
            std::fprintf(stderr, "cradlectl: %s: writing the backup to standard output failed: %s\n", ctx.ports[0].c_str(), std::strerror(errno));
            return kExitFailure;
        }
        return kExitOk;
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
    installInterruptHandlers();
    Gimbal gimbal;
    if (Status s = gimbal.open(port); !s.ok()) return report(ctx, data, s, "");

    const RestoreResult r = restoreBackup(calls(), port, backup, {force, dryRun, ctx.backup}, &stopRequest(), [&](const std::string& step) {
        if (ctx.json) emitLine({{"event", "progress"}, {"step", step}});
        else if (ctx.terminal) std::printf("%s: %s\n", port.c_str(), step.c_str());
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

int cmdFlash(const Context& ctx, const std::string& packagePath, const std::vector<std::string>& unitNames) {
    json data = {{"command", "flash"}, {"package", packagePath}};
    if (ctx.ports.empty()) return report(ctx, data, {kExitUsage, "flash needs --port"}, "");
    FirmwarePackage package;
    if (Status s = readFirmwarePackage(packagePath, package); !s.ok()) return report(ctx, data, s, "");
    std::vector<uint8_t> wanted;
    for (const std::string& name : unitNames) {
        uint8_t id = 0;
        if (!parseUnit(name, id)) return report(ctx, data, {kExitUsage, "--unit " + name + ": not a unit (IFB, MX, MY, MZ or 0-255)"}, "");
        if (std::none_of(package.entries.begin(), package.entries.end(), [&](const PackageEntry& e) { return e.unit == id; }))
            return report(ctx, data, {kExitBadFile, packagePath + ": holds no image for " + unitName(id)}, "");
        wanted.push_back(id);
    }

    if (ctx.ports.size() > 1) {
        std::unique_ptr<ProgressView> view;
        if (!ctx.json) view = std::make_unique<ProgressView>(stdout, ctx.terminal, ctx.ports);
        return fanOut(ctx, "flash",
                      [&](size_t row, const json& line) {
                          if (ctx.json) {
                              json event = line;
                              event["port"] = ctx.ports[row];
                              if (line.contains("event")) emitLine(event);
                          } else if (line.value("event", "") == "progress") {
                              view->update(row, line.value("unit", "") + " " + line.value("state", ""), line.value("percent", -1));
                          }
                      },
                      view.get());
    }

    const std::string port = ctx.ports[0];
    Gimbal gimbal;
    std::vector<UnitVersion> units;
    int cameraModule = 0;
    Status s = gimbal.open(port);
    if (s.ok()) s = gimbalIdentity(gimbal, units, cameraModule);
    if (!s.ok()) return report(ctx, data, s, "");
    if (!fitsCameraModule(package.compatibilityMask, cameraModule))
        return report(ctx, data, {kExitBadFile, packagePath + ": not meant for this gimbal (camera module " + std::to_string(cameraModule) + ")"}, "");

    // Units of this gimbal with an image in the package, in the gimbal's order; a later entry for the same
    // unit wins, as in the desktop program.
    std::vector<FlashUnit> plan;
    for (const UnitVersion& u : units) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), u.id) == wanted.end()) continue;
        const PackageEntry* image = nullptr;
        for (const PackageEntry& e : package.entries)
            if (e.unit == u.id) image = &e;
        if (image) plan.push_back({*image, u.version(), {}, kExitOk});
    }
    if (plan.empty()) return report(ctx, data, {kExitBadFile, packagePath + ": no image for any unit of this gimbal (" + versionsText(units) + ")"}, "");

    std::string backupPath;
    s = gimbal.named(takeAutomaticBackup(calls(), port, ctx.backup, backupPath));
    if (!s.ok()) {
        s.message = "no automatic backup, nothing written: " + s.message;
        return report(ctx, data, s, "");
    }
    data["backup"] = backupPath;
    if (ctx.json) emitLine({{"event", "backup"}, {"file", backupPath}});
    else if (backupPath.empty()) std::printf("%s: no automatic backup (--no-backup)\n", port.c_str());
    else std::printf("%s: configuration backed up to %s\n", port.c_str(), backupPath.c_str());

    std::vector<std::string> labels;
    for (const FlashUnit& f : plan) labels.push_back(unitName(f.entry.unit));
    ProgressView view(stdout, ctx.terminal, labels);
    auto progress = [&](size_t row, const std::string& state, int percent) {
        if (ctx.json) emitLine({{"event", "progress"}, {"unit", labels[row]}, {"state", state}, {"percent", percent}});
        else view.update(row, state, percent);
    };

    bool anyWritten = false;
    for (size_t row = 0; row < plan.size(); ++row) {
        FlashUnit& f = plan[row];
        const int unit = f.entry.unit;
        std::vector<uint8_t> image;
        if (Status r = readImage(packagePath, f.entry, image); !r.ok()) {
            f.exit = r.exit;
            f.outcome = r.message;
            progress(row, "failed", -1);
            continue;
        }
        progress(row, "requesting", 0);
        if (Status r = fromCradleResult(UpdateFirmRequest(&unit), "firmware request"); !r.ok()) {
            f.exit = r.exit;
            f.outcome = r.message;
            progress(row, "not written: " + r.message, -1);
            continue;
        }
        // WriteFirm reports its percentage through this byte; it is sampled, as the program's timer does.
        unsigned char percent = 0;
        const int rc = runWithTicks(
            [&] { return WriteFirm(&unit, image.data(), unsigned(image.size()), &percent); },
            [&] { progress(row, "writing", std::atomic_ref<unsigned char>(percent).load(std::memory_order_relaxed)); });
        if (Status r = fromCradleResult(rc, "firmware write"); !r.ok()) {
            f.exit = r.exit;
            f.outcome = r.message;
            progress(row, "not written: " + r.message, -1);
            continue;
        }
        progress(row, "written", 100);
        std::this_thread::sleep_for(kPauseAfterWrite);
        f.outcome = "written";
        anyWritten = true;
    }
    view.finish();
    if (anyWritten) SendStartFsApp();

    json list = json::array();
    std::vector<int> codes;
    std::string text, summary;
    for (const FlashUnit& f : plan) {
        const std::string name = unitName(f.entry.unit);
        list.push_back({{"unit", name}, {"from", f.from}, {"to", f.entry.version()}, {"written", f.exit == kExitOk}, {"outcome", f.outcome}});
        codes.push_back(f.exit);
        text += "  " + name + " " + f.from + " -> " + f.entry.version() + ": " + f.outcome + "\n";
        summary += (summary.empty() ? "" : ", ") + name + " " + (f.exit == kExitOk ? f.from + "->" + f.entry.version() : "failed");
    }
    const int code = combined(codes);
    Status outcome = code == kExitOk ? Status{} : Status{code, port + ": " + (code == kExitPartial ? "some units were not written" : "no unit was written")};
    text = port + ": " + (anyWritten ? "rebooting" : "no module upgrade") + "\n" + text;
    data["units"] = list;
    data["summary"] = summary + (anyWritten ? "; rebooting" : "") + "; backup " + backupPath;
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
    const int rc = runWithTicks([&] { return CradleCalibration(chosen->type); },
                                [&] {
                                    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began).count();
                                    const int percent = int(std::min<long long>(99, seconds * 100 / chosen->windowSeconds));
                                    if (ctx.json) emitLine({{"event", "progress"}, {"type", chosen->name}, {"seconds", seconds}});
                                    else view.update(0, "running, " + std::to_string(seconds) + " s", percent);
                                });
    // Done within the window (0), or answered done at once (status 1): both mean the unit finished.
    if (rc == CRADLE_OK || rc == CRADLE_STATUS_DONE) {
        if (!ctx.json) view.update(0, "done", 100);
        s = {};
    } else if (rc == CRADLE_STATUS_ACCEPTED || rc == CRADLE_E_NO_RECORD) {
        s = {kExitNoAnswer, ctx.ports[0] + ": the calibration did not finish within its window"};
    } else {
        s = fromCradleResult(rc, ctx.ports[0] + ": calibration");
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
    if (rc != CRADLE_STATUS_DONE && rc != CRADLE_STATUS_ACCEPTED) s = fromCradleResult(rc, ctx.ports[0] + ": " + what);
    data["status"] = rc == CRADLE_STATUS_DONE ? "done" : rc == CRADLE_STATUS_ACCEPTED ? "accepted" : "failed";
    return report(ctx, data, s, s.ok() ? ctx.ports[0] + ": " + what + " " + data["status"].get<std::string>() + "\n" : "");
}

}  // namespace cradlectl
