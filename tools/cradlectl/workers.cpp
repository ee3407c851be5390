#include "workers.h"

#include <set>

#include "exit_codes.h"
#include "interrupt.h"
#include "output.h"
#include "platform.h"
#include "progress.h"

namespace cradlectl {
using namespace procedures;
using json = nlohmann::ordered_json;
namespace {

void takeLines(Worker& w, const std::function<void(Worker&, const json&)>& onLine) {
    for (size_t end; (end = w.pending.find('\n')) != std::string::npos;) {
        const std::string line = w.pending.substr(0, end);
        w.pending.erase(0, end + 1);
        json value = json::parse(line, nullptr, false);
        if (value.is_discarded()) continue;
        if (value.is_object() && value.contains("exitCode")) w.result = value;
        onLine(w, value);
    }
}

}  // namespace

void runWorkers(std::vector<Worker>& workers, const std::function<void(Worker&, const json&)>& onLine,
                const std::function<void(Worker&)>& onEnd) {
    std::vector<platform::Child> children;
    for (const Worker& w : workers) children.push_back({w.args, w.port});
    platform::runChildren(
        children, kWorkerPortVariable,
        [&](size_t i, std::string_view output) {
            workers[i].pending.append(output);
            takeLines(workers[i], onLine);
        },
        [&](size_t i, int exitCode, const std::string& ending) {
            workers[i].exitCode = exitCode;
            workers[i].ending = ending;
            if (onEnd) onEnd(workers[i]);
        });
}

std::vector<std::string> repeatedPorts(const std::vector<std::string>& ports) {
    std::set<std::string> seen;
    std::vector<std::string> repeated;
    for (const std::string& p : ports)
        if (!seen.insert(platform::canonicalPort(p)).second) repeated.push_back(p);
    return repeated;
}

int runOnEveryPort(const Context& ctx, const std::string& command, ProgressView* view,
                   const std::function<void(size_t, const json&)>& onEvent) {
    std::vector<Worker> workers;
    for (const std::string& port : ctx.ports) workers.emplace_back(port, ctx.args);
    auto print = [&](const std::string& text) { view ? view->printAbove(text) : (void)writeOut(text); };

    runWorkers(
        workers,
        [&](Worker& w, const json& line) {
            if (!line.is_object() || !line.contains("event")) return;
            if (ctx.json) emitLine(line);
            if (onEvent) onEvent(size_t(&w - workers.data()), line);
        },
        [&](Worker& w) {
            // The worker's own result, or one made here when it ended without one.
            json result = w.result;
            if (!result.is_object() || w.exitCode != result.value("exitCode", -1)) {
                const std::string why = !w.ending.empty() ? w.ending : "the worker ended without a result";
                result = resultObject(ctx, {{"command", command}, {"port", w.port}}, {w.exitCode == kExitOk ? kExitFailure : w.exitCode, why});
                w.exitCode = result["exitCode"];
            }
            const std::string text = result.value("text", "");
            result.erase("text");
            w.result = result;
            if (ctx.json) {
                emitLine(result);
                return;
            }
            std::string line = w.port + ": " + (w.exitCode == kExitOk ? "ok" : exitCodeName(w.exitCode));
            std::string detail = w.exitCode == kExitOk ? result.value("summary", "") : result.value("error", "");
            if (detail.rfind(w.port + ": ", 0) == 0) detail.erase(0, w.port.size() + 2);   // named once per line
            // "interrupted: written: ..." rather than the class named twice
            if (const std::string named = std::string(exitCodeName(w.exitCode)) + "; "; detail.rfind(named, 0) == 0) detail.erase(0, named.size());
            if (!detail.empty()) line += ": " + detail;
            line += "\n";
            // The command's own text, each line under its port unless it names the port already.
            if (w.exitCode == kExitOk && result.value("summary", "").empty()) {
                for (size_t at = 0, end; at < text.size(); at = end + 1) {
                    end = text.find('\n', at);
                    if (end == std::string::npos) end = text.size();
                    const std::string l = text.substr(at, end - at);
                    line += (l.rfind(w.port + ":", 0) == 0 ? l : "  " + l) + "\n";
                }
            }
            print(line);
        });
    if (view) view->finish();

    std::vector<int> codes;
    json results = json::array();
    size_t failures = 0;
    for (Worker& w : workers) {
        codes.push_back(w.exitCode);
        failures += w.exitCode != kExitOk;
        results.push_back({{"port", w.port}, {"exitCode", w.exitCode}, {"exitClass", exitCodeName(w.exitCode)}, {"result", w.result}});
    }
    const int code = interrupted() ? kExitInterrupted : combinedExitCode(codes);
    const Status status = code == kExitOk ? Status{}
                                          : Status{code, std::to_string(failures) + " of " + std::to_string(workers.size()) + " ports failed"
                                                             + (interrupted() ? " (interrupted)" : "")};
    if (ctx.json) emitLine(resultObject(ctx, {{"command", command}, {"port", nullptr}, {"ports", results}}, status));
    return outputFailed() ? kExitFailure : code;
}

}  // namespace cradlectl
