// Counts of results per export and per result code, and the calls that gave a result their export
// never gives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "export_specs.h"

namespace soak {

class ResultTally {
public:
    void add(const ExportSpec& exportInfo, int code) {
        ++perExport_[std::string(exportInfo.name)][code];
        ++perCode_[code];
        ++calls_;
        if (std::find(exportInfo.results.begin(), exportInfo.results.end(), code) == exportInfo.results.end())
            unexpected_.push_back(std::string(exportInfo.name) + " gave " + std::to_string(code));
    }
    uint64_t calls() const { return calls_; }
    const std::vector<std::string>& unexpected() const { return unexpected_; }

    void print(std::ostream& out) const {
        for (const auto& [name, codes] : perExport_) {
            out << "  " << name << ":";
            for (const auto& [code, count] : codes) out << " " << code << "=" << count;
            out << "\n";
        }
        out << "  all exports by result code:";
        for (const auto& [code, count] : perCode_) out << " " << code << "=" << count;
        out << "\n";
    }

private:
    std::map<std::string, std::map<int, uint64_t>> perExport_;
    std::map<int, uint64_t> perCode_;
    uint64_t calls_ = 0;
    std::vector<std::string> unexpected_;
};

}  // namespace soak
