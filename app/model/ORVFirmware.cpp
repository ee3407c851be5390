#include "ORVFirmware.h"

#include <cstring>

ORVFirmware::ORVFirmware(quint8 unitId, quint8 hardwareVersion, const QString& appVersion)
    : unitId(unitId), hardwareVersion(hardwareVersion), appVersion(appVersion), fileAppVersion(QStringLiteral("--")),
      upgradeStatus(0), wantUpdate(false), imageStart(0), imageHeader{}
{
}

quint32 ORVFirmware::imageLength() const
{
    quint32 length = 0;
    std::memcpy(&length, imageHeader.data() + firmware_package::kEntryLengthOffset, sizeof length);
    return length;
}

QString ORVFirmware::unitName() const
{
    return unitName(unitId);
}

QString ORVFirmware::unitName(quint8 unitId)
{
    switch (unitId) {
    case 1: return QStringLiteral("IFB");
    case 2: return QStringLiteral("MX");
    case 4: return QStringLiteral("MY");
    case 8: return QStringLiteral("MZ");
    default: return QStringLiteral("UNKNOWN:%1").arg(unitId);
    }
}
