// What the soak driver holds each export to: its worst-case duration and the results it may give.
// Budgets follow the exchange rules: sends 200 ms apart, a reply window of ten 200 ms looks,
// firmware blocks paced in 80-byte pieces 50 ms apart.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <span>
#include <string_view>

#include "Cradle.h"

namespace soak {

using Ms = std::chrono::milliseconds;

struct ExportSpec {
    std::string_view name;
    Ms budget;
    std::span<const int> results;
};

namespace budget {
constexpr Ms kGap{200};
constexpr Ms kReplyWindow = 10 * kGap;
constexpr Ms kPieceGap{50};
constexpr int kAttempts = 10;
constexpr int kAttemptsLong = 11;
constexpr int kFirmRequestSends = 21;
constexpr size_t kBlockBytes = 256;
constexpr int kPiecePausesPerBlock = 3;
constexpr int kConfigItems = 7;
constexpr Ms kSaveConfirmation{1200};
constexpr std::array<int, 6> kCalibrationLooks = {0, 50, 50, 50, 175, 50};
constexpr Ms kImmediate{0};

constexpr Ms send(int attempts, Ms perAttempt = Ms{0}) { return (attempts - 1) * kGap + attempts * perAttempt; }
constexpr Ms exchange(int attempts) { return send(attempts) + kReplyWindow; }
}  // namespace budget

namespace results {
constexpr int kOpenClose[] = {0, 1};
// none; the port missing at an open, or pulled out between its open and its settings; removed
constexpr int kLastError[] = {
    CRADLE_SERIAL_OK, CRADLE_SERIAL_OPEN_FAILED, CRADLE_SERIAL_SETTINGS_FAILED, CRADLE_SERIAL_PORT_REMOVED};
constexpr int kAlwaysOne[] = {1};
constexpr int kVersion[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_E_NOT_STARTED};
constexpr int kFirmRequest[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_E_FIRM_REFUSED_FE,
    CRADLE_E_FIRM_REFUSED_FF, CRADLE_E_NOT_STARTED};
constexpr int kFirmWrite[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_E_REFUSED,
    CRADLE_E_BLOCK_REFUSED_FD, CRADLE_E_NOT_STARTED};
constexpr int kParameters[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_PARAM_REFUSED_FD, CRADLE_E_NULL_ARGUMENT,
    CRADLE_E_REFUSED, CRADLE_E_NOT_STARTED};
constexpr int kConfigUpload[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_STATUS_ERROR,
    CRADLE_E_NOT_STARTED};
constexpr int kConfigDownload[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_E_NOT_STARTED};
// 4: a type outside the table
constexpr int kCalibration[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_E_NULL_ARGUMENT, CRADLE_STATUS_DONE,
    CRADLE_STATUS_ACCEPTED, CRADLE_STATUS_ERROR, CRADLE_E_NO_RECORD, CRADLE_E_NOT_STARTED};
constexpr int kStartStop[] = {
    CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_STATUS_DONE, CRADLE_STATUS_ACCEPTED, CRADLE_STATUS_ERROR,
    CRADLE_E_NOT_STARTED};
constexpr int kMechanism[] = {
    CRADLE_OK, CRADLE_E_NOT_SENT, CRADLE_E_NO_REPLY, CRADLE_STATUS_ERROR, CRADLE_E_NOT_STARTED};
constexpr int kTelemetry[] = {CRADLE_OK, CRADLE_E_NULL_ARGUMENT, CRADLE_E_NO_RECORD};
}  // namespace results

inline ExportSpec openSpec(std::string_view name) { return {name, budget::kImmediate, results::kOpenClose}; }
inline ExportSpec closeSpec() { return {"CSerialClosePort", budget::kImmediate, results::kOpenClose}; }
inline ExportSpec lastErrorSpec() { return {"GetSerialLastError", budget::kImmediate, results::kLastError}; }
inline ExportSpec runtimeLogSpec() { return {"CRuntimeLog", budget::kImmediate, results::kAlwaysOne}; }
inline ExportSpec versionSpec() {
    return {"UnitVersionInfo", budget::exchange(budget::kAttemptsLong), results::kVersion};
}
inline ExportSpec firmRequestSpec() {
    // Every send may need all its attempts, and each is followed by a 200 ms look.
    return {"UpdateFirmRequest", budget::kFirmRequestSends * (budget::send(budget::kAttemptsLong) + budget::kGap),
            results::kFirmRequest};
}
inline ExportSpec firmWriteSpec(size_t imageBytes) {
    const size_t blocks = (imageBytes + budget::kBlockBytes - 1) / budget::kBlockBytes;
    const Ms perFrame =
        budget::send(budget::kAttemptsLong, budget::kPiecePausesPerBlock * budget::kPieceGap) + budget::kReplyWindow;
    return {"WriteFirm", Ms{int64_t(blocks + 1) * perFrame.count()}, results::kFirmWrite};
}
inline ExportSpec startAppSpec() { return {"SendStartFsApp", budget::kImmediate, results::kOpenClose}; }
inline ExportSpec paramUploadSpec() {
    // Up to 17 parameters fit one page; the closing write follows it.
    return {"UploadCradleParameter", 2 * budget::exchange(budget::kAttempts), results::kParameters};
}
inline ExportSpec paramDownloadSpec() {
    return {"DownloadCradleParameter", budget::exchange(budget::kAttempts), results::kParameters};
}
inline ExportSpec configUploadSpec() {
    return {"UploadCradleConfig",
            budget::kConfigItems * budget::exchange(budget::kAttempts) + budget::send(budget::kAttemptsLong) +
                budget::kSaveConfirmation,
            results::kConfigUpload};
}
inline ExportSpec configDownloadSpec() {
    return {"DownloadCradleConfig", budget::kConfigItems * budget::exchange(budget::kAttempts),
            results::kConfigDownload};
}
inline ExportSpec calibrationSpec(int type) {
    // A type outside the table is refused at once; it watches for no looks.
    const bool known = type >= 0 && size_t(type) < budget::kCalibrationLooks.size();
    const int looks = known ? budget::kCalibrationLooks[size_t(type)] : 0;
    return {"CradleCalibration", budget::exchange(budget::kAttemptsLong) + looks * budget::kGap, results::kCalibration};
}
inline ExportSpec startSpec() { return {"CradleStart", budget::exchange(budget::kAttemptsLong), results::kStartStop}; }
inline ExportSpec stopSpec() { return {"CradleStop", budget::exchange(budget::kAttemptsLong), results::kStartStop}; }
inline ExportSpec mechanismSpec() {
    return {"CradleUpdateMechanismFirm", budget::exchange(budget::kAttemptsLong), results::kMechanism};
}
inline ExportSpec telemetryASpec() { return {"GetLogCradleDataA", budget::kImmediate, results::kTelemetry}; }
inline ExportSpec telemetryBSpec() { return {"GetLogCradleDataB", budget::kImmediate, results::kTelemetry}; }

}  // namespace soak
