#pragma once

// Stand-in for the calibration controller. It lives in C++ because QML cannot declare the
// controller's capitalised invokables (StartCradle, StopCradle).
#include <QObject>
#include <QVariantList>

class CalibrationControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList requested READ requested NOTIFY recorded)
    Q_PROPERTY(int startRequests READ startRequests NOTIFY recorded)
    Q_PROPERTY(int stopRequests READ stopRequests NOTIFY recorded)

public:
    enum CRADLECALIBRATION {
        CRADLE_CALI_UNKNOW = 0,
        CRADLE_CALI_STEWING,
        CRADLE_CALI_HOR,
        CRADLE_CALI_VER,
        CRADLE_CALI_ELEDEG,
        CRADLE_CALI_ATTANGLE,
    };
    Q_ENUM(CRADLECALIBRATION)

    explicit CalibrationControl(QObject* parent = nullptr) : QObject(parent) {}

    QVariantList requested() const { return requested_; }
    int startRequests() const { return startRequests_; }
    int stopRequests() const { return stopRequests_; }

    Q_INVOKABLE void reset()
    {
        requested_.clear();
        startRequests_ = 0;
        stopRequests_ = 0;
        emit recorded();
    }

signals:
    void sigCalibrationSuccess(CRADLECALIBRATION calibType);
    void sigCalibrationStart(CRADLECALIBRATION calibType);
    void sigCalibrationFailed(CRADLECALIBRATION calibType);
    void sigCradleStartFinished();
    void sigCradleStopFinished();
    void sigCalibrationInterrupted(CRADLECALIBRATION calibType);
    void recorded();

public slots:
    void startCalibartion(CRADLECALIBRATION calibType)
    {
        requested_.append(int(calibType));
        emit recorded();
        emit sigCalibrationStart(calibType);
    }
    void StartCradle()
    {
        ++startRequests_;
        emit recorded();
    }
    void StopCradle()
    {
        ++stopRequests_;
        emit recorded();
    }

private:
    QVariantList requested_;
    int startRequests_ = 0;
    int stopRequests_ = 0;
};
