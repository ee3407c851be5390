#ifndef ORVFIRMWARE_H
#define ORVFIRMWARE_H

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

#include "firmware_package_format.h"

// One firmware-carrying unit of the gimbal: what it runs, and which image of a loaded package
// the next upgrade would write to it.
class ORVFirmware
{
public:
    static constexpr int kImageHeaderBytes = int(firmware_package::kEntryHeaderBytes);
    using ImageHeader = std::array<quint8, kImageHeaderBytes>;

    ORVFirmware(quint8 unitId, quint8 hardwareVersion, const QString& appVersion);

    quint8 getUnitId() const { return unitId; }
    quint8 getHardwareVersion() const { return hardwareVersion; }
    QString getAppVersion() const { return appVersion; }
    QString getFileAppVersion() const { return fileAppVersion; }
    qint32 getUpgradeStatus() const { return upgradeStatus; }
    bool getWantUpdate() const { return wantUpdate; }
    QString getPackagePath() const { return packagePath; }
    qint64 getImageStart() const { return imageStart; }
    ImageHeader getImageHeader() const { return imageHeader; }
    // The image length kept in bytes 12 to 15 of the header, in host byte order.
    quint32 imageLength() const;

    void setAppVersion(const QString& value) { appVersion = value; }
    void setFileAppVersion(const QString& value) { fileAppVersion = value; }
    void setUpgradeStatus(qint32 value) { upgradeStatus = value; }
    void setWantUpdate(bool value) { wantUpdate = value; }
    void setPackagePath(const QString& value) { packagePath = value; }
    void setImageStart(qint64 value) { imageStart = value; }
    void setImageHeader(const ImageHeader& value) { imageHeader = value; }

    QString unitName() const;
    static QString unitName(quint8 unitId);

private:
    quint8 unitId;
    quint8 hardwareVersion;
    QString appVersion;
    QString fileAppVersion;
    qint32 upgradeStatus;
    bool wantUpdate;
    QString packagePath;
    qint64 imageStart;
    ImageHeader imageHeader;
};

#endif // ORVFIRMWARE_H
