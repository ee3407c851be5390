#include "units.h"

#include <algorithm>

namespace procedures {
namespace {

constexpr size_t kVersionEntryBytes = 6;
constexpr size_t kMaxVersionEntries = (CRADLE_VERSION_RECORD_SIZE - 1) / kVersionEntryBytes;

struct NamedUnit {
    const char* name;
    uint8_t id;
};
constexpr NamedUnit kUnits[] = {{"IFB", 1}, {"MX", 2}, {"MY", 4}, {"MZ", 8}};

}  // namespace

std::string unitName(uint8_t id) {
    for (const auto& u : kUnits)
        if (u.id == id) return u.name;
    return "UNKNOWN:" + std::to_string(id);
}

bool parseUnit(const std::string& text, uint8_t& id) {
    for (const auto& u : kUnits)
        if (text == u.name) {
            id = u.id;
            return true;
        }
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int value = std::stoi(text);
    if (value > 255) return false;
    id = uint8_t(value);
    return true;
}

std::string UnitVersion::name() const { return unitName(id); }
std::string UnitVersion::version() const { return std::to_string(major) + "." + std::to_string(minor); }

std::vector<UnitVersion> decodeVersionReport(const uint8_t* record, size_t size) {
    std::vector<UnitVersion> units;
    if (size < 1) return units;
    const size_t count = std::min<size_t>({record[0], kMaxVersionEntries, (size - 1) / kVersionEntryBytes});
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* e = record + 1 + k * kVersionEntryBytes;
        units.push_back({e[0], e[1], e[2], e[3]});
    }
    return units;
}

}  // namespace procedures
