#include "upgrade.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "CradleCalls.h"
#include "exit_codes.h"
#include "sampled_run.h"

namespace procedures {
namespace {

using Clock = std::chrono::steady_clock;
using State = UnitOutcome::State;

bool newer(uint8_t major, uint8_t minor, const UnitVersion& than) {
    return major != than.major ? major > than.major : minor > than.minor;
}

std::string versionsText(const std::vector<UnitVersion>& units) {
    std::string text;
    for (const UnitVersion& u : units) text += (text.empty() ? "" : ", ") + u.name() + " " + u.version();
    return text.empty() ? "no units" : text;
}

bool portRemoved() { return cradleCall(cradleCalls().GetSerialLastError) == CRADLE_SERIAL_PORT_REMOVED; }

void wait(const UpgradeHooks& hooks, std::chrono::milliseconds duration) {
    if (duration.count() <= 0) return;
    if (hooks.sleep) hooks.sleep(duration);
    else std::this_thread::sleep_for(duration);
}

bool stopRequested(const UpgradeHooks& hooks) { return hooks.stop && hooks.stop->requested(); }

// Hands the image to the library; with a progress hook the caller samples the percentage meanwhile.
int writeImage(const UpgradeItem& item, size_t index, const std::vector<uint8_t>& image, const UpgradeHooks& hooks,
               const UpgradeTiming& timing) {
    const int unit = item.unit;
    unsigned char ownByte = 0;
    unsigned char* percent = hooks.progressByte ? hooks.progressByte : &ownByte;
    auto write = [&] {
        return cradleCall(cradleCalls().WriteFirm, static_cast<const int*>(&unit), image.data(), unsigned(image.size()), percent);
    };
    if (!hooks.progress) return write();
    // The library writes the byte on the writer thread; a stale read shows an older percentage.
    return runSampled(write, timing.progressInterval,
                      [&] { hooks.progress(index, std::atomic_ref<unsigned char>(*percent).load(std::memory_order_relaxed)); });
}

// After the start command: waits for the gimbal to answer again and checks each written unit's version.
void verify(const std::vector<UpgradeItem>& items, UpgradeResult& result, const UpgradeHooks& hooks, const UpgradeTiming& timing) {
    wait(hooks, timing.rebootSettle);
    const auto deadline = Clock::now() + timing.rebootWait;
    uint8_t record[CRADLE_VERSION_BUFFER_SIZE] = {};
    int rc = CRADLE_E_NO_REPLY;
    for (;;) {
        rc = cradleCall(cradleCalls().UnitVersionInfo, record);
        if (rc == CRADLE_OK || Clock::now() >= deadline || stopRequested(hooks)) break;
        if (portRemoved()) {
            result.end = UpgradeResult::End::PortRemoved;
            result.failedItem = items.size();
            break;
        }
        wait(hooks, timing.rebootRetry);
    }
    if (rc != CRADLE_OK && stopRequested(hooks)) result.end = UpgradeResult::End::Stopped;
    const std::vector<UnitVersion> reported =
        rc == CRADLE_OK ? decodeVersionReport(record, CRADLE_VERSION_RECORD_SIZE) : std::vector<UnitVersion>{};
    for (size_t i = 0; i < items.size(); ++i) {
        UnitOutcome& outcome = result.units[i];
        if (outcome.state != State::Written) continue;
        if (rc != CRADLE_OK) {
            if (!stopRequested(hooks)) {
                outcome.state = State::NotVerified;
                outcome.cradleResult = rc;
            }
            continue;
        }
        const auto unit = std::find_if(reported.begin(), reported.end(), [&](const UnitVersion& u) { return u.id == items[i].unit; });
        if (unit == reported.end()) {
            outcome.state = State::VersionMismatch;
            outcome.reportedMissing = true;
        } else {
            outcome.reported = *unit;
            const bool same = unit->major == items[i].major && unit->minor == items[i].minor;
            outcome.state = same ? State::Verified : State::VersionMismatch;
        }
    }
}

}  // namespace

bool UpgradeResult::anyWritten() const {
    return std::any_of(units.begin(), units.end(), [](const UnitOutcome& u) { return u.written(); });
}

bool UpgradeResult::anyFailed() const {
    return std::any_of(units.begin(), units.end(), [](const UnitOutcome& u) {
        return u.state == State::RequestFailed || u.state == State::WriteFailed || u.state == State::EmptyImage ||
               u.state == State::VersionMismatch || u.state == State::NotVerified;
    });
}

Status planUpgrade(const std::string& packagePath, const FirmwarePackage& package, const std::vector<UnitVersion>& gimbal,
                   const PlanOptions& options, UpgradePlan& plan) {
    plan = {};
    for (uint8_t wanted : options.onlyUnits)
        if (std::none_of(package.entries.begin(), package.entries.end(), [&](const PackageEntry& e) { return e.unit == wanted; }))
            return {kExitBadFile, packagePath + ": holds no image for " + unitName(wanted)};

    bool anyImage = false;
    for (const UnitVersion& unit : gimbal) {
        if (!options.onlyUnits.empty() && std::find(options.onlyUnits.begin(), options.onlyUnits.end(), unit.id) == options.onlyUnits.end())
            continue;
        const PackageEntry* image = nullptr;
        for (const PackageEntry& e : package.entries) {
            if (e.unit != unit.id) continue;
            if (image) return {kExitBadFile, packagePath + ": holds two images for " + unit.name() + " (" + image->version() + " and " + e.version() + "); which one is meant is unknown"};
            image = &e;
        }
        if (!image) continue;
        anyImage = true;
        UpgradeItem item{unit.id, packagePath, image->imageStart, image->length, image->major, image->minor, unit.version()};
        if (newer(unit.major, unit.minor, UnitVersion{0, 0, image->major, image->minor}) && !options.allowDowngrade)
            return {kExitBadFile, packagePath + ": " + unit.name() + " " + unit.version() + " -> " + item.version() + " is a downgrade (--allow-downgrade writes it)"};
        const bool current = unit.major == image->major && unit.minor == image->minor;
        (current && !options.all ? plan.current : plan.write).push_back(item);
    }
    if (!anyImage) return {kExitBadFile, packagePath + ": no image for any unit of this gimbal (" + versionsText(gimbal) + ")"};
    return {};
}

UpgradeResult runUpgrade(const std::vector<UpgradeItem>& items, const UpgradeHooks& hooks, const UpgradeTiming& timing) {
    UpgradeResult result;
    result.units.resize(items.size());
    // Records a failed call; true when the port vanished with it, which ends the run.
    auto failed = [&](size_t i, State state, int rc) {
        result.units[i].state = state;
        result.units[i].cradleResult = rc;
        if (!portRemoved()) return false;
        result.end = UpgradeResult::End::PortRemoved;
        result.failedItem = i;
        return true;
    };
    for (size_t i = 0; i < items.size(); ++i) {
        if (stopRequested(hooks)) {
            result.end = UpgradeResult::End::Stopped;
            break;
        }
        const UpgradeItem& item = items[i];
        UnitOutcome& outcome = result.units[i];
        const int unit = item.unit;
        if (hooks.requesting) hooks.requesting(i);
        const int request = cradleCall(cradleCalls().UpdateFirmRequest, static_cast<const int*>(&unit));
        if (request != CRADLE_OK) {
            if (failed(i, State::RequestFailed, request)) return result;
            continue;
        }
        std::vector<uint8_t> image;
        if (!readImage(item.packagePath, item.imageStart, item.length, image)) {
            result.end = UpgradeResult::End::ImageUnreadable;
            result.failedItem = i;
            return result;
        }
        if (image.empty()) {
            // The library's progress divides by the block count: an empty image never reaches it.
            outcome.state = State::EmptyImage;
            if (hooks.emptyImage) hooks.emptyImage(i);
            continue;
        }
        if (hooks.writing) hooks.writing(i);
        const int rc = writeImage(item, i, image, hooks, timing);
        if (rc != CRADLE_OK) {
            if (failed(i, State::WriteFailed, rc)) return result;
            continue;
        }
        outcome.state = State::Written;
        if (hooks.written) hooks.written(i);
        wait(hooks, timing.pauseAfterWrite);
    }
    if (!result.anyWritten()) return result;
    // Even after a stop the written units are started, so the gimbal does not stay in its loader.
    cradleCall(cradleCalls().SendStartFsApp);
    result.started = true;
    if (result.end == UpgradeResult::End::Stopped) {
        // No check, but the port stays open long enough for the start command to leave the host: a
        // close, or the next open's flush, may drop bytes the gimbal has not read yet.
        wait(hooks, timing.rebootSettle);
        return result;
    }
    if (hooks.verifying) hooks.verifying();
    verify(items, result, hooks, timing);
    return result;
}

}  // namespace procedures
