#ifndef FIRMWAREPACKAGE_H
#define FIRMWAREPACKAGE_H

#include "ORVFirmware.h"

#include <QList>
#include <QString>

class QIODevice;

// One unit's image in a firmware package.
struct FirmwarePackageEntry {
    quint8 unitId = 0;
    QString version;                  // "major.minor"
    qint64 imageStart = 0;            // position of the first image byte in the file
    ORVFirmware::ImageHeader header{}; // the entry header, its length field in host byte order
    qint64 imageBytes = 0;            // the length the header claims
    bool tooLarge = false;            // more than one firmware transfer can carry
    bool complete = false;            // whole header present, not too large, and the image lies within the file
};

struct FirmwarePackage {
    enum Verdict {
        NotAPackage, // wrong magic or shorter than it: nothing to report
        Rejected,    // bad markers or not meant for this gimbal: no entries
        Accepted
    };
    Verdict verdict = NotAPackage;
    QList<FirmwarePackageEntry> entries;
};

// Reads a package (big-endian) from an open, seekable device. The package fits the gimbal when the
// bit for cameraModuleCode (1 to 64) is set in its compatibility mask.
FirmwarePackage readFirmwarePackage(QIODevice& device, int cameraModuleCode);

#endif // FIRMWAREPACKAGE_H
