// cradlectl: the gimbal's configuration tool for scripts and production lines, on the Cradle library.
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <sstream>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "exit_codes.h"
#include "interrupt.h"
#include "output.h"
#include "platform.h"
#include "units.h"
#include "workers.h"

using namespace cradlectl;

namespace {

constexpr const char* kExitCodesHelp = R"(Exit codes:
  0    success
  1    other failure (port in use, line lost, file not writable, output not writable)
  2    usage: bad command line
  3    port not found
  4    permission denied on the port
  5    no answer from the gimbal (also: a calibration that did not finish in time)
  6    refused: the gimbal refused or reported an error
  7    verification failed: read back differs after a write; diff: the two sides differ
  8    partial success: some units or ports succeeded, others failed
  9    bad file: a corrupt or foreign backup or package, or a package not meant for this gimbal
  130  interrupted (Ctrl-C or SIGTERM)
With several ports and nothing succeeded, the exit code is the failures' class when they share one, else 1.

With --json each command prints JSON lines: progress events ("event", "port", "time") while it runs, then
one result object ("schema", "command", "port", "exitCode", "exitClass", and "error" on failure); with
several ports each port's result as it finishes, then the combined result with "ports". -p may be given
several times: each port is served by a worker process of its own.
Automatic backups before a restore or a flash go to the desktop program's data folder
(%DATA_FOLDER%) or --backup-dir; the newest ten of each port are kept (--keep),
backups saved or renamed by hand never removed.
Restore checks every value against what a gimbal can hold before writing anything (exit 9), and
stops between two writes on Ctrl-C or SIGTERM, saying what was written (exit 130).)";

// Shown under each command's help, and all together under the program's.
struct Examples {
    const char* command;
    const char* lines;
};
constexpr Examples kExamples[] = {
    {"ports", "cradlectl ports\n  cradlectl --json -p ttyUSB0 ports"},
    {"info", "cradlectl -p ttyUSB0 info\n  cradlectl --json -p ttyUSB0 -p ttyUSB1 info"},
    {"params get", "cradlectl -p ttyUSB0 params get 0 1 2"},
    {"params set", "cradlectl -p ttyUSB0 params set 1=2 4=1"},
    {"config get", "cradlectl --json -p ttyUSB0 config get > config.json"},
    {"config set", "cradlectl -p ttyUSB0 config set config.json"},
    {"backup", "cradlectl -p ttyUSB0 backup gimbal.json\n  cradlectl -p ttyUSB0 -p ttyUSB1 backup station-backups/"},
    {"restore", "cradlectl -p ttyUSB0 restore gimbal.json"},
    {"flash", "cradlectl -p ttyUSB0 -p ttyUSB1 flash firmware.bin\n  cradlectl -p ttyUSB0 flash firmware.bin --unit MX"},
    {"calibrate", "cradlectl -p ttyUSB0 calibrate horizontal"},
    {"start", "cradlectl -p ttyUSB0 start"},
    {"stop", "cradlectl -p ttyUSB0 stop"},
    {"monitor", "cradlectl -p ttyUSB0 monitor --count 100 --rate 50 > samples.csv"},
    {"diff", "cradlectl diff before.json ttyUSB0\n  cradlectl diff ttyUSB0 ttyUSB1"},
};

// The help names ports and folders as this system does.
std::string local(std::string text) {
    auto replace = [&](const std::string& from, const std::string& to) {
        for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    };
    replace("ttyUSB0", platform::kNaming.examplePorts[0]);
    replace("ttyUSB1", platform::kNaming.examplePorts[1]);
    replace("%DATA_FOLDER%", platform::kNaming.dataFolder);
    return text;
}

std::string examplesOf(const std::string& command) {
    for (const Examples& e : kExamples)
        if (command == e.command) return local(std::string("Example:\n  ") + e.lines);
    return {};
}

std::string allExamples() {
    std::string text = "Examples:\n";
    for (const Examples& e : kExamples) text += std::string("  ") + e.lines + "\n";
    return local(text);
}

