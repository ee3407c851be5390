#include "CalibrationControl.h"

#include <QtEndian>

namespace {

constexpr int kCalibrationCodeBytes = 2;

} // namespace

CalibrationControl::CalibrationControl(QObject* parent)
    : QObject(parent)
    , m_manager(ORVInteractiveCommandManager::instance())
{
    // The signatures name the enumeration unqualified; the alias lets queued calls and spies copy it.
    qRegisterMetaType<CalibrationControl::CRADLECALIBRATION>("CRADLECALIBRATION");
    connect(m_manager, &ORVInteractiveCommandManager::sg_protocolCommandResult,
            this, &CalibrationControl::st_serial_event);
}

void CalibrationControl::startCalibartion(CRADLECALIBRATION calibType)
{
    emit sigCalibrationStart(calibType);
    emit m_manager->sg_cardleCalibration(ORVInteractiveCommandManager::PROTOCOL_CALIBRATION,
                                         short(calibType));
}

void CalibrationControl::StartCradle()
{
    emit m_manager->sg_cardleStart(ORVInteractiveCommandManager::PROTOCOL_CRADLESTART);
}

void CalibrationControl::StopCradle()
{
    emit m_manager->sg_cardleStop(ORVInteractiveCommandManager::PROTOCOL_CRADLESTOP);
}

void CalibrationControl::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                         int result, int, QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_CALIBRATION: {
        // The worker echoes the requested code; without it the calibration cannot be named.
        const CRADLECALIBRATION type = appendData.size() >= kCalibrationCodeBytes
            ? CRADLECALIBRATION(qFromLittleEndian<qint16>(appendData.constData()))
            : CRADLE_CALI_UNKNOW;
        if (result == 0)
            emit sigCalibrationSuccess(type);
        else if (m_portLost)
            emit sigCalibrationInterrupted(type);
        else
            emit sigCalibrationFailed(type);
        break;
    }
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTDISCONNECT:
        // Reported ahead of the failure it causes, by the poll or by the worker itself.
        m_portLost = true;
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN:
        if (result == 0)
            m_portLost = false;
        break;
    case ORVInteractiveCommandManager::PROTOCOL_CRADLESTART:
        emit sigCradleStartFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_CRADLESTOP:
        emit sigCradleStopFinished();
        break;
    default:
        break;
    }
}
