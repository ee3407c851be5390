#include "cli_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>

namespace gimbalsim::cli {
namespace {

constexpr int kMaxParameterNumber = kParameterCount - 1;
constexpr int kMaxTelemetryHz = 1000;
constexpr uint8_t kUnitIds[] = {1, 2, 4, 8};
constexpr const char* kUnitNames[] = {"IFB", "MX", "MY", "MZ"};
constexpr uint8_t kRequestCommands[] = {0x43, 0x44, 0x45, 0x4D, 0x4E, 0x72, 0x73};

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

// Whole-text integer in [low, high]; decimal or 0x hexadecimal.
std::optional<long long> integer(const std::string& text, long long low, long long high) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<double> number(const std::string& text, double low, double high) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(value >= low && value <= high)) return std::nullopt;
    return value;
}

std::optional<uint8_t> unitId(const std::string& text) {
    for (size_t i = 0; i < std::size(kUnitNames); ++i)
        if (text == kUnitNames[i]) return kUnitIds[i];
    if (auto v = integer(text, 0, 255)) return uint8_t(*v);
    return std::nullopt;
}

// "MAJOR.MINOR", each 0..255.
bool version(const std::string& text, uint8_t& major, uint8_t& minor) {
    const auto parts = splitOn(text, '.');
    if (parts.size() != 2) return false;
    const auto a = integer(parts[0], 0, 255), b = integer(parts[1], 0, 255);
    if (!a || !b) return false;
    major = uint8_t(*a);
    minor = uint8_t(*b);
    return true;
}

