// cradlectl: the gimbal's configuration tool for scripts and production lines, on the Cradle library.
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "exit_codes.h"

using namespace cradlectl;

namespace {

constexpr const char* kExitCodesHelp = R"(Exit codes:
  0  success
  1  other failure (port in use, line lost, file not writable)
  2  usage: bad command line
  3  port not found
  4  permission denied on the port
  5  no answer from the gimbal (also: a calibration that did not finish in time)
  6  refused: the gimbal refused or reported an error
  7  verification failed: read back differs after a write; diff: the two sides differ
  8  partial success: some units or ports failed, others succeeded
  9  bad file: a corrupt or foreign backup or package, or a package not meant for this gimbal

With --json each command prints JSON lines: progress events ("event") while it runs, then one result
object with "exitCode" and, on failure, "error". --port may be given several times for info and flash:
each port is served by a worker process of its own and gets one outcome line.
Automatic backups before a restore or a flash go to the desktop program's data folder
($XDG_DATA_HOME/Tiltmate/Tiltmate) or --backup-dir; the newest ten of each port are kept (--keep),
backups saved or renamed by hand never removed.
Restore checks every value against what a gimbal can hold before writing anything (exit 9), and
stops between two writes on Ctrl-C or SIGTERM, saying what was written (exit 130).)";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"cradlectl: read, configure, back up, restore and flash the gimbal over its serial port."};
    app.set_version_flag("--version", std::string("cradlectl ") + TILTMATE_VERSION);
    app.footer(kExitCodesHelp);
    app.fallthrough();
    app.require_subcommand(1);

    Context ctx;
    app.add_option("-p,--port", ctx.ports, "serial port (/dev/ttyUSB0 or ttyUSB0); repeat for several gimbals")->type_name("PORT");
    app.add_flag("--json", ctx.json, "machine-readable output (JSON lines)");
    app.add_option("--backup-dir", ctx.backup.folder, "folder of the automatic backups before restore and flash")->type_name("DIR");
    app.add_option("--keep", ctx.backup.keep, "automatic backups kept per port (default 10)")->type_name("N")->check(CLI::Range(size_t(1), size_t(100000)));
    app.add_flag("--no-backup", [&](int64_t) { ctx.backup.enabled = false; },
                 "no automatic backup before restore or flash (for units that cannot answer parameter reads)");

    auto* ports = app.add_subcommand("ports", "list the serial ports, with the adapter where known");
    auto* info = app.add_subcommand("info", "the units and their versions");

    auto* params = app.add_subcommand("params", "read or write gimbal parameters");
    params->require_subcommand(1);
    std::vector<int> numbers;
    auto* paramsGet = params->add_subcommand("get", "read parameters");
    paramsGet->add_option("N", numbers, "parameter numbers")->required()->check(CLI::Range(0, 255));
    std::vector<std::string> assignments;
    auto* paramsSet = params->add_subcommand("set", "write parameters, then read them back");
    paramsSet->add_option("N=VALUE", assignments, "parameter number and value (0-65535)")->required();

    auto* config = app.add_subcommand("config", "read or write the 38-byte configuration record");
    config->require_subcommand(1);
    auto* configGet = config->add_subcommand("get", "read the configuration record");
    std::string configFile;
    auto* configSet = config->add_subcommand("set", "write, save and verify the record from a backup or 'config get --json' output");
    configSet->add_option("FILE", configFile, "JSON file with a \"config\" list")->required();

    std::string backupFile, restoreFile;
    auto* backup = app.add_subcommand("backup", "save versions, parameters 0-20 and the configuration to a file");
    backup->add_option("FILE", backupFile, "backup file, - for standard output")->required();
    bool force = false, dryRun = false;
    auto* restore = app.add_subcommand("restore", "check a backup, back up the gimbal, write the backup, save, read back and verify");
    restore->add_option("FILE", restoreFile, "backup file")->required();
    restore->add_flag("--force", force, "restore onto a gimbal with another camera module, other units or other hardware versions");
    restore->add_flag("--dry-run", dryRun, "print what would change and write nothing");

    std::string package;
    std::vector<std::string> units;
    auto* flash = app.add_subcommand("flash", "write the units' firmware from a package (backs up first)");
    flash->add_option("PACKAGE", package, "firmware package (.bin)")->required();
    flash->add_option("--unit", units, "only these units (IFB, MX, MY, MZ or a number); repeatable")->type_name("NAME");

    std::string calibrationType;
    auto* calibrate = app.add_subcommand("calibrate", "run a calibration until it is done or fails");
    calibrate->add_option("TYPE", calibrationType, "static, horizontal, vertical, motor-angle or attitude (or 1-5)")->required();
    auto* start = app.add_subcommand("start", "start the gimbal");
    auto* stop = app.add_subcommand("stop", "stop the gimbal");

    std::string format = "csv";
    double rate = 10;
    long long count = 0;
    auto* monitor = app.add_subcommand("monitor", "stream every telemetry sample (A and B), decoded, with its receive time; "
                                                  "ends after 1 s without telemetry (exit 5)");
    monitor->add_option("--format", format, "csv or json (default csv)")->check(CLI::IsMember({"csv", "json"}));
    monitor->add_option("--rate", rate, "at most N samples of each record per second (default 10); "
                                        "a slower stream has each sample printed once")->check(CLI::Range(0.1, 1000.0));
    monitor->add_option("--count", count, "stop after N rows (default: until interrupted)")->check(CLI::NonNegativeNumber);

    std::string sideA, sideB;
    auto* diff = app.add_subcommand("diff", "the parameters and configuration bytes in which two backups or ports differ");
    diff->add_option("A", sideA, "backup file or port")->required();
    diff->add_option("B", sideB, "backup file or port")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    ctx.terminal = isatty(STDOUT_FILENO) && !ctx.json;
    for (int i = 1; i < argc; ++i) ctx.args.emplace_back(argv[i]);

    if (*ports) return cmdPorts(ctx);
    if (*info) return cmdInfo(ctx);
    if (*paramsGet) return cmdParamsGet(ctx, numbers);
    if (*paramsSet) return cmdParamsSet(ctx, assignments);
    if (*configGet) return cmdConfigGet(ctx);
    if (*configSet) return cmdConfigSet(ctx, configFile);
    if (*backup) return cmdBackup(ctx, backupFile);
    if (*restore) return cmdRestore(ctx, restoreFile, force, dryRun);
    if (*flash) return cmdFlash(ctx, package, units);
    if (*calibrate) return cmdCalibrate(ctx, calibrationType);
    if (*start) return cmdStartStop(ctx, true);
    if (*stop) return cmdStartStop(ctx, false);
    if (*monitor) return cmdMonitor(ctx, format, rate, count);
    if (*diff) return cmdDiff(ctx, sideA, sideB);
    return kExitUsage;
}
