// cradlectl's exit codes, one per failure class, so scripts can tell what went wrong.
#pragma once

namespace procedures {

enum ExitCode {
    kExitOk = 0,
    kExitFailure = 1,          // anything not classed below (port in use, line lost, file not writable)
    kExitUsage = 2,            // bad command line
    kExitPortNotFound = 3,     // no such port
    kExitPermission = 4,       // the port exists but may not be opened
    kExitNoAnswer = 5,         // the gimbal did not answer in time
    kExitRefused = 6,          // the gimbal answered with a refusal or an error status
    kExitVerifyFailed = 7,     // read back differs from what was written; diff: the sides differ
    kExitPartial = 8,          // some units or ports succeeded, others failed
    kExitBadFile = 9,          // a backup or package that is corrupt, foreign or unfit for this gimbal
    kExitInterrupted = 130     // stopped by SIGINT/SIGTERM between two writes (the shell's 128 + SIGINT)
};

// The class name a JSON result and an outcome line carry beside the number.
inline const char* exitCodeName(int code) {
    switch (code) {
    case kExitOk: return "ok";
    case kExitUsage: return "usage";
    case kExitPortNotFound: return "port not found";
    case kExitPermission: return "permission denied";
    case kExitNoAnswer: return "no answer";
    case kExitRefused: return "refused";
    case kExitVerifyFailed: return "verification failed";
    case kExitPartial: return "partial success";
    case kExitBadFile: return "bad file";
    case kExitInterrupted: return "interrupted";
    default: return "failed";
    }
}

}  // namespace procedures
