#include "export_driver.h"

#include <algorithm>
#include <functional>
#include <thread>

#include "Cradle.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kSlack = 3000ms;  // a loaded two-core machine, not a fault
constexpr int kGimbalParameters = 21;
constexpr int kCalibrationTypes = 6;
constexpr int kFirmwareUnits[] = {1, 2, 4, 8};
constexpr size_t kMaxImageBytes = 2048;
constexpr uint64_t kFirmwareEvery = 3;  // rounds
constexpr uint64_t kRefusalsEvery = 5;
constexpr uint64_t kReconnectEvery = 7;
constexpr int kOutOfRangeCalibration = 6;
constexpr auto kReopenPause = 500ms;  // a user trying again, not a loop hammering a missing port

}  // namespace

ExportDriver::ExportDriver(std::string portPath, std::string logPath, HangWatch& watch, ProcessHealth& health,
                           uint32_t seed)
    : portPath_(std::move(portPath)), logPath_(std::move(logPath)), watch_(watch), health_(health), random_(seed) {}

template <typename Call>
int ExportDriver::call(const ExportSpec& exportInfo, Call&& exportCall) {
    watch_.begin(std::string(exportInfo.name), exportInfo.budget, kSlack);
    const int code = exportCall();
    watch_.end();
    tally_.add(exportInfo, code);
    return code;
}

bool ExportDriver::open(bool withLog) {
    withLog_ = withLog;
    if (withLog) {
        health_.setLogOpen(true);  // before the descriptor exists, so no sample misses it
        open_ = call(openSpec("CSerialOpenPortWithLog"), [&] {
                    return CSerialOpenPortWithLog(portPath_.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY,
                                                  CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS, logPath_.c_str());
                }) == 1;
        if (!open_) health_.setLogOpen(false);
    } else {
        open_ = call(openSpec("CSerialOpenPort"), [&] {
                    return CSerialOpenPort(portPath_.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY,
                                           CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS);
                }) == 1;
    }
    if (open_)
        firstFailedOpen_ = {};
    else if (firstFailedOpen_ == std::chrono::steady_clock::time_point{})
        firstFailedOpen_ = std::chrono::steady_clock::now();
    return open_;
}

bool ExportDriver::connect() { return open(false); }

std::chrono::steady_clock::duration ExportDriver::closedFor() const {
    if (open_ || firstFailedOpen_ == std::chrono::steady_clock::time_point{}) return {};
    return std::chrono::steady_clock::now() - firstFailedOpen_;
}

void ExportDriver::disconnect() {
    call(closeSpec(), [] { return CSerialClosePort(); });
    health_.setLogOpen(false);
    open_ = false;
}

void ExportDriver::reconnect() {
    disconnect();
    open(!withLog_);
}

void ExportDriver::lastErrorAndLog() {
    call(lastErrorSpec(), [] { return GetSerialLastError(); });
    call(runtimeLogSpec(), [] { return CRuntimeLog(); });
}

void ExportDriver::version() {
    unsigned char record[CRADLE_VERSION_BUFFER_SIZE];
    call(versionSpec(), [&] { return UnitVersionInfo(record); });
}

void ExportDriver::parameters() {
    unsigned char record[CRADLE_PARAM_RECORD_SIZE] = {};
    record[CRADLE_PARAM_COUNT_OFFSET] = uint8_t(random_() % (CRADLE_PARAM_MAX_COUNT + 1));
    for (size_t i = 0; i < record[CRADLE_PARAM_COUNT_OFFSET]; ++i) {
        record[CRADLE_PARAM_NUMBERS_OFFSET + i] = uint8_t(random_() % kGimbalParameters);
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * i] = uint8_t(random_());
        record[CRADLE_PARAM_VALUES_OFFSET + 2 * i + 1] = uint8_t(random_());
    }
    call(paramUploadSpec(), [&] { return UploadCradleParameter(record); });
    call(paramDownloadSpec(), [&] { return DownloadCradleParameter(record); });
}

void ExportDriver::configuration() {
    unsigned char record[CRADLE_CONFIG_BUFFER_SIZE] = {};
    call(configDownloadSpec(), [&] { return DownloadCradleConfig(record); });
    record[random_() % CRADLE_CONFIG_BUFFER_SIZE] ^= uint8_t(random_());
    call(configUploadSpec(), [&] { return UploadCradleConfig(record); });
}

void ExportDriver::control() {
    call(startSpec(), [] { return CradleStart(); });
    call(stopSpec(), [] { return CradleStop(); });
    const int type = int(random_() % kCalibrationTypes);
    call(calibrationSpec(type), [&] { return CradleCalibration(type); });
    call(mechanismSpec(), [] { return CradleUpdateMechanismFirm(); });
}

void ExportDriver::telemetry() {
    unsigned char record[CRADLE_TELEMETRY_B_BUFFER_SIZE];
    call(telemetryASpec(), [&] { return GetLogCradleDataA(record); });
    call(telemetryBSpec(), [&] { return GetLogCradleDataB(record); });
}

void ExportDriver::firmware() {
    const int unit = kFirmwareUnits[random_() % std::size(kFirmwareUnits)];
    std::vector<unsigned char> image(1 + random_() % kMaxImageBytes);
    for (auto& byte : image) byte = uint8_t(random_());
    unsigned char progress = 0;
    call(firmRequestSpec(), [&] { return UpdateFirmRequest(&unit); });
    call(firmWriteSpec(image.size()),
         [&] { return WriteFirm(&unit, image.data(), unsigned(image.size()), &progress); });
    call(startAppSpec(), [] { return SendStartFsApp(); });
}

// Arguments the library must turn away with 4 before anything reaches the line.
void ExportDriver::refusedArguments() {
    const int unit = kFirmwareUnits[0];
    call(versionSpec(), [] { return UnitVersionInfo(nullptr); });
    call(firmRequestSpec(), [] { return UpdateFirmRequest(nullptr); });
    call(firmWriteSpec(0), [&] { return WriteFirm(&unit, nullptr, 0, nullptr); });
    call(paramUploadSpec(), [] { return UploadCradleParameter(nullptr); });
    call(paramDownloadSpec(), [] { return DownloadCradleParameter(nullptr); });
    call(configUploadSpec(), [] { return UploadCradleConfig(nullptr); });
    call(configDownloadSpec(), [] { return DownloadCradleConfig(nullptr); });
    call(calibrationSpec(kOutOfRangeCalibration), [] { return CradleCalibration(kOutOfRangeCalibration); });
    call(telemetryASpec(), [] { return GetLogCradleDataA(nullptr); });
}

void ExportDriver::round(std::chrono::steady_clock::time_point deadline) {
    ++rounds_;
    std::vector<std::function<void()>> steps = {
        [&] { if (!open_) open(withLog_); },
        [&] { lastErrorAndLog(); },
        [&] { version(); },
        [&] { parameters(); },
        [&] { configuration(); },
        [&] { control(); },
        [&] { telemetry(); },
    };
    if (rounds_ % kFirmwareEvery == 0) steps.push_back([&] { firmware(); });
    if (rounds_ % kRefusalsEvery == 0) steps.push_back([&] { refusedArguments(); });
    if (rounds_ % kReconnectEvery == 0) steps.push_back([&] { reconnect(); });
    for (const auto& step : steps) {
        if (std::chrono::steady_clock::now() >= deadline) return;
        step();
    }
    // With the port pulled out, the round ran on a closed library (every export gives 14 at once).
    if (!open_) std::this_thread::sleep_until(std::min(deadline, std::chrono::steady_clock::now() + kReopenPause));
}

}  // namespace soak
