#include "report.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "exit_codes.h"
#include "interrupt.h"
#include "output.h"
#include "system.h"

namespace cradlectl {
using namespace procedures;
using json = nlohmann::ordered_json;

namespace {

// UTC with milliseconds: sortable, and the same on every station's log.
std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::tm utc = procedures::system::utcTime(seconds);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char withMillis[48];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03dZ", text, int(millis));
    return withMillis;
}

json portOf(const Context& ctx, const json& data) {
    if (data.contains("port")) return data["port"];
    return ctx.ports.size() == 1 ? json(ctx.ports[0]) : json(nullptr);
}

}  // namespace

// A file or port name that is not UTF-8 is shown with replacement characters rather than ending the program.
bool emitLine(const json& value) { return writeOut(value.dump(-1, ' ', false, json::error_handler_t::replace) + "\n"); }

json resultObject(const Context& ctx, const json& data, const Status& status) {
    json result = {{"schema", kJsonSchemaVersion}, {"command", data.value("command", "")}, {"port", portOf(ctx, data)}};
    for (const auto& [key, value] : data.items())
        if (key != "command" && key != "port") result[key] = value;
    result["exitCode"] = status.exit;
    result["exitClass"] = exitCodeName(status.exit);
    if (!status.ok()) result["error"] = status.message.empty() ? std::string(exitCodeName(status.exit)) : status.message;
    return result;
}

int report(const Context& ctx, json data, const Status& given, const std::string& text) {
    // A command that finished although asked to stop says so, and its exit code agrees with its line.
    const Status status = given.ok() && interrupted() ? Status{kExitInterrupted, "interrupted after the command had finished"} : given;
    if (ctx.json) {
        json result = resultObject(ctx, data, status);
        // A worker also hands its parent the human text, for a parent that prints text.
        if (ctx.worker && !text.empty()) result["text"] = text;
        emitLine(result);
    } else if (!text.empty()) {
        writeOut(text);
    }
    if (!status.ok() && !ctx.worker && !status.message.empty()) writeErr("cradlectl: " + status.message + "\n");
    return outputFailed() ? kExitFailure : status.exit;
}

void emitEvent(const Context& ctx, const std::string& name, const json& fields) {
    if (!ctx.json) return;
    json event = {{"event", name}, {"port", portOf(ctx, fields)}, {"time", timestamp()}};
    for (const auto& [key, value] : fields.items())
        if (key != "event" && key != "port" && key != "time") event[key] = value;
    emitLine(event);
}

int combinedExitCode(const std::vector<int>& codes) {
    if (std::all_of(codes.begin(), codes.end(), [](int c) { return c == kExitOk; })) return kExitOk;
    // A port that wrote some of its units is a success of that much.
    if (std::any_of(codes.begin(), codes.end(), [](int c) { return c == kExitOk || c == kExitPartial; })) return kExitPartial;
    const bool alike = std::all_of(codes.begin(), codes.end(), [&](int c) { return c == codes.front(); });
    return alike ? codes.front() : kExitFailure;
}

}  // namespace cradlectl
