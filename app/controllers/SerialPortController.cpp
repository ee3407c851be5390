#include "SerialPortController.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace {
// Extra device paths, ':'-separated, offered after the system's ports so that a simulated gimbal
// on a pseudo-terminal can be chosen; the library opens such a path as given.
constexpr char kExtraPortsVariable[] = "TILTMATE_EXTRA_PORTS";
}

SerialPortController::SerialPortController(QObject* parent)
    : QObject(parent), manager(ORVInteractiveCommandManager::instance())
{
    connect(manager, &ORVInteractiveCommandManager::sg_protocolCommandResult, this,
            &SerialPortController::st_serial_event);
    refreshAvailableSerialPorts();
}

void SerialPortController::refreshAvailableSerialPorts()
{
    availablePorts.clear();
    if (systemPortsListed) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            availablePorts.append(info.portName());
    }
    const QString extra = qEnvironmentVariable(kExtraPortsVariable);
    for (const QString& path : extra.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QFileInfo::exists(path))
            availablePorts.append(path);
    }
    emit availableSerialPortsChanged();
}

void SerialPortController::setSystemPortsListed(bool listed)
{
    systemPortsListed = listed;
    refreshAvailableSerialPorts();
}

bool SerialPortController::isSerialPortValid()
{
    return !availablePorts.isEmpty();
}

void SerialPortController::openSerialPort(QString port)
{
    if (availablePorts.isEmpty())
        return;
    emit manager->sg_openSerialPort(ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN, port);
    openedPort = port;
    emit opendPortNameChanged();
}

void SerialPortController::closeSerialPort()
{
    emit manager->sg_closeSerialPort(ORVInteractiveCommandManager::PROTOCOL_SERIALPORTCLOSE);
}

void SerialPortController::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                                           int, QString, QByteArray)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN:
        if (result != 0) {
            openedPort.clear();
            emit opendPortNameChanged();
            emit sigOpendPortFailed();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTCLOSE:
        if (result == 0) {
            openedPort.clear();
            emit opendPortNameChanged();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTDISCONNECT:
        emit sigDisconnect();
        break;
    default:
        break;
    }
}
