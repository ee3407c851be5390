// A firmware upgrade: which units get which image (the plan), and writing them (the run) — request,
// write with progress, a pause for the unit to commit, one start command, then a bounded wait for the
// gimbal to come back and a check that every written unit reports the package's version.
// The gimbal is reached only through the Cradle function table, so tests can script it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "firmware_package.h"
#include "stop_request.h"
#include "units.h"

namespace procedures {

// One unit's image as the run needs it: where it lies, and the version it must report afterwards.
struct UpgradeItem {
    uint8_t unit = 0;
    std::string packagePath;
    uint64_t imageStart = 0;
    uint32_t length = 0;
    uint8_t major = 0, minor = 0;
    std::string from;  // the version the unit ran before, for messages; may be empty

    std::string version() const { return std::to_string(major) + "." + std::to_string(minor); }
};

struct PlanOptions {
    std::vector<uint8_t> onlyUnits;  // empty: every unit of the gimbal the package has an image for
    bool all = false;                // also rewrite units already at the package's version
    bool allowDowngrade = false;
};

struct UpgradePlan {
    std::vector<UpgradeItem> write;    // in the gimbal's unit order
    std::vector<UpgradeItem> current;  // left out: already at the package's version
};

// The plan for this gimbal. Refuses (kExitBadFile) a package with two images for a unit it would write
// (which one was meant cannot be known), a downgrade unless allowed, and units in onlyUnits the package
// has no image for. The package must have been read whole (see packageRefusal).
Status planUpgrade(const std::string& packagePath, const FirmwarePackage& package, const std::vector<UnitVersion>& gimbal,
                   const PlanOptions& options, UpgradePlan& plan);

struct UnitOutcome {
    enum class State {
        NotReached,      // the run ended or was stopped before this unit
        RequestFailed,   // the unit did not accept the firmware request (cradleResult)
        EmptyImage,      // nothing to write; never handed to the library
        WriteFailed,     // the transfer failed (cradleResult)
        Written,         // written; not checked (no start command, or the run was stopped)
        Verified,        // reports the package's version after the reboot
        VersionMismatch, // reports another version after the reboot (reported), or none (reportedMissing)
        NotVerified,     // the gimbal did not answer the version query after the reboot (cradleResult)
    };
    State state = State::NotReached;
    int cradleResult = 0;
    UnitVersion reported{};
    bool reportedMissing = false;

    bool written() const { return state == State::Written || state == State::Verified || state == State::VersionMismatch || state == State::NotVerified; }
};

struct UpgradeResult {
    enum class End {
        Completed,        // every item was tried
        Stopped,          // a stop request ended it between units
        ImageUnreadable,  // the package no longer holds an image whole (failedItem); nothing more written
        PortRemoved,      // the port vanished (failedItem, or the wait after the reboot)
    };
    End end = End::Completed;
    size_t failedItem = 0;
    bool started = false;   // the start command was sent
    std::vector<UnitOutcome> units;  // one per item, in item order

    bool anyWritten() const;
    bool anyFailed() const;  // a unit tried and not written, or written and not proven
};

struct UpgradeTiming {
    // Gives the unit time to commit its image before the next request.
    std::chrono::milliseconds pauseAfterWrite{1000};
    // Before the first version query after the start command.
    std::chrono::milliseconds rebootSettle{1000};
    // How long the gimbal may take to answer again after the start command.
    std::chrono::milliseconds rebootWait{15000};
    // Between version queries that failed at once.
    std::chrono::milliseconds rebootRetry{500};
    // How often progress is sampled while a unit is written.
    std::chrono::milliseconds progressInterval{200};
};

struct UpgradeHooks {
    // Before the unit's firmware request.
    std::function<void(size_t item)> requesting;
    // Right before the unit's image is handed to the library (after its request was accepted).
    std::function<void(size_t item)> writing;
    // Sampled every progressInterval while the unit is written; when set, the write runs on a thread of
    // its own and this is called on the caller's.
    std::function<void(size_t item, int percent)> progress;
    // The unit's image was written (before the pause).
    std::function<void(size_t item)> written;
    // The unit's image is empty: it is skipped.
    std::function<void(size_t item)> emptyImage;
    // After the start command, before the wait for the gimbal to answer again.
    std::function<void()> verifying;
    // Where the library writes its percentage; the run's own byte when null.
    unsigned char* progressByte = nullptr;
    // Asked before each unit and between version queries; the unit in flight is always finished, since a
    // half-written image leaves the unit without firmware.
    const StopRequest* stop = nullptr;
    // Waits; tests replace it.
    std::function<void(std::chrono::milliseconds)> sleep;
};

UpgradeResult runUpgrade(const std::vector<UpgradeItem>& items, const UpgradeHooks& hooks, const UpgradeTiming& timing = {});

}  // namespace procedures