// "delay=MS,status=N,silent,crc,noise=N,split,cut=N,store-other,count=N"
bool faultList(const std::string& text, Fault& fault) {
    if (text.empty()) return false;
    for (const std::string& item : splitOn(text, ',')) {
        const auto eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        const bool hasValue = eq != std::string::npos;
        if (key == "silent" && !hasValue) fault.silent = true;
        else if (key == "crc" && !hasValue) fault.corruptCrc = true;
        else if (key == "split" && !hasValue) fault.split = true;
        else if (key == "store-other" && !hasValue) fault.storeOther = true;
        else if (key == "delay" && hasValue) {
            auto v = integer(value, 0, 600000);
            if (!v) return false;
            fault.delayMs = int(*v);
        } else if (key == "status" && hasValue) {
            auto v = integer(value, 0, 255);
            if (!v) return false;
            fault.status = int(*v);
        } else if (key == "noise" && hasValue) {
            auto v = integer(value, 0, 4096);
            if (!v) return false;
            fault.noiseBytes = int(*v);
        } else if (key == "cut" && hasValue) {
            auto v = integer(value, 0, 65535);
            if (!v) return false;
            fault.cutAfterBytes = int(*v);
        } else if (key == "count" && hasValue) {
            auto v = integer(value, 1, std::numeric_limits<int>::max());
            if (!v) return false;
            fault.count = int(*v);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string defaultLinkPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime && *runtime ? runtime : "/tmp") + "/tiltmate-sim/ttyGIMBAL0";
}

std::string usage() {
    return R"(Usage: gimbal-sim [OPTION]...
Serves the gimbal's side of the serial protocol on a pseudo-terminal and prints one line:
the path of a symlink to it, which the configuration tool opens like a serial port.
Runs until SIGINT or SIGTERM, then removes the symlink. SIGUSR1 unplugs the port
(pty closed, symlink removed) and, sent again, plugs it back in at the same path.
SIGUSR2 prints the gimbal's parameter table as one line: "parameters 0=V0 1=V1 ... 20=V20".

  --link PATH              symlink path (default $XDG_RUNTIME_DIR/tiltmate-sim/ttyGIMBAL0,
                           /tmp/... when XDG_RUNTIME_DIR is unset)
  --unit ID:HW:MAJOR.MINOR a unit and its versions; ID is IFB, MX, MY, MZ or 0-255;
                           repeat for each unit, at most 31 (default IFB, MX, MY and MZ,
                           hardware 1, 1.0)
  --camera CODE            camera module code, gimbal parameter 0 (default 4)
  --param N=VALUE          start value of gimbal parameter N (0-20); repeatable
  --telemetry-a HZ         rate of attitude telemetry 0x6B, 0 to turn off (default 20)
  --telemetry-b HZ         rate of receiver telemetry 0x6C, 0 to turn off (default 20)
  --lost-signal AFTER:FOR  report the receiver signal lost from AFTER seconds on, for FOR seconds
  --telemetry-off-after S  stop both telemetry streams for good S seconds after the start (a quiet line)
  --line-rate BAUD         deliver bytes both ways no faster than an 8N1 line at BAUD (default unpaced)
  --time-scale X           multiply calibration durations by X (default 1; e.g. 0.1 for a quick demo)
  --fault CMD:FAULTS       script the replies to command CMD (0x43, 0x44, 0x45, 0x4D, 0x4E, 0x72, 0x73)
  --control-fault SUB:UNIT:FAULTS
                           script the 0x4D replies of sub-command SUB (0x22-0x27) from UNIT (2, 4, 8)
  --stale-unit ID          the unit takes images but keeps reporting its old version after a
                           reboot, like a unit whose flash did not take; repeatable
  --silent                 answer nothing and send no telemetry, like a gimbal without power behind
                           a live adapter (overrides --fault, --control-fault and the telemetry rates)
  --help                   show this text

FAULTS is a comma-separated list of:
  delay=MS     reply MS milliseconds late        status=N  reply with status byte N (refusals: 0xFD,
  silent       do not reply (dropped reply)                0xFE, 0xFF; control: 0xF0, 1, 0xFF)
  crc          corrupt the reply's CRC           noise=N   send N junk bytes before the reply
  split        send the reply in two writes      count=N   only the next N replies, then normal
  cut=N        send only the reply's first N bytes (a device reset mid-reply)
  store-other  0x72: accept each page but store every value plus one, so a read-back differs
Example: --fault 0x45:status=0xFD,count=1 --fault 0x43:noise=5,split

Parameters start as on a gimbal fresh from the factory: 0=4 (camera module), 1=1 (S-BUS),
2=1 (mounted below), 3=1 (mode switch), 4=0 (iron red), 5-12 = channels 0-7 for the eight
functions, 13-20 = 1 (not reversed).

Telemetry: 0x6B carries a smoothly moving attitude with matching rotation rates and gravity
turned by the attitude; 0x6C carries receiver inputs sweeping inside the S-BUS range, the
functions' outputs, the mode, record and zoom statuses and the lost-signal flag.

Firmware: images are accepted block by block after a firmware request (0x44/0x45), with block
order, lengths and the image CRC-32 checked. After start application (0x46) the gimbal reboots:
telemetry pauses for about a second, and a unit whose image carries the demo version marker
written by 'fwpack --demo' reports that version from then on.

Exit status: 0 after SIGINT/SIGTERM, 1 when the port cannot be created, 2 for bad options.
)";
}

