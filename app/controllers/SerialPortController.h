#ifndef SERIALPORTCONTROLLER_H
#define SERIALPORTCONTROLLER_H

#include <QFileSystemWatcher>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>

#include "ORVInteractiveCommandManager.h"

// Lists the serial ports, forwards open and close requests, and turns the port results into
// property changes for the connection panel. While no port is open it follows adapters being
// plugged in and out, and opens a port lost by a disconnect again when it comes back.
class SerialPortController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList availableSerialPorts READ availableSerialPorts NOTIFY availableSerialPortsChanged)
    Q_PROPERTY(QString opendPortName READ opendPortName NOTIFY opendPortNameChanged)
    // One map per port, in the order of availableSerialPorts: "name" (what to open), "label" (short,
    // distinct) and "details" (full path, description and maker).
    Q_PROPERTY(QVariantList availablePortEntries READ availablePortEntries NOTIFY availableSerialPortsChanged)
    // Why the last open failed: "kind" (OpenFailure), "path", "group", "user", "mode", "holder",
    // "holderPid" (0 when not found), "modemManager". Set before sigOpendPortFailed.
    Q_PROPERTY(QVariantMap openFailure READ openFailure NOTIFY sigOpendPortFailed)
public:
    enum OpenFailure {
        OPEN_FAILURE_UNKNOWN = 0,
        OPEN_FAILURE_NO_PERMISSION,
        OPEN_FAILURE_NEEDS_NEW_LOGIN,
        OPEN_FAILURE_MODE_DENIES,
        OPEN_FAILURE_IN_USE,
        OPEN_FAILURE_GONE
    };
    Q_ENUM(OpenFailure)

    explicit SerialPortController(QObject* parent = nullptr);

    QStringList availableSerialPorts() const { return availablePorts; }
    QString opendPortName() const { return openedPort; }
    // With the system's ports left out only the extra ports are offered; tests use it to see the
    // panel without any port on machines that have serial ports.
    void setSystemPortsListed(bool listed);
    QVariantList availablePortEntries() const { return portEntries; }
    QVariantMap openFailure() const { return lastOpenFailure; }

signals:
    void availableSerialPortsChanged();
    void opendPortNameChanged();
    void sigOpendPortFailed();
    void sigDisconnect();
    void sigPortLost(QString port);
    void sigPortReopening(QString port);

public slots:
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int errorCode,
                         QString errorInfo, QByteArray appendData);

public:
    Q_INVOKABLE void openSerialPort(QString port);
    Q_INVOKABLE void closeSerialPort();
    Q_INVOKABLE void refreshAvailableSerialPorts();
    Q_INVOKABLE bool isSerialPortValid();

private:
    void watchPortFolders(const QStringList& extraPaths);
    void portsMayHaveChanged();
    void updatePortList(bool always);
    void reopenLostPortIfBack();

    QStringList availablePorts;
    QVariantList portEntries;
    QMap<QString, QString> serialNumbers;  // port name -> adapter serial number, where the system gives one
    QString openedPort;
    bool systemPortsListed = true;
    QString lostPort;                      // lost by a disconnect, to be opened again when it returns
    QString lostSerialNumber;
    QVariantMap lastOpenFailure;
    QFileSystemWatcher portFolders;
    QTimer settleTimer;                    // lets a burst of device node changes end before one refresh
    ORVInteractiveCommandManager* manager;
};

#endif // SERIALPORTCONTROLLER_H
