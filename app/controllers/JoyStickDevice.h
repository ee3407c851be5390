#pragma once

#include <QObject>
#include <QString>

#include "ORVInteractiveCommandManager.h"

class InstrumentConfig;

// The receiver: which of its channels drives each gimbal function (gimbal parameters 5 to 20),
// and the live channel data of telemetry record B.
class JoyStickDevice : public QObject
{
    Q_OBJECT
    // A signed 8-bit value, published as int: QML shows an 8-bit property type as a character.
    Q_PROPERTY(int p_defalutValue READ defalutValue NOTIFY sigDefalutValueChanged)
public:
    enum JoyStickChannelFunc {
        CHANNEL_MODE = 0,
        CHANNEL_PITCH,
        CHANNEL_YAW,
        CHANNEL_SHOT,
        CHANNEL_RECORD,
        CHANNEL_ZOOM,
        CHANNEL_DISPLAY,
        CHANNEL_BAFFLE,
        CHANNEL_MAX,
        CHANNEL_MAX_SELECTTION = 20,
        CHANNEL_MODE_DISABLE,
        CHANNEL_DISABLE,
        CHANNEL_NOLIMIT
    };
    Q_ENUM(JoyStickChannelFunc)

    explicit JoyStickDevice(QObject* parent = nullptr);

    int defalutValue() const { return qint8(m_defaultValue); }

    // Source of the control input and camera module; not owned.
    void setInstrumentConfig(InstrumentConfig* instrumentConfig);

signals:
    void sigRefreshMapping();
    void sigRefreshValue();
    void sigRefreshStatus();
    void sigDefalutValueChanged();
    void sigDownloading();
    void sigDownloadSucceed();
    void sigDownloadFailed();
    void sigDownloadFinished();
    void sigUploading();
    void sigUploadSucceed();
    void sigUploadFailed();
    void sigUploadFinish();

public slots:
    short getChannelMapping(JoyStickChannelFunc index);
    void setChannelMapping(JoyStickChannelFunc index, short mapping);
    short getChannelValue(JoyStickChannelFunc index);
    void setChannelValue(JoyStickChannelFunc index, short value);
    bool getChannelReverse(JoyStickChannelFunc index);
    void setChannelReverse(JoyStickChannelFunc index, bool reverse);
    short getChannelOutput(JoyStickChannelFunc index);
    short getChannelStatus(JoyStickChannelFunc index);
    QString getChannelStatusString(JoyStickChannelFunc index);
    void setChannelStatus(JoyStickChannelFunc index, short value);
    void setChannelConfig(JoyStickChannelFunc index, short mapping, bool reverse);
    short getDefaultValue();
    bool canUploadChannelConfig(JoyStickChannelFunc upLoadType);
    bool getChannelLostCtl();
    void uploadConfig();
    void downloadConfig();
    bool loadDefaultConfig();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                         int errorCode, QString errorInfo, QByteArray appendData);

private:
    struct ChannelRecord {
        short mapping = 0;
        short value = 0;
        short output = 0;
        short status = 0;
        bool reverse = false;
    };

    static bool isFunction(int index) { return index >= 0 && index < CHANNEL_MAX; }
    void storeDownloadedRecord(const QByteArray& record);
    bool storeTelemetry(const QByteArray& block); // false for a block too short to decode

    ChannelRecord m_channels[CHANNEL_MAX];
    bool m_lostControl = false;
    short m_defaultValue = 0;
    ORVInteractiveCommandManager* m_manager = nullptr;
    InstrumentConfig* m_instrumentConfig = nullptr;
};