ParseResult parse(const std::vector<std::string>& args) {
    Settings s;
    s.options.telemetryAHz = kDefaultTelemetryHz;
    s.options.telemetryBHz = kDefaultTelemetryHz;
    s.options.linkPath = defaultLinkPath();
    auto fail = [](const std::string& message) { return ParseResult{std::nullopt, message}; };
    bool silent = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            s.help = true;
            continue;
        }
        if (option == "--silent") {
            silent = true;
            continue;
        }
        if (option.rfind("--", 0) != 0) return fail("unexpected argument '" + option + "'");
        static const std::string kValueOptions[] = {"--link", "--unit", "--camera", "--param", "--telemetry-a", "--telemetry-b", "--telemetry-off-after",
                                                    "--lost-signal", "--line-rate", "--time-scale", "--fault", "--control-fault",
                                                    "--stale-unit"};
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), option) == std::end(kValueOptions))
            return fail("unknown option " + option);
        if (i + 1 >= args.size()) return fail("option " + option + " needs a value");
        const std::string& value = args[++i];
        auto bad = [&] { return fail("bad value '" + value + "' for " + option); };

        if (option == "--link") {
            if (value.empty()) return bad();
            s.options.linkPath = value;
        } else if (option == "--unit") {
            const auto parts = splitOn(value, ':');
            UnitVersion unit{};
            if (parts.size() != 3) return bad();
            const auto id = unitId(parts[0]);
            const auto hardware = integer(parts[1], 0, 255);
            if (!id || !hardware || !version(parts[2], unit.appMajor, unit.appMinor)) return bad();
            if (s.options.units.size() == kMaxUnits)
                return fail("at most " + std::to_string(kMaxUnits) + " units fit the version report");
            unit.id = *id;
            unit.hardware = uint8_t(*hardware);
            s.options.units.push_back(unit);
        } else if (option == "--stale-unit") {
            const auto id = unitId(value);
            if (!id) return bad();
            s.options.staleUnits.push_back(*id);
        } else if (option == "--camera") {
            const auto code = integer(value, 0, 0xFFFF);
            if (!code) return bad();
            s.parameters.emplace_back(0, uint16_t(*code));
        } else if (option == "--param") {
            const auto eq = value.find('=');
            if (eq == std::string::npos) return bad();
            const auto n = integer(value.substr(0, eq), 0, kMaxParameterNumber);
            const auto v = integer(value.substr(eq + 1), 0, 0xFFFF);
            if (!n || !v) return bad();
            s.parameters.emplace_back(int(*n), uint16_t(*v));
        } else if (option == "--telemetry-a" || option == "--telemetry-b") {
            const auto hz = integer(value, 0, kMaxTelemetryHz);
            if (!hz) return bad();
            (option == "--telemetry-a" ? s.options.telemetryAHz : s.options.telemetryBHz) = int(*hz);
        } else if (option == "--telemetry-off-after") {
            const auto after = number(value, 0, 1e9);
            if (!after) return bad();
            s.options.telemetryOffAfterS = *after;
        } else if (option == "--lost-signal") {
            const auto parts = splitOn(value, ':');
            if (parts.size() != 2) return bad();
            const auto after = number(parts[0], 0, 1e9), length = number(parts[1], 0, 1e9);
            if (!after || !length) return bad();
            s.options.lostSignalAfterS = *after;
            s.options.lostSignalForS = *length;
        } else if (option == "--line-rate") {
            const auto baud = integer(value, 1, 100000000);
            if (!baud) return bad();
            s.options.lineRateBaud = int(*baud);
        } else if (option == "--time-scale") {
            const auto scale = number(value, 0, 1000);
            if (!scale) return bad();
            s.options.timeScale = *scale;
        } else if (option == "--fault") {
            const auto colon = value.find(':');
            if (colon == std::string::npos) return bad();
            const auto command = integer(value.substr(0, colon), 0, 255);
            Fault fault;
            if (!command || !faultList(value.substr(colon + 1), fault)) return bad();
            s.faults.push_back({uint8_t(*command), fault});
        } else if (option == "--control-fault") {
            const auto first = value.find(':');
            const auto second = first == std::string::npos ? first : value.find(':', first + 1);
            if (second == std::string::npos) return bad();
            const auto subCommand = integer(value.substr(0, first), 0, 255);
            const auto unit = integer(value.substr(first + 1, second - first - 1), 0, 255);
            Fault fault;
            if (!subCommand || !unit || (*unit != 2 && *unit != 4 && *unit != 8) || !faultList(value.substr(second + 1), fault))
                return bad();
            s.controlFaults.push_back({uint8_t(*subCommand), uint8_t(*unit), fault});
        } else {
            return fail("unknown option " + option);
        }
    }
    if (silent) {
        Fault mute;
        mute.silent = true;
        for (uint8_t command : kRequestCommands) s.faults.push_back({command, mute});  // applied last, so they win
        s.controlFaults.clear();  // these would be looked at before the command's fault
        s.options.telemetryAHz = s.options.telemetryBHz = 0;
    }
    return ParseResult{std::move(s), {}};
}

}  // namespace gimbalsim::cli
