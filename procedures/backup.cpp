#include "backup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "exit_codes.h"
#include "files.h"
#include "system.h"

namespace procedures {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kAutomaticPrefix = "auto-backup-";
constexpr const char* kBackupSuffix = ".json";
// The desktop program's organisation and application names, which its data folder is made of.
constexpr const char* kOrganizationName = "Tiltmate";
constexpr const char* kApplicationName = "Tiltmate";
constexpr size_t kMaxBackupFileBytes = 1 << 20;

std::string isoTime(std::time_t t) {
    const std::tm tm = system::utcTime(t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// 2026-12-08T10:15:00Z and nothing else: the form isoTime writes.
bool parseIsoTime(const std::string& text, std::time_t& t) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &year, &month, &day, &hour, &minute, &second, &used) != 6 ||
        size_t(used) != text.size())
        return false;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    t = system::fromUtc(tm);
    return t != std::time_t(-1);
}

// Keeps names portable: anything but letters, digits, '.' and '_' becomes '_'.
std::string fileSafe(const std::string& text) {
    std::string out;
    for (char c : text) out += (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_') ? c : '_';
    return out;
}

template <typename T>
bool integerIn(const json& value, long long low, long long high, T& out) {
    if (!value.is_number_integer()) return false;
    const long long v = value.get<long long>();
    if (v < low || v > high) return false;
    out = T(v);
    return true;
}

Status bad(const std::string& what) { return {kExitBadFile, "not a usable backup: " + what}; }

std::string baseName(const std::string& name) {
    return name.size() > std::strlen(kBackupSuffix) ? name.substr(0, name.size() - std::strlen(kBackupSuffix)) : name;
}

// True when `name` is `expected`.json or `expected`-N.json (the suffix a same-second backup gets).
bool isSavedName(const std::string& name, const std::string& expected) {
    const std::string expectedBase = baseName(expected);
    if (name == expected) return true;
    if (name.size() <= std::strlen(kBackupSuffix) || name.compare(name.size() - std::strlen(kBackupSuffix), std::string::npos, kBackupSuffix) != 0)
        return false;
    const std::string base = baseName(name);
    if (base.rfind(expectedBase + "-", 0) != 0) return false;
    const std::string n = base.substr(expectedBase.size() + 1);
    return !n.empty() && n.size() < 4 && n.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string backupToJson(const Backup& backup) {
    json units = json::array();
    for (const UnitVersion& u : backup.units)
        units.push_back({{"unit", u.name()}, {"id", u.id}, {"hardware", u.hardware}, {"version", u.version()}});
    json doc = {
        {"format", kBackupFormat},
        {"formatVersion", kBackupFormatVersion},
        {"taken", isoTime(backup.taken)},
        {"port", backup.port},
        {"automatic", backup.automatic},
        {"units", units},
        {"parameters", backup.parameters},
        {"config", backup.config},
    };
    // A port name that is not UTF-8 is kept with replacement characters rather than failing the backup.
    return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

Status backupFromJson(const std::string& text, Backup& backup) {
    json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) return bad("the file is not JSON");
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kBackupFormat)
        return bad("the file is not a configuration backup");
    int version = 0;
    if (!doc.contains("formatVersion") || !integerIn(doc["formatVersion"], 1, 1 << 30, version))
        return bad("the format version is missing");
    if (version > kBackupFormatVersion)
        return bad("format version " + std::to_string(version) + " is newer than this tool reads (" + std::to_string(kBackupFormatVersion) + ")");

    Backup b;
    if (!doc.contains("taken") || !doc["taken"].is_string() || !parseIsoTime(doc["taken"].get<std::string>(), b.taken))
        return bad("\"taken\" is not a time");
    if (!doc.contains("port") || !doc["port"].is_string()) return bad("\"port\" is missing");
    b.port = doc["port"].get<std::string>();
    // Absent means saved by hand; checked before reading, as value() would throw on a non-boolean.
    const auto automatic = doc.find("automatic");
    if (automatic != doc.end() && !automatic->is_boolean()) return bad("\"automatic\" is not true or false");
    b.automatic = automatic != doc.end() && automatic->get<bool>();

    const json& units = doc.contains("units") ? doc["units"] : json();
    if (!units.is_array() || units.size() > (CRADLE_VERSION_RECORD_SIZE - 1) / 6) return bad("\"units\" is not a list of units");
    for (const json& u : units) {
        UnitVersion unit;
        if (!u.is_object() || !u.contains("id") || !integerIn(u["id"], 0, 255, unit.id) || !u.contains("hardware")
            || !integerIn(u["hardware"], 0, 255, unit.hardware) || !u.contains("version") || !u["version"].is_string())
            return bad("a unit entry is malformed");
        unsigned major = 0, minor = 0;
        char rest = 0;
        if (std::sscanf(u["version"].get<std::string>().c_str(), "%u.%u%c", &major, &minor, &rest) != 2 || major > 255 || minor > 255)
            return bad("a unit version is malformed");
        unit.major = uint8_t(major);
        unit.minor = uint8_t(minor);
        b.units.push_back(unit);
    }

    const json& parameters = doc.contains("parameters") ? doc["parameters"] : json();
    if (!parameters.is_array() || parameters.size() != b.parameters.size())
        return bad("\"parameters\" must hold " + std::to_string(b.parameters.size()) + " values");
    for (size_t i = 0; i < b.parameters.size(); ++i)
        if (!integerIn(parameters[i], 0, 0xFFFF, b.parameters[i]))
            return bad("parameter " + std::to_string(i) + " is not a number from 0 to 65535");

    const json& config = doc.contains("config") ? doc["config"] : json();
    if (!config.is_array() || config.size() != b.config.size())
        return bad("\"config\" must hold " + std::to_string(b.config.size()) + " bytes");
    for (size_t i = 0; i < b.config.size(); ++i)
        if (!integerIn(config[i], 0, 0xFF, b.config[i]))
            return bad("configuration byte " + std::to_string(i) + " is not a number from 0 to 255");

    backup = b;
    return {};
}

Status loadBackup(const std::string& path, Backup& backup) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {kExitBadFile, path + ": cannot be read: " + std::strerror(errno)};
    std::string text;
    text.resize(kMaxBackupFileBytes + 1);
    in.read(text.data(), std::streamsize(text.size()));
    if (size_t(in.gcount()) > kMaxBackupFileBytes) return {kExitBadFile, path + ": not a usable backup: the file is far too large"};
    text.resize(size_t(in.gcount()));
    Status s = backupFromJson(text, backup);
    if (!s.ok()) s.message = path + ": " + s.message;
    return s;
}

