// The Win32 backend's reading of the system's error codes, fed faked errors: what a failed open
// reports, what the watchdog takes for a vanished port, and which read failures mean removal.
#include <gtest/gtest.h>

#include "win32_errors.h"

using namespace cradle::platform;

namespace {

struct Case {
    unsigned long error;
    OpenStatus open;  // a CreateFileA failing with it
    bool missing;     // the watchdog's probe failing with it
    bool removal;     // a read or ClearCommError failing with it
};

constexpr Case kCases[] = {
    {2, OpenStatus::OpenFailed, true, false},     // file not found: no such port
    {3, OpenStatus::OpenFailed, true, false},     // path not found
    {5, OpenStatus::InUse, false, false},         // access denied: another program holds it
    {32, OpenStatus::InUse, false, false},        // sharing violation
    {6, OpenStatus::OpenFailed, false, true},     // invalid handle
    {22, OpenStatus::OpenFailed, false, true},    // bad command: the driver lost its device
    {995, OpenStatus::OpenFailed, false, true},   // operation aborted
    {1617, OpenStatus::OpenFailed, false, true},  // device removed
    {109, OpenStatus::OpenFailed, false, true},   // broken pipe: the far end closed (Wine)
    {21, OpenStatus::OpenFailed, false, true},    // not ready: the far end closed (Wine)
    {0, OpenStatus::OpenFailed, false, false},
    {31, OpenStatus::OpenFailed, false, false},   // general failure: a passing line fault
    {1167, OpenStatus::OpenFailed, false, false},
    {87, OpenStatus::OpenFailed, false, false},   // invalid parameter
};

}  // namespace

TEST(Win32Errors, MappingTable) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(win32::openFailure(c.error), c.open);
        EXPECT_EQ(win32::portMissing(c.error), c.missing);
        EXPECT_EQ(win32::meansRemoval(c.error), c.removal);
    }
}
