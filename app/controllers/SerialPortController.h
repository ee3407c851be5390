#ifndef SERIALPORTCONTROLLER_H
#define SERIALPORTCONTROLLER_H

#include <QObject>
#include <QString>
#include <QStringList>

#include "ORVInteractiveCommandManager.h"

// Lists the serial ports, forwards open and close requests, and turns the port results into
// property changes for the connection panel.
class SerialPortController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList availableSerialPorts READ availableSerialPorts NOTIFY availableSerialPortsChanged)
    Q_PROPERTY(QString opendPortName READ opendPortName NOTIFY opendPortNameChanged)
public:
    explicit SerialPortController(QObject* parent = nullptr);

    QStringList availableSerialPorts() const { return availablePorts; }
    QString opendPortName() const { return openedPort; }
    // With the system's ports left out only the extra ports are offered; tests use it to see the
    // panel without any port on machines that have serial ports.
    void setSystemPortsListed(bool listed);

signals:
    void availableSerialPortsChanged();
    void opendPortNameChanged();
    void sigOpendPortFailed();
    void sigDisconnect();

public slots:
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int errorCode,
                         QString errorInfo, QByteArray appendData);

public:
    Q_INVOKABLE void openSerialPort(QString port);
    Q_INVOKABLE void closeSerialPort();
    Q_INVOKABLE void refreshAvailableSerialPorts();
    Q_INVOKABLE bool isSerialPortValid();

private:
    QStringList availablePorts;
    QString openedPort;
    bool systemPortsListed = true;
    ORVInteractiveCommandManager* manager;
};

#endif // SERIALPORTCONTROLLER_H
