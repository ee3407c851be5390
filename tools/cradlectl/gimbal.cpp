#include "gimbal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "backup.h"
#include "exit_codes.h"

namespace cradlectl {
namespace {

std::string devicePath(const std::string& port) {
    return port.find('/') == std::string::npos ? "/dev/" + port : port;
}

}  // namespace

Status fromCradleResult(int result, const std::string& operation) {
    switch (result) {
    case CRADLE_OK: return {};
    case CRADLE_E_NOT_SENT: return {kExitFailure, operation + ": nothing could be sent on the port (unplugged?)"};
    case CRADLE_E_NO_REPLY:
    case CRADLE_E_NO_RECORD: return {kExitNoAnswer, operation + ": no answer from the gimbal"};
    case CRADLE_E_PARAM_REFUSED_FD:
    case CRADLE_E_BLOCK_REFUSED_FD: return {kExitRefused, operation + ": refused by the gimbal (0xFD)"};
    case CRADLE_E_FIRM_REFUSED_FE: return {kExitRefused, operation + ": refused by the gimbal (0xFE)"};
    case CRADLE_E_FIRM_REFUSED_FF: return {kExitRefused, operation + ": refused by the gimbal (0xFF)"};
    case CRADLE_E_REFUSED: return {kExitRefused, operation + ": refused by the gimbal"};
    case CRADLE_STATUS_ERROR: return {kExitRefused, operation + ": the gimbal reported an error"};
    case CRADLE_E_NOT_STARTED: return {kExitFailure, operation + ": the port is not open"};
    default: return {kExitFailure, operation + ": failed (library result " + std::to_string(result) + ")"};
    }
}

Gimbal::~Gimbal() {
    if (open_) CSerialClosePort();
}

bool Gimbal::portPresent() const {
    struct stat st{};
    return stat(devicePath(port_).c_str(), &st) == 0;
}

Status Gimbal::open(const std::string& port) {
    port_ = port;
    const std::string path = devicePath(port);
    // The library only says "open failed"; the technician needs to know whether the port is missing or
    // forbidden, so look before opening.
    struct stat st{};
    if (stat(path.c_str(), &st) != 0)
        return {kExitPortNotFound, port + ": no such port"};
    if (access(path.c_str(), R_OK | W_OK) != 0) {
        if (errno == EACCES || errno == EPERM)
            return {kExitPermission, port + ": permission denied (is the udev rule installed, or are you in the dialout group?)"};
        return {kExitFailure, port + ": " + std::strerror(errno)};
    }
    if (CSerialOpenPort(port.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS) == 1) {
        open_ = true;
        return {};
    }
    const int error = GetSerialLastError();
    CSerialClosePort();
    switch (error) {
    case CRADLE_SERIAL_IN_USE: return {kExitFailure, port + ": the port is in use"};
    case CRADLE_SERIAL_SETTINGS_FAILED: return {kExitFailure, port + ": the line settings were refused (not a serial port?)"};
    default: return {kExitFailure, port + ": the port could not be opened"};
    }
}

Status Gimbal::versions(std::vector<UnitVersion>& units) {
    uint8_t record[CRADLE_VERSION_BUFFER_SIZE] = {};
    if (Status s = fromCradleResult(UnitVersionInfo(record), port_ + ": reading the versions"); !s.ok()) return s;
    units = decodeVersionReport(record, CRADLE_VERSION_RECORD_SIZE);
    return {};
}

Status Gimbal::readParameters(const std::vector<uint8_t>& numbers, std::vector<uint16_t>& values) {
    values.assign(numbers.size(), 0);
    for (size_t first = 0; first < numbers.size(); first += CRADLE_PARAM_MAX_COUNT) {
        const size_t n = std::min<size_t>(CRADLE_PARAM_MAX_COUNT, numbers.size() - first);
        uint8_t record[CRADLE_PARAM_RECORD_SIZE] = {};
        record[CRADLE_PARAM_COUNT_OFFSET] = uint8_t(n);
        for (size_t i = 0; i < n; ++i) record[CRADLE_PARAM_NUMBERS_OFFSET + i] = numbers[first + i];
        if (Status s = fromCradleResult(DownloadCradleParameter(record), port_ + ": reading parameters"); !s.ok()) return s;
        for (size_t i = 0; i < n; ++i)
            values[first + i] = uint16_t(record[CRADLE_PARAM_VALUES_OFFSET + 2 * i] | record[CRADLE_PARAM_VALUES_OFFSET + 2 * i + 1] << 8);
    }
    return {};
}

Status Gimbal::writeParameters(const std::vector<uint8_t>& numbers, const std::vector<uint16_t>& values) {
    for (size_t first = 0; first < numbers.size(); first += CRADLE_PARAM_MAX_COUNT) {
        const size_t n = std::min<size_t>(CRADLE_PARAM_MAX_COUNT, numbers.size() - first);
        uint8_t record[CRADLE_PARAM_RECORD_SIZE] = {};
        record[CRADLE_PARAM_COUNT_OFFSET] = uint8_t(n);
        for (size_t i = 0; i < n; ++i) {
            record[CRADLE_PARAM_NUMBERS_OFFSET + i] = numbers[first + i];
            record[CRADLE_PARAM_VALUES_OFFSET + 2 * i] = uint8_t(values[first + i]);
            record[CRADLE_PARAM_VALUES_OFFSET + 2 * i + 1] = uint8_t(values[first + i] >> 8);
        }
        if (Status s = fromCradleResult(UploadCradleParameter(record), port_ + ": writing parameters"); !s.ok()) return s;
    }
    return {};
}

Status Gimbal::readAllParameters(Parameters& values) {
    std::vector<uint8_t> numbers(kParameterCount);
    for (int i = 0; i < kParameterCount; ++i) numbers[i] = uint8_t(i);
    std::vector<uint16_t> read;
    if (Status s = readParameters(numbers, read); !s.ok()) return s;
    std::copy(read.begin(), read.end(), values.begin());
    return {};
}

Status Gimbal::writeAllParameters(const Parameters& values) {
    std::vector<uint8_t> numbers(kParameterCount);
    for (int i = 0; i < kParameterCount; ++i) numbers[i] = uint8_t(i);
    return writeParameters(numbers, std::vector<uint16_t>(values.begin(), values.end()));
}

Status Gimbal::readConfig(ConfigRecord& record) {
    uint8_t buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    if (Status s = fromCradleResult(DownloadCradleConfig(buffer), port_ + ": reading the configuration"); !s.ok()) return s;
    std::copy(buffer, buffer + CRADLE_CONFIG_RECORD_SIZE, record.begin());
    return {};
}

Status Gimbal::writeConfig(const ConfigRecord& record) {
    uint8_t buffer[CRADLE_CONFIG_BUFFER_SIZE] = {};
    std::copy(record.begin(), record.end(), buffer);
    return fromCradleResult(UploadCradleConfig(buffer), port_ + ": writing the configuration");
}

Status readBackup(Gimbal& gimbal, Backup& backup) {
    backup.taken = std::time(nullptr);
    backup.port = gimbal.port();
    if (Status s = gimbal.versions(backup.units); !s.ok()) return s;
    if (Status s = gimbal.readAllParameters(backup.parameters); !s.ok()) return s;
    return gimbal.readConfig(backup.config);
}

}  // namespace cradlectl
