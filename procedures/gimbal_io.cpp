#include "gimbal_io.h"

#include <algorithm>
#include <ctime>

#include "exit_codes.h"
#include "parameter_record.h"

namespace procedures {

Status cradleStatus(int result, const std::string& operation) {
    Status s;
    switch (result) {
    case CRADLE_OK: return {};
    case CRADLE_E_NOT_SENT: s = {kExitFailure, operation + ": nothing could be sent on the port (unplugged?)"}; break;
    case CRADLE_E_NO_REPLY:
    case CRADLE_E_NO_RECORD: s = {kExitNoAnswer, operation + ": no answer from the gimbal"}; break;
    case CRADLE_E_PARAM_REFUSED_FD:
    case CRADLE_E_BLOCK_REFUSED_FD: s = {kExitRefused, operation + ": refused by the gimbal (0xFD)"}; break;
    case CRADLE_E_FIRM_REFUSED_FE: s = {kExitRefused, operation + ": refused by the gimbal (0xFE)"}; break;
    case CRADLE_E_FIRM_REFUSED_FF: s = {kExitRefused, operation + ": refused by the gimbal (0xFF)"}; break;
    case CRADLE_E_REFUSED: s = {kExitRefused, operation + ": refused by the gimbal"}; break;
    case CRADLE_STATUS_ERROR: s = {kExitRefused, operation + ": the gimbal reported an error"}; break;
    case CRADLE_E_NOT_STARTED: s = {kExitFailure, operation + ": the port is not open"}; break;
    default: s = {kExitFailure, operation + ": failed (library result " + std::to_string(result) + ")"}; break;
    }
    s.libraryResult = result;
    return s;
}

Status readVersions(const CradleCalls& calls, std::vector<UnitVersion>& units) {
    uint8_t record[CRADLE_VERSION_BUFFER_SIZE] = {};
    if (Status s = cradleStatus(cradleCall(calls.UnitVersionInfo, record), "reading the versions"); !s.ok()) return s;
    units = decodeVersionReport(record, CRADLE_VERSION_RECORD_SIZE);
    return {};
}

Status readParameters(const CradleCalls& calls, const std::vector<int>& numbers, std::vector<uint16_t>& values) {
    values.assign(numbers.size(), 0);
    for (size_t first = 0; first < numbers.size(); first += CRADLE_PARAM_MAX_COUNT) {
        const size_t n = std::min<size_t>(CRADLE_PARAM_MAX_COUNT, numbers.size() - first);
        parameter_record::Buffer record{};
        parameter_record::encodeNumbers(record, std::span(numbers).subspan(first, n));
        if (Status s = cradleStatus(cradleCall(calls.DownloadCradleParameter, record.data()), "reading parameters"); !s.ok()) return s;
        // The reply answers the numbers in the order asked.
        const auto entries = parameter_record::decode(record.data(), record.size());
        for (size_t i = 0; i < n && i < entries.size(); ++i) values[first + i] = entries[i].value;
    }
    return {};
}

Status writeParameters(const CradleCalls& calls, const std::vector<int>& numbers, const std::vector<uint16_t>& values) {
    const std::vector<int> wide(values.begin(), values.end());
    for (size_t first = 0; first < numbers.size(); first += CRADLE_PARAM_MAX_COUNT) {
        const size_t n = std::min<size_t>(CRADLE_PARAM_MAX_COUNT, numbers.size() - first);
        parameter_record::Buffer record{};
        parameter_record::encode(record, std::span(numbers).subspan(first, n), std::span(wide).subspan(first, n));
        if (Status s = cradleStatus(cradleCall(calls.UploadCradleParameter, static_cast<const unsigned char*>(record.data())), "writing parameters");
            !s.ok())
            return s;
    }
    return {};
}

Status readAllParameters(const CradleCalls& calls, Parameters& values) {
    std::vector<int> numbers(kParameterCount);
    for (int i = 0; i < kParameterCount; ++i) numbers[size_t(i)] = i;
    std::vector<uint16_t> read;
    if (Status s = readParameters(calls, numbers, read); !s.ok()) return s;
    std::copy(read.begin(), read.end(), values.begin());
    return {};
}

Status readConfig(const CradleCalls& calls, ConfigRecord& record) {
    uint8_t buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    if (Status s = cradleStatus(cradleCall(calls.DownloadCradleConfig, buffer), "reading the configuration"); !s.ok()) return s;
    std::copy(buffer, buffer + CRADLE_CONFIG_RECORD_SIZE, record.begin());
    return {};
}

Status writeConfig(const CradleCalls& calls, const ConfigRecord& record) {
    uint8_t buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    std::copy(record.begin(), record.end(), buffer);
    return cradleStatus(cradleCall(calls.UploadCradleConfig, static_cast<const unsigned char*>(buffer)), "writing the configuration");
}

Status readBackup(const CradleCalls& calls, const std::string& port, Backup& backup) {
    backup.taken = std::time(nullptr);
    backup.port = port;
    if (Status s = readVersions(calls, backup.units); !s.ok()) return s;
    if (Status s = readAllParameters(calls, backup.parameters); !s.ok()) return s;
    return readConfig(calls, backup.config);
}

}  // namespace procedures
