#include "FirmwarePackage.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 kPackageMagic = 0x00ABCDEF;
constexpr qint8 kFirstMarker = 0x00;
constexpr qint8 kSecondMarker = 0x02;
constexpr qint8 kThirdMarker = 0x01;
constexpr qint64 kFileHeaderBytes = 16;
constexpr int kLengthOffset = 12;
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
    if (stream.status() != QDataStream::Ok || magic != kPackageMagic)
        return package;

    qint8 marker0 = 0, marker1 = 0, count = 0, marker2 = 0;
    stream >> marker0 >> marker1 >> count >> marker2;
    int entryCount = 0;
    package.verdict = FirmwarePackage::Rejected;
    if (stream.status() == QDataStream::Ok && marker0 == kFirstMarker && marker1 == kSecondMarker
        && marker2 == kThirdMarker) {
        quint64 mask = 0;
        stream >> mask;
        if (stream.status() == QDataStream::Ok && fitsGimbal(mask, cameraModuleCode)) {
            package.verdict = FirmwarePackage::Accepted;
            entryCount = static_cast<quint8>(count);
        }
    }

    const qint64 fileSize = device.size();
    if (!device.seek(kFileHeaderBytes))
        return package;
    for (int i = 0; i < entryCount; ++i) {
        FirmwarePackageEntry entry;
        const qint64 got = device.read(reinterpret_cast<char*>(entry.header.data()), ORVFirmware::kImageHeaderBytes);
        const quint32 length = qFromBigEndian<quint32>(entry.header.data() + kLengthOffset);
        std::memcpy(entry.header.data() + kLengthOffset, &length, sizeof length);
        entry.unitId = entry.header[0];
        entry.version = QStringLiteral("%1.%2").arg(entry.header[1]).arg(entry.header[2]);
        entry.imageStart = device.pos();
        entry.complete = got == ORVFirmware::kImageHeaderBytes && length <= kMaxFirmwareImageBytes
                         && fileSize - entry.imageStart >= qint64(length);
        package.entries.append(entry);
        if (!device.seek(entry.imageStart + qint64(length)))
            break;
    }
    return package;
}
