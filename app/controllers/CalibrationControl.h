#pragma once

#include <QObject>

#include "ORVInteractiveCommandManager.h"

// Starts the gimbal's calibration routines and its start/stop commands, and reports how they ended.
class CalibrationControl : public QObject
{
    Q_OBJECT
public:
    // The value is also the calibration code sent to the gimbal.
    enum CRADLECALIBRATION {
        CRADLE_CALI_UNKNOW = 0,
        CRADLE_CALI_STEWING,
        CRADLE_CALI_HOR,
        CRADLE_CALI_VER,
        CRADLE_CALI_ELEDEG,
        CRADLE_CALI_ATTANGLE
    };
    Q_ENUM(CRADLECALIBRATION)

    explicit CalibrationControl(QObject* parent = nullptr);

signals:
    void sigCalibrationSuccess(CRADLECALIBRATION calibType);
    void sigCalibrationStart(CRADLECALIBRATION calibType);
    void sigCalibrationFailed(CRADLECALIBRATION calibType);
    void sigCradleStartFinished();
    void sigCradleStopFinished();
    // A calibration that ended because the port went away: the pages show the disconnect, not
    // the advice to follow the steps again.
    void sigCalibrationInterrupted(CRADLECALIBRATION calibType);

public slots:
    void startCalibartion(CRADLECALIBRATION calibType);
    void StartCradle();
    void StopCradle();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                         int errorCode, QString errorInfo, QByteArray appendData);

private:
    ORVInteractiveCommandManager* m_manager = nullptr;
    // The port was reported removed since it was last opened.
    bool m_portLost = false;
};