// The subcommands parsed so far, as "params get"; what a JSON usage error names as its command.
std::string parsedCommand(const CLI::App& app) {
    for (const CLI::App* sub : app.get_subcommands()) {
        const std::string inner = parsedCommand(*sub);
        return sub->get_name() + (inner.empty() ? "" : " " + inner);
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptHandlers();
    platform::prepareOutput();
    Context ctx;
    // A worker's port comes from its parent, never from its command line (see workers.h).
    std::string workerPort;
    if (const auto port = platform::takeEnvironment(kWorkerPortVariable)) {
        workerPort = *port;
        ctx.worker = true;
    }

    // Named here, not from argv[0]: the help (and the man page made from it) reads the same however started.
    CLI::App app{"cradlectl: read, configure, back up, restore and flash the gimbal over its serial port.", "cradlectl"};
    app.set_version_flag("--version", std::string("cradlectl ") + TILTMATE_VERSION);
    app.fallthrough();
    app.require_subcommand(1);

    // -p and --json are accepted before and after the command, and shown in each command's help; each
    // place keeps its own list, joined after parsing.
    std::deque<std::vector<std::string>> portLists;
    auto common = [&](CLI::App* on) {
        // One port per -p: otherwise "params get -p A 0 1" would take 0 and 1 for ports.
        on->add_option("-p,--port", portLists.emplace_back(), platform::kNaming.portHelp)
            ->type_name("PORT")
            ->allow_extra_args(false);
        on->add_flag("--json", ctx.json, "machine-readable output (JSON lines)");
    };
    common(&app);
    auto command = [&](CLI::App* parent, const std::string& name, const std::string& path, const std::string& description) {
        CLI::App* sub = parent->add_subcommand(name, description);
        common(sub);
        sub->footer(examplesOf(path));
        return sub;
    };
    app.add_option("--backup-dir", ctx.backup.folder, "folder of the automatic backups before restore and flash")->type_name("DIR");
    app.add_option("--keep", ctx.backup.keep, "automatic backups kept per port (default 10)")->type_name("N")->check(CLI::Range(size_t(1), size_t(100000)));
    app.add_flag("--no-backup", [&](int64_t) { ctx.backup.enabled = false; },
                 "no automatic backup before restore or flash (for units that cannot answer parameter reads)");

    auto* ports = command(&app, "ports", "ports", "list the serial ports (all, or those given with -p) with their USB adapter");
    auto* info = command(&app, "info", "info", "the units and their versions");

    auto* params = command(&app, "params", "params", "read or write gimbal parameters");
    params->require_subcommand(1);
    std::vector<int> numbers;
    auto* paramsGet = command(params, "get", "params get", "read parameters");
    paramsGet->add_option("N", numbers, "parameter numbers (0-" + std::to_string(procedures::kParameterCount - 1) + ")")
        ->required()
        ->check(CLI::Range(0, procedures::kParameterCount - 1));
    std::vector<std::string> assignments;
    auto* paramsSet = command(params, "set", "params set", "write parameters, then read them back");
    // Positional names are plain identifiers (newer CLI11 refuses others); the form shows as the type.
    paramsSet->add_option("ASSIGNMENTS", assignments, "parameter number and value (0-65535)")->required()->type_name("N=VALUE");

    auto* config = command(&app, "config", "config", "read or write the 38-byte configuration record");
    config->require_subcommand(1);
    auto* configGet = command(config, "get", "config get", "read the configuration record");
    std::string configFile;
    auto* configSet = command(config, "set", "config set", "write, save and verify the record from a backup or 'config get --json' output");
    configSet->add_option("FILE", configFile, "JSON file with a \"config\" list")->required();

    std::string backupFile, restoreFile;
    auto* backup = command(&app, "backup", "backup", "save versions, parameters 0-20 and the configuration to a file");
    backup->add_option("FILE", backupFile, "backup file, - for standard output, or a folder for one file per port")->required();
    bool force = false, dryRun = false;
    auto* restore = command(&app, "restore", "restore", "check a backup, back up the gimbal, write the backup, save, read back and verify");
    restore->add_option("FILE", restoreFile, "backup file")->required();
    restore->add_flag("--force", force, "restore onto a gimbal with another camera module, other units or other hardware versions");
    restore->add_flag("--dry-run", dryRun, "print what would change and write nothing");

    FlashOptions flashOptions;
    auto* flash = command(&app, "flash", "flash", "write the units' firmware from a package (backs up first), then check the versions after the reboot");
    flash->add_option("PACKAGE", flashOptions.package, "firmware package (.bin)")->required();
    flash->add_option("--unit", flashOptions.units, "only these units (IFB, MX, MY, MZ or a number); repeatable")->type_name("NAME");
    flash->add_flag("--all", flashOptions.all, "also rewrite units already at the package's version");
    flash->add_flag("--allow-downgrade", flashOptions.allowDowngrade, "write an image older than the unit runs");
    flash->add_flag("--dry-run", flashOptions.dryRun, "print the plan (units, from -> to) and write nothing");
    flash->add_option("--sha256", flashOptions.sha256, "refuse the package unless its SHA-256 is HEX")->type_name("HEX");

    std::string calibrationType;
    auto* calibrate = command(&app, "calibrate", "calibrate", "run a calibration until it is done or fails");
    calibrate->add_option("TYPE", calibrationType, "static, horizontal, vertical, motor-angle or attitude (or 1-5)")->required();
    auto* start = command(&app, "start", "start", "start the gimbal");
    auto* stop = command(&app, "stop", "stop", "stop the gimbal");

    std::string format = "csv";
    double rate = 10;
    long long count = 0;
    auto* monitor = command(&app, "monitor", "monitor", "stream every telemetry sample (A and B), decoded, with its receive time; "
                                                              "ends after 1 s without telemetry (exit 5)");
    monitor->add_option("--format", format, "csv or json (default csv)")->check(CLI::IsMember({"csv", "json"}));
    monitor->add_option("--rate", rate, "at most N samples of each record per second (default 10); "
                                        "a slower stream has each sample printed once")->check(CLI::Range(0.1, 1000.0));
    monitor->add_option("--count", count, "stop after N rows (default: until interrupted)")->check(CLI::NonNegativeNumber);

    std::string sideA, sideB;
    auto* diff = command(&app, "diff", "diff", "the parameters and configuration bytes in which two backups or ports differ");
    diff->add_option("A", sideA, "backup file or port")->required();
    diff->add_option("B", sideB, "backup file or port")->required();

    // Set last: a subcommand copies its parent's footer when it is made, and the exit codes belong here once.
    app.footer(allExamples() + "\n" + local(kExitCodesHelp));

    // An interrupt is the command's to report (report() and the workers' parent do); a failed write is this.
    auto finish = [&](int code) { return outputFailed() ? int(procedures::kExitFailure) : code; };
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here too (exit code 0), and print as usual.
        bool json = ctx.worker;
        for (int i = 1; i < argc; ++i) json = json || std::string(argv[i]) == "--json";
        if (e.get_exit_code() == 0 || !json) {
            std::ostringstream out, err;
            const int code = app.exit(e, out, err) == 0 ? procedures::kExitOk : procedures::kExitUsage;
            writeOut(out.str());
            writeErr(err.str());
            return finish(code);
        }
        ctx.json = true;
        report(ctx, {{"command", parsedCommand(app)}, {"port", nullptr}}, {procedures::kExitUsage, e.what()}, "");
        return finish(procedures::kExitUsage);
    }
    for (const auto& list : portLists) ctx.ports.insert(ctx.ports.end(), list.begin(), list.end());
    if (ctx.worker) {
        ctx.ports = {workerPort};
        ctx.json = true;
    }
    ctx.terminal = platform::outputIsTerminal() && !ctx.json;
    for (int i = 1; i < argc; ++i) ctx.args.emplace_back(argv[i]);
    const std::string name = parsedCommand(app);
    if (const auto repeated = repeatedPorts(ctx.ports); !repeated.empty())
        return finish(report(ctx, {{"command", name}, {"port", nullptr}}, {procedures::kExitUsage, "port " + repeated.front() + " is named twice"}, ""));

    // A folder as the backup file: one file per port in it, named after the port.
    const bool backupToFolder = *backup && std::filesystem::is_directory(backupFile);
    auto backupTarget = [&] {
        if (!backupToFolder || ctx.ports.size() != 1) return backupFile;
        return (std::filesystem::path(backupFile) / (std::filesystem::path(ctx.ports[0]).filename().string() + ".json")).string();
    };
    struct Command {
        CLI::App* parsed;
        bool perPort;   // run once per port in workers when several are given
        std::function<int()> run;
    };
    const Command commands[] = {
        {ports, false, [&] { return cmdPorts(ctx); }},
        {info, true, [&] { return cmdInfo(ctx); }},
        {paramsGet, true, [&] { return cmdParamsGet(ctx, numbers); }},
        {paramsSet, true, [&] { return cmdParamsSet(ctx, assignments); }},
        {configGet, true, [&] { return cmdConfigGet(ctx); }},
        {configSet, true, [&] { return cmdConfigSet(ctx, configFile); }},
        // Several gimbals write into a folder or to standard output; to one file they would overwrite each other.
        {backup, backupFile == "-" || backupToFolder, [&] { return cmdBackup(ctx, backupTarget()); }},
        {restore, true, [&] { return cmdRestore(ctx, restoreFile, force, dryRun); }},
        {flash, false, [&] { return cmdFlash(ctx, flashOptions); }},   // reads the package once, then per port
        {calibrate, true, [&] { return cmdCalibrate(ctx, calibrationType); }},
        {start, true, [&] { return cmdStartStop(ctx, true); }},
        {stop, true, [&] { return cmdStartStop(ctx, false); }},
        {monitor, false, [&] { return cmdMonitor(ctx, format, rate, count); }},
        {diff, false, [&] { return cmdDiff(ctx, sideA, sideB); }},
    };
    for (const Command& c : commands) {
        if (!c.parsed->parsed()) continue;
        if (c.perPort && ctx.ports.size() > 1) return finish(runOnEveryPort(ctx, name));
        return finish(c.run());
    }
    return procedures::kExitUsage;
}