Status saveBackup(const std::string& path, const Backup& backup) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return {kExitFailure, "cannot write " + temporary + ": " + std::strerror(errno)};
        out << backupToJson(backup);
        // A full disk may only show when the buffer goes out at close.
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return {kExitFailure, "writing " + temporary + " failed"};
        }
    }
    if (!cradle::platform::replaceFile(temporary.c_str(), path.c_str())) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return {kExitFailure, "cannot create " + path + ": " + reason};
    }
    return {};
}

std::vector<Difference> differences(const Backup& from, const Backup& to) {
    std::vector<Difference> found;
    for (size_t i = 0; i < from.config.size(); ++i)
        if (from.config[i] != to.config[i]) found.push_back({Difference::kConfig, i, from.config[i], to.config[i]});
    for (size_t i = 0; i < from.parameters.size(); ++i)
        if (from.parameters[i] != to.parameters[i]) found.push_back({Difference::kParameter, i, from.parameters[i], to.parameters[i]});
    return found;
}

std::string restoreDifferences(const Backup& backup, const Parameters& parameters, const ConfigRecord& config) {
    Backup read = backup;
    read.parameters = parameters;
    read.config = config;
    std::string text;
    for (const Difference& d : differences(backup, read))
        text += std::string("; ") + (d.kind == Difference::kConfig ? "configuration byte " : "parameter ") + std::to_string(d.index) + " reads "
                + std::to_string(d.to) + ", not " + std::to_string(d.from);
    return text.empty() ? text : text.substr(2);
}

std::string dataFolder() {
    // As the desktop program's data folder is made on this system: the user's data home, then the
    // organisation and application names.
    return system::userDataHome() + "/" + kOrganizationName + "/" + kApplicationName;
}

std::string automaticBackupName(const Backup& backup) {
    const std::tm tm = system::utcTime(backup.taken);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
    const auto slash = backup.port.find_last_of('/');
    std::string name = std::string(kAutomaticPrefix) + stamp + "-" + fileSafe(slash == std::string::npos ? backup.port : backup.port.substr(slash + 1));
    for (const UnitVersion& u : backup.units) {
        name += '-';
        name += fileSafe(u.name());
        name += u.version();
    }
    return name + kBackupSuffix;
}

Status saveAutomaticBackup(const std::string& folder, const Backup& backup, std::string& path, size_t keep) {
    if (!system::makeFolders(folder)) return {kExitFailure, "cannot create the backup folder " + folder + ": " + std::strerror(errno)};
    Backup automatic = backup;
    automatic.automatic = true;
    const std::string name = automaticBackupName(automatic);
    // Two backups of one port in the same second get -2, -3, ...: never overwrite an earlier one.
    path = folder + "/" + name;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error); ++n) {
        if (n > 999) return {kExitFailure, "too many backups named " + name + " in " + folder};
        path = folder + "/" + baseName(name) + "-" + std::to_string(n) + kBackupSuffix;
    }
    if (Status s = saveBackup(path, automatic); !s.ok()) return s;
    pruneAutomaticBackups(folder, automatic.port, keep);
    return {};
}

void pruneAutomaticBackups(const std::string& folder, const std::string& port, size_t keep) {
    keep = std::max<size_t>(keep, 1);  // the backup just taken always stays
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return;
    struct Found {
        std::time_t taken;
        std::string name;
    };
    std::vector<Found> automatic;
    for (const std::filesystem::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kAutomaticPrefix, 0) != 0) continue;
        Backup b;
        if (!loadBackup(folder + "/" + name, b).ok() || !b.automatic || b.port != port) continue;
        // A file renamed by its user no longer carries the name it was saved under: it is the user's now.
        if (!isSavedName(name, automaticBackupName(b))) continue;
        automatic.push_back({b.taken, name});
    }
    if (automatic.size() <= keep) return;
    std::sort(automatic.begin(), automatic.end(),
              [](const Found& a, const Found& b) { return a.taken != b.taken ? a.taken > b.taken : a.name > b.name; });
    for (size_t i = keep; i < automatic.size(); ++i) std::remove((folder + "/" + automatic[i].name).c_str());
}

}  // namespace procedures
