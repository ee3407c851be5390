#include "SerialPortController.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include "PortDiagnosis.h"
#include "PortFolders.h"

namespace {
// Extra device paths, ':'-separated, offered after the system's ports so that a simulated gimbal
// on a pseudo-terminal can be chosen; the library opens such a path as given.
constexpr char kExtraPortsVariable[] = "TILTMATE_EXTRA_PORTS";
// udev creates the node, then sets its group and links; one refresh after the burst is enough.
constexpr int kSettleMs = 400;

struct PortFound {
    QString name;
    QString label;
    QString details;
    QString serialNumber;
};

QStringList extraPorts()
{
    return qEnvironmentVariable(kExtraPortsVariable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString joinedLines(const QStringList& lines)
{
    QStringList shown;
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            shown.append(line.trimmed());
    }
    return shown.join(QLatin1Char('\n'));
}

// Short names first; where two ports would read the same, their folder tells them apart.
void makeLabelsDistinct(QList<PortFound>& ports)
{
    QMap<QString, int> uses;
    for (const PortFound& port : ports)
        ++uses[port.label];
    for (PortFound& port : ports) {
        if (uses.value(port.label) > 1 && port.name.contains(QLatin1Char('/')))
            port.label = QFileInfo(port.name).dir().dirName() + QLatin1Char('/') + port.label;
    }
}

QList<PortFound> findPorts(bool systemPortsListed)
{
    QList<PortFound> ports;
    const QList<QSerialPortInfo> systemPorts = systemPortsListed ? QSerialPortInfo::availablePorts()
                                                                 : QList<QSerialPortInfo>();
    for (const QSerialPortInfo& info : systemPorts) {
        ports.append({info.portName(), info.portName(),
                      joinedLines({info.systemLocation(), info.description(), info.manufacturer(),
                                   info.serialNumber()}),
                      info.serialNumber()});
    }
    for (const QString& path : extraPorts()) {
        const QFileInfo file(path);
        if (!file.exists())
            continue;
        const QString target = file.isSymLink() ? file.symLinkTarget() : QString();
        ports.append({path, file.fileName(), joinedLines({path, target.isEmpty() ? QString() : "-> " + target}), {}});
    }
    makeLabelsDistinct(ports);
    return ports;
}

QVariantMap describeFailure(const PortDiagnosis& diagnosis)
{
    static_assert(PortDiagnosis::Gone == int(SerialPortController::OPEN_FAILURE_GONE),
                  "the controller's failure kinds follow the diagnosis");
    return {{QStringLiteral("kind"), int(diagnosis.kind)},    {QStringLiteral("path"), diagnosis.path},
            {QStringLiteral("group"), diagnosis.group},       {QStringLiteral("user"), diagnosis.user},
            {QStringLiteral("mode"), diagnosis.mode},         {QStringLiteral("holder"), diagnosis.holder},
            {QStringLiteral("holderPid"), diagnosis.holderPid}, {QStringLiteral("modemManager"), diagnosis.modemManager}};
}

}  // namespace

SerialPortController::SerialPortController(QObject* parent)
    : QObject(parent), manager(ORVInteractiveCommandManager::instance())
{
    connect(manager, &ORVInteractiveCommandManager::sg_protocolCommandResult, this,
            &SerialPortController::st_serial_event);
    settleTimer.setSingleShot(true);
    settleTimer.setInterval(kSettleMs);
    connect(&settleTimer, &QTimer::timeout, this, &SerialPortController::portsMayHaveChanged);
    connect(&portFolders, &QFileSystemWatcher::directoryChanged, &settleTimer, qOverload<>(&QTimer::start));
    watchPortFolders(extraPorts());
    refreshAvailableSerialPorts();
}

void SerialPortController::watchPortFolders(const QStringList& extraPaths)
{
    QStringList folders = systemPortFolders();
    for (const QString& path : extraPaths)
        folders.append(QFileInfo(path).absolutePath());
    folders.removeDuplicates();
    for (const QString& folder : folders) {
        if (QFileInfo(folder).isDir())
            portFolders.addPath(folder);
    }
}

void SerialPortController::refreshAvailableSerialPorts()
{
    updatePortList(true);
}

// Fills the lists from what the system shows; without `always`, an unchanged list is not announced,
// so a folder change that touched no port neither redraws the list nor closes its open popup.
void SerialPortController::updatePortList(bool always)
{
    QStringList names;
    QVariantList entries;
    QMap<QString, QString> numbers;
    for (const PortFound& port : findPorts(systemPortsListed)) {
        names.append(port.name);
        entries.append(QVariantMap{{QStringLiteral("name"), port.name},
                                   {QStringLiteral("label"), port.label},
                                   {QStringLiteral("details"), port.details}});
        numbers.insert(port.name, port.serialNumber);
    }
    if (!always && entries == portEntries && numbers == serialNumbers)
        return;
    availablePorts = names;
    portEntries = entries;
    serialNumbers = numbers;
    emit availableSerialPortsChanged();
}

void SerialPortController::setSystemPortsListed(bool listed)
{
    systemPortsListed = listed;
    refreshAvailableSerialPorts();
}

// A connected port is not disturbed: its list entry stays as it is until the port is closed.
void SerialPortController::portsMayHaveChanged()
{
    if (!openedPort.isEmpty())
        return;
    updatePortList(false);
    reopenLostPortIfBack();
}

// Only a change of the device folders counts as the port coming back, so a port that is still there
// when the close ends is not taken for one that returned.
void SerialPortController::reopenLostPortIfBack()
{
    if (lostPort.isEmpty() || !openedPort.isEmpty() || !availablePorts.contains(lostPort))
        return;
    // Where the adapter has a serial number, only the same adapter counts as the lost one.
    if (!lostSerialNumber.isEmpty() && serialNumbers.value(lostPort) != lostSerialNumber)
        return;
    const QString port = lostPort;
    emit sigPortReopening(port);
    openSerialPort(port);
}

bool SerialPortController::isSerialPortValid()
{
    return !availablePorts.isEmpty();
}

void SerialPortController::openSerialPort(QString port)
{
    if (availablePorts.isEmpty())
        return;
    lostPort.clear();
    lostSerialNumber.clear();
    emit manager->sg_openSerialPort(ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN, port);
    openedPort = port;
    emit opendPortNameChanged();
}

void SerialPortController::closeSerialPort()
{
    emit manager->sg_closeSerialPort(ORVInteractiveCommandManager::PROTOCOL_SERIALPORTCLOSE);
}

void SerialPortController::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                                           int, QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN:
        if (result != 0) {
            lastOpenFailure = describeFailure(PortDiagnosis::fromBytes(appendData));
            openedPort.clear();
            emit opendPortNameChanged();
            emit sigOpendPortFailed();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTCLOSE:
        if (result == 0) {
            // A lost port's entry may be gone already; the list follows before the name clears.
            if (!lostPort.isEmpty())
                refreshAvailableSerialPorts();
            openedPort.clear();
            emit opendPortNameChanged();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTDISCONNECT:
        // Repeated every poll until the close is processed; the port is lost only once.
        if (lostPort.isEmpty() && !openedPort.isEmpty()) {
            lostPort = openedPort;
            lostSerialNumber = serialNumbers.value(openedPort);
            emit sigPortLost(lostPort);
        }
        emit sigDisconnect();
        break;
    default:
        break;
    }
}
