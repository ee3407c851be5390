#pragma once

#include <QObject>
#include <QString>

#include "ORVInteractiveCommandManager.h"
#include "value_ranges.h"

#include <iterator>

// The gimbal's product configuration (gimbal parameters 0 to 4): camera module, control input,
// mounting, operating mode and thermal palette, with the questions the pages ask about them.
class InstrumentConfig : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enableFirmUpdate READ isFirmUpdateEnabled NOTIFY typeMechanismChanged)
public:
    // The value is also the gimbal parameter number.
    enum InstrumentType {
        TYPE_MECHANISM = 0,
        TYPE_NACELLECTL,
        TYPE_NACELLEINSTALL,
        TYPE_MODE,
        TYPE_DISPLAY,
        TYPE_MAX
    };
    Q_ENUM(InstrumentType)

    explicit InstrumentConfig(QObject* parent = nullptr);

    // The factory settings file; beside the program unless set otherwise.
    QString defaultsFilePath() const;
    void setDefaultsFilePath(const QString& path);
    // The key of a gimbal parameter in that file (under the control input's group for channels).
    static QString defaultsKey(int number);

signals:
    void sigInputChanged(short deviceMaxValue, short deviceMinValue);
    void sigRefreshValue();
    void sigDownloading();
    void sigDownloadSucceed();
    void sigDownloadFailed();
    void sigDownloadFinished();
    void sigUploading();
    void sigUploadSucceed();
    void sigUploadFailed();
    void sigUploadFinished();
    void typeMechanismChanged();
    void sigUpdateFirmFailed();
    void sigUnsupportMechanism();
    void sigUpdateFirmSucceed();
    // An upload changed the chosen control input (fromIndex) to toIndex, as the camera requires.
    void sigControlInputForced(short fromIndex, short toIndex);

public slots:
    bool isFirmUpdateEnabled();
    void updateMechanismFirm();
    void setInstrumentValue(InstrumentType index, short value);
    short getInstrumentValue(InstrumentType index);
    void uploadConfig();
    void downloadConfig();
    bool loadDefaultConfig();
    bool isInfrared();
    bool is770K();
    bool is770W();
    bool isChannelEnabled();
    QString getControllerString();
    bool canReloadControllerMapping();
    bool isSupportProduct();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                         int errorCode, QString errorInfo, QByteArray appendData);
    short displayToIndex(short display);
    short indexToDisplay(short index);
    short mechanismToIndex(short mechanism);
    short indexToMechanism(short index);
    QString indexToController(short index);
    short controllerToIndex(QString controller);
    // The receiver value range of a control input index, so a page can show the input it has selected.
    short getInputMaxValue(short controlInput);
    short getInputMinValue(short controlInput);

private:
    static constexpr int kControllerCount = 4;
    static constexpr int kDisplayCount = int(std::size(procedures::kPaletteCodes));

    struct PulseRange {
        ushort maximum;
        ushort minimum;
    };

    short mechanism() const { return m_values[TYPE_MECHANISM]; }
    void announceInputRange();
    void storeDownloadedRecord(const QByteArray& record);

    short m_values[TYPE_MAX] = {};
    PulseRange m_pulseRanges[kControllerCount];
    short m_displayCodes[kDisplayCount];
    QString m_controllerNames[kControllerCount];
    ORVInteractiveCommandManager* m_manager = nullptr;
    QString m_defaultsFilePath;
};
