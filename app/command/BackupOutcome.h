#ifndef BACKUPOUTCOME_H
#define BACKUPOUTCOME_H

#include <QByteArray>

// The appendData of a failed backup or restore result: one byte saying what failed, so the page can
// tell the technician whether the file, the gimbal or the read-back is at fault. errorInfo says why.
namespace BackupOutcome {
enum Failure : char {
    kFileUnusable = 1,   // corrupt, foreign or unreadable backup: nothing was written
    kGimbalFailed = 2,   // a library call failed; errorCode holds its result
    kReadBackDiffers = 3, // written, but the gimbal reads back other values
    kFileNotWritten = 4, // the backup file could not be saved
};

inline QByteArray failure(Failure what)
{
    return QByteArray(1, char(what));
}
} // namespace BackupOutcome

#endif // BACKUPOUTCOME_H
