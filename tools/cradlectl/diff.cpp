// cradlectl diff: the parameters and configuration bytes in which two backups or gimbals differ, one
// sorted line each, so the output reads well in a review and in a diff tool.
#include <cstdio>
#include <filesystem>

#include "backup.h"
#include "commands.h"
#include "exit_codes.h"
#include "platform.h"
#include "workers.h"

namespace cradlectl {
using namespace procedures;
namespace {

using json = nlohmann::ordered_json;

bool isFile(const std::string& side) {
    std::error_code error;
    return std::filesystem::is_regular_file(side, error);
}

// A name that exists nowhere is taken for a mistyped file when its last part has an extension (b.jsn)
// and it cannot be a port's name; ports are named ttyUSB0, /dev/ttyACM0, COM3 or a link without one.
bool looksLikeFile(const std::string& side) {
    std::error_code error;
    if (std::filesystem::exists(side, error) || platform::namesPortOnly(side)) return false;
    return std::filesystem::path(side).filename().string().find('.') != std::string::npos;
}

}  // namespace

std::string differenceText(const Difference& d) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %02zu: %u -> %u\n", d.what(), d.index, d.from, d.to);
    return line;
}

json differenceJson(const Difference& d) { return {{"what", d.what()}, {"index", d.index}, {"a", d.from}, {"b", d.to}}; }

int cmdDiff(const Context& ctx, const std::string& a, const std::string& b) {
    json data = {{"command", "diff"}, {"a", a}, {"b", b}};
    const std::string sides[2] = {a, b};
    Backup backups[2];
    // A side that is not a file is a port; each port is read by its own worker, both at once.
    std::vector<Worker> workers;
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && sides[1] == sides[0]) continue;
        if (looksLikeFile(sides[i])) return report(ctx, data, {kExitBadFile, sides[i] + ": no such file (nor a serial port)"}, "");
        if (isFile(sides[i])) {
            if (Status s = loadBackup(sides[i], backups[i]); !s.ok()) return report(ctx, data, s, "");
        } else {
            workers.push_back({sides[i], {"backup", "-"}});
        }
    }
    runWorkers(workers, [](Worker&, const json&) {});
    for (Worker& w : workers) {
        const int side = w.port == a ? 0 : 1;
        if (w.exitCode != kExitOk)
            return report(ctx, data, {w.exitCode, w.result.is_object() ? w.result.value("error", w.port + ": not read") : w.port + ": not read"}, "");
        if (!w.result.contains("backup")) return report(ctx, data, {kExitFailure, w.port + ": not read"}, "");
        if (Status s = backupFromJson(w.result["backup"].dump(), backups[side]); !s.ok()) return report(ctx, data, s, "");
    }
    if (a == b) backups[1] = backups[0];

    json list = json::array();
    std::string text;
    for (const Difference& d : differences(backups[0], backups[1])) {
        text += differenceText(d);
        list.push_back(differenceJson(d));
    }
    data["differences"] = list;
    const Status s = list.empty() ? Status{} : Status{kExitVerifyFailed, "the two sides differ in " + std::to_string(list.size()) + " values"};
    return report(ctx, data, s, text);
}

}  // namespace cradlectl
