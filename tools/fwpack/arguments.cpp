#include "arguments.h"

#include <cerrno>
#include <cstdlib>

#include "firmware_package_format.h"
#include "gimbalsim/DemoMarker.h"

namespace fwpack {
namespace {

// A demo image holds its version marker and, like any image, fits one firmware transfer.
constexpr size_t kMinDemoImageBytes = gimbalsim::kDemoMarkerOffset + gimbalsim::kDemoMarkerBytes;
constexpr size_t kMaxDemoImageBytes = firmware_package::kMaxImageBytes;

struct NamedUnit {
    const char* name;
    uint8_t id;
};
constexpr NamedUnit kUnits[] = {{"IFB", 1}, {"MX", 2}, {"MY", 4}, {"MZ", 8}};

std::optional<unsigned long long> unsignedNumber(const std::string& text, unsigned long long high) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > high) return std::nullopt;
    return value;
}

std::optional<EntryArgument> entry(const std::string& text, bool demo) {
    // UNIT:MAJOR.MINOR:REST; the image path may itself contain ':' so split on the first two only.
    const auto first = text.find(':');
    if (first == std::string::npos) return std::nullopt;
    const auto second = text.find(':', first + 1);
    const std::string unitText = text.substr(0, first);
    const std::string versionText = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    const std::string rest = second == std::string::npos ? "" : text.substr(second + 1);

    EntryArgument argument;
    bool named = false;
    for (const auto& u : kUnits)
        if (unitText == u.name) {
            argument.unit = u.id;
            named = true;
        }
    if (!named) {
        const auto id = unsignedNumber(unitText, 255);
        if (!id) return std::nullopt;
        argument.unit = uint8_t(*id);
    }
    const auto dot = versionText.find('.');
    if (dot == std::string::npos) return std::nullopt;
    const auto major = unsignedNumber(versionText.substr(0, dot), 255);
    const auto minor = unsignedNumber(versionText.substr(dot + 1), 255);
    if (!major || !minor) return std::nullopt;
    argument.major = uint8_t(*major);
    argument.minor = uint8_t(*minor);

    if (demo) {
        if (second != std::string::npos) {
            const auto bytes = unsignedNumber(rest, kMaxDemoImageBytes);
            if (!bytes || *bytes < kMinDemoImageBytes) return std::nullopt;
            argument.demoBytes = size_t(*bytes);
        }
    } else {
        if (rest.empty()) return std::nullopt;
        argument.imagePath = rest;
    }
    return argument;
}

}  // namespace

std::string usage() {
    return R"(Usage: fwpack -o PACKAGE [--mask N] UNIT:MAJOR.MINOR:IMAGE...
       fwpack -o PACKAGE [--mask N] --demo [UNIT:MAJOR.MINOR[:SIZE]...]
Writes a firmware package: one image per gimbal unit with the version it carries.

  -o, --output PACKAGE  the package file to write (replaced whole, or left alone on error)
  --mask N              compatibility mask, 64-bit: bit k set means the package fits camera
                        module code k + 1 (decimal or 0x hex; default: every module)
  --demo                generate the images instead of reading them: each carries a version
                        marker that gimbal-sim reports after the upgrade. SIZE is the image
                        size in bytes, 28 to 16776960 (default 4096). Without entries: IFB,
                        MX, MY and MZ at 1.1
  --help                show this text

UNIT is IFB, MX, MY, MZ or an identifier 0-255; MAJOR and MINOR are 0-255.
An image must not be empty or longer than 16776960 bytes (what one firmware transfer
carries), and a package holds at most 255 entries. Exit status: 0 written, 1 input refused or not writable, 2 bad options.
)";
}

ParsedArguments parseArguments(const std::vector<std::string>& args) {
    Arguments a;
    auto fail = [](const std::string& message) { return ParsedArguments{std::nullopt, message}; };
    std::vector<std::string> entryTexts;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--demo") {
            a.demo = true;
        } else if (arg == "-o" || arg == "--output" || arg == "--mask") {
            if (i + 1 >= args.size()) return fail("option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--mask") {
                const auto mask = unsignedNumber(value, ~0ull);
                if (!mask) return fail("bad compatibility mask '" + value + "'");
                a.mask = *mask;
            } else {
                if (value.empty()) return fail("empty output path");
                a.output = value;
            }
        } else if (arg.rfind("-", 0) == 0) {
            return fail("unknown option " + arg);
        } else {
            entryTexts.push_back(arg);
        }
    }
    if (a.help) return ParsedArguments{a, {}};
    if (a.output.empty()) return fail("no output file (-o PACKAGE)");
    for (const std::string& text : entryTexts) {
        auto argument = entry(text, a.demo);
        if (!argument)
            return fail("bad entry '" + text + "' (expected " +
                        (a.demo ? "UNIT:MAJOR.MINOR[:SIZE], SIZE " + std::to_string(kMinDemoImageBytes) + " to " +
                                      std::to_string(kMaxDemoImageBytes)
                                : std::string("UNIT:MAJOR.MINOR:IMAGE")) +
                        ")");
        a.entries.push_back(*argument);
    }
    if (a.demo && a.entries.empty())
        for (const auto& u : kUnits) a.entries.push_back({u.id, 1, 1, {}, kDefaultDemoImageBytes});
    if (a.entries.empty()) return fail("no entries given");
    return ParsedArguments{a, {}};
}

}  // namespace fwpack
