#pragma once

#include <QObject>
#include <QString>

#include "ORVInteractiveCommandManager.h"

// The 38 control-loop tuning values: edited by the tuning page, sent to and read back from
// the gimbal, and kept in the user's PID files.
class PidTunning : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int p_defalutValue READ defalutValue NOTIFY sigDefalutValueChanged)
public:
    // The key names double as the PID file's INI keys.
    enum PidParameterIndex {
        DefKxId = 0,
        DefIxId,
        DefMaxXIdOut,
        DefKxIq,
        DefIxIq,
        DefMaxXIqOut,
        DefKxAspd,
        DefIxAspd,
        DefMaxXAspdOut,
        DefKaPhi,
        DefMinPhiRef,
        DefMaxPhiRef,
        DefKyId,
        DefIyId,
        DefMaxYIdOut,
        DefKyIq,
        DefIyIq,
        DefMaxYIqOut,
        DefKyAspd,
        DefIyAspd,
        DefMaxYAspdOut,
        DefKyPos,
        DefKzId,
        DefIzId,
        DefMaxZIdOut,
        DefKzIq,
        DefIzIq,
        DefMaxZIqOut,
        DefKzAspd,
        DefIzAspd,
        DefMaxZAspdOut,
        DefKzPos,
        DefKeTheta,
        DefMinThetaRef,
        DefMaxThetaRef,
        DefKrPsi,
        DefMinPsiRef,
        DefMaxPsiRef,
        DefUnKnow
    };
    Q_ENUM(PidParameterIndex)

    enum PidParameterSerial { X_AXIS = 0, Y_AXIS, Z_AXIS };
    Q_ENUM(PidParameterSerial)

    explicit PidTunning(QObject* parent = nullptr);

    int defalutValue() const;
    // INI key of a parameter, e.g. "DefKxId"; empty for anything but 0 to 37.
    static QString parameterKey(int index);

signals:
    void sigDefalutValueChanged();
    void sigTunningValueChanged();
    void sigDownloading();
    void sigDownloadSucceed();
    void sigDownloadFailed();
    void sigDownloadFinished();
    void sigUploading();
    void sigUploadSucceed();
    void sigUploadFailed();
    void sigUploadFinished();

public slots:
    void setTunningValue(PidParameterIndex index, int value);
    int getTunningValue(PidParameterIndex index);
    bool saveTunningValue(QString filePath);
    bool loadTunningValue(QString filePath);
    void uploadConfig();
    void downloadConfig();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                         int errorCode, QString errorInfo, QByteArray appendData);

private:
    void storeDownloadedBlock(const QByteArray& block);

    int m_values[DefUnKnow];
    int m_defaultValue;
    ORVInteractiveCommandManager* m_manager = nullptr;
};
