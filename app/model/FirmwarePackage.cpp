#include "FirmwarePackage.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

#include "firmware_package_format.h"

namespace {

using namespace firmware_package;
constexpr int kMaskBits = 64;

bool fitsGimbal(quint64 mask, int cameraModuleCode)
{
    if (cameraModuleCode < 1 || cameraModuleCode > kMaskBits)
        return false;
    return (mask >> (cameraModuleCode - 1)) & 1U;
}

} // namespace

FirmwarePackage readFirmwarePackage(QIODevice& device, int cameraModuleCode)
{
    FirmwarePackage package;
    QDataStream stream(&device);
    stream.setByteOrder(QDataStream::BigEndian);

    quint32 magic = 0;
    stream >> magic;
    if (stream.status() != QDataStream::Ok || magic != kMagic)
        return package;

    qint8 marker0 = 0, marker1 = 0, count = 0, marker2 = 0;
    stream >> marker0 >> marker1 >> count >> marker2;
    int entryCount = 0;
    package.verdict = FirmwarePackage::Rejected;
    if (stream.status() == QDataStream::Ok && marker0 == kMarkerBeforeCount0 && marker1 == kMarkerBeforeCount1
        && marker2 == kMarkerAfterCount) {
        quint64 mask = 0;
        stream >> mask;
        if (stream.status() == QDataStream::Ok && fitsGimbal(mask, cameraModuleCode)) {
            package.verdict = FirmwarePackage::Accepted;
            entryCount = static_cast<quint8>(count);
        }
    }

    const qint64 fileSize = device.size();
    if (!device.seek(qint64(kHeaderBytes)))
        return package;
    for (int i = 0; i < entryCount; ++i) {
        FirmwarePackageEntry entry;
        const qint64 got = device.read(reinterpret_cast<char*>(entry.header.data()), ORVFirmware::kImageHeaderBytes);
        const quint32 length = qFromBigEndian<quint32>(entry.header.data() + kEntryLengthOffset);
        std::memcpy(entry.header.data() + kEntryLengthOffset, &length, sizeof length);
        entry.unitId = entry.header[0];
        entry.version = QStringLiteral("%1.%2").arg(entry.header[1]).arg(entry.header[2]);
        entry.imageStart = device.pos();
        entry.imageBytes = length;
        entry.tooLarge = length > kMaxImageBytes;
        entry.complete = got == ORVFirmware::kImageHeaderBytes && !entry.tooLarge
                         && fileSize - entry.imageStart >= qint64(length);
        package.entries.append(entry);
        if (!device.seek(entry.imageStart + qint64(length)))
            break;
    }
    return package;
}
