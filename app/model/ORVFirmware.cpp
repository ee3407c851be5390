#include "ORVFirmware.h"

#include <cstring>

#include "units.h"

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
    return QString::fromStdString(procedures::unitName(unitId));
}
