#include "FirmwareController.h"

#include "firmware_package.h"
#include "firmware_package_format.h"
#include "InstrumentConfig.h"
#include "UpgradeReport.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kVersionQueryAttempts = 5;
constexpr int kVersionEntryBytes = 6;
constexpr int kMaxVersionEntries = 31;
constexpr int kUpgradeWarning = 2;
constexpr double kUpgradeComplete = 100.0;
constexpr qint32 kStatusCompleted = -1;
constexpr qint32 kStatusFailed = -2;
const QString kNoPackageVersion = QStringLiteral("--");

} // namespace

FirmwareController::FirmwareController(QObject* parent)
    : QObject(parent), listModel(new FirmwareListModel(this)), manager(ORVInteractiveCommandManager::instance())
{
    connect(manager, &ORVInteractiveCommandManager::sg_protocolCommandResult, this,
            &FirmwareController::st_serial_event);
    connect(manager, &ORVInteractiveCommandManager::sg_moduleUpgradeProgressChanged, this,
            &FirmwareController::st_moduleUpgradeProgressChanged);
}

FirmwareController::~FirmwareController()
{
    listModel->clear();
}

void FirmwareController::setInstrumentConfig(InstrumentConfig* config)
{
    instrumentConfig = config;
}

ORVFirmware* FirmwareController::findFirmware(quint8 unitId) const
{
    for (ORVFirmware* firmware : *listModel->firmwareList()) {
        if (firmware->getUnitId() == unitId)
            return firmware;
    }
    return nullptr;
}

void FirmwareController::getVersion()
{
    emit manager->sg_getVersion(ORVInteractiveCommandManager::PROTOCOL_GETVERSION);
}

QString FirmwareController::getAppVersion(FirmwareUnit unitid)
{
    const ORVFirmware* firmware = findFirmware(quint8(unitid));
    return firmware ? firmware->getAppVersion() : kNoPackageVersion;
}

QString FirmwareController::getFileAppVersion(FirmwareUnit unitid)
{
    const ORVFirmware* firmware = findFirmware(quint8(unitid));
    return firmware ? firmware->getFileAppVersion() : kNoPackageVersion;
}

uchar FirmwareController::getHardwareVersion(FirmwareUnit unitid)
{
    const ORVFirmware* firmware = findFirmware(quint8(unitid));
    return firmware ? firmware->getHardwareVersion() : 0;
}

ORVFirmware* FirmwareController::getFirmware(FirmwareUnit unitid)
{
    return findFirmware(quint8(unitid));
}

ORVFirmware* FirmwareController::getFirmware(qint8 unitid)
{
    return findFirmware(quint8(unitid));
}

void FirmwareController::clearFirmInfo()
{
    listModel->clear();
}

void FirmwareController::clearFirmInfoContent()
{
    for (ORVFirmware* firmware : *listModel->firmwareList()) {
        firmware->setFileAppVersion(kNoPackageVersion);
        firmware->setUpgradeStatus(0);
        firmware->setWantUpdate(false);
    }
}

void FirmwareController::startUpgradeBatch(const QList<ORVFirmware*>& units)
{
    UpgradeBatch batch;
    bool changed = false;
    for (ORVFirmware* firmware : units) {
        batch.insert(firmware->getUnitId(), firmware->getAppVersion());
        // A row's progress only moves forward during an upgrade, so each attempt starts from zero.
        changed = changed || firmware->getUpgradeStatus() != 0;
        firmware->setUpgradeStatus(0);
    }
    upgradeBatches.push_back(batch);
    if (changed)
        listModel->refreshView();
}

void FirmwareController::updateFirm(FirmwareUnit unitid)
{
    ORVFirmware* firmware = findFirmware(quint8(unitid));
    startUpgradeBatch(firmware ? QList<ORVFirmware*>{firmware} : QList<ORVFirmware*>{});
    manager->upgradeFirmwareSingle(firmware);
}

void FirmwareController::updateFirm()
{
    emit sigFileUpgradeStart();
    QList<ORVFirmware*> marked;
    for (ORVFirmware* firmware : *listModel->firmwareList()) {
        if (firmware->getWantUpdate())
            marked.append(firmware);
    }
    startUpgradeBatch(marked);
    manager->upgradeFirmware(listModel->firmwareList());
}

bool FirmwareController::canUpdateFirm()
{
    for (const ORVFirmware* firmware : *listModel->firmwareList()) {
        if (firmware->getWantUpdate())
            return true;
    }
    return false;
}

void FirmwareController::unpackFileFirmware(QString fileName)
{
    keepPackageAfterCut = false;
    clearFirmInfoContent();
    const QString path = QUrl(fileName, QUrl::TolerantMode).toLocalFile();
    if (path.isEmpty())
        return;
    const procedures::FirmwarePackage package = procedures::readFirmwarePackage(QFile::encodeName(path).toStdString());
    if (package.verdict == procedures::FirmwarePackage::Verdict::NotAPackage)
        return;
    const int cameraModuleCode =
        instrumentConfig ? instrumentConfig->getInstrumentValue(InstrumentConfig::TYPE_MECHANISM) : 0;
    const bool accepted = package.verdict == procedures::FirmwarePackage::Verdict::Read
                          && procedures::fitsCameraModule(package.compatibilityMask, cameraModuleCode);
    if (!accepted)
        emit sigWrongFirmFile();

    // When two entries name the same unit, the later one wins.
    for (const procedures::PackageEntry& entry : accepted ? package.entries : std::vector<procedures::PackageEntry>{}) {
        ORVFirmware* firmware = findFirmware(entry.unit);
        if (!firmware)
            continue;
        // An entry the upgrade could not write whole is never offered; the technician learns why.
        if (entry.problem == procedures::PackageEntry::Problem::TooLarge) {
            emit sigFirmwareEntryTooLarge(firmware->unitName(), qint64(entry.length),
                                          qint64(firmware_package::kMaxImageBytes));
            continue;
        }
        if (!entry.usable()) {
            emit sigFirmwareEntryIncomplete(firmware->unitName());
            continue;
        }
        ORVFirmware::ImageHeader header{};
        std::copy(entry.header.begin(), entry.header.end(), header.begin());
        const quint32 length = entry.length;
        std::memcpy(header.data() + firmware_package::kEntryLengthOffset, &length, sizeof length);
        firmware->setPackagePath(path);
        firmware->setImageHeader(header);
        firmware->setImageStart(qint64(entry.imageStart));
        firmware->setFileAppVersion(QString::fromStdString(entry.version()));
        firmware->setWantUpdate(true);
        firmware->setUpgradeStatus(0);
    }
    emit sigFileInfoChanged();
    listModel->refreshView();
}

void FirmwareController::fillFromVersionReport(const QByteArray& report)
{
    listModel->clear();
    if (report.isEmpty())
        return;
    // The report has room for 31 entries; a larger count or a short report has nothing behind it.
    const int available = (report.size() - 1) / kVersionEntryBytes;
    const int count = qMin(qMin(int(quint8(report[0])), kMaxVersionEntries), available);
    for (int k = 0; k < count; ++k) {
        const char* entry = report.constData() + 1 + k * kVersionEntryBytes;
        const QString appVersion = QStringLiteral("%1.%2").arg(quint8(entry[2])).arg(quint8(entry[3]));
        listModel->addFirmwareItem(new ORVFirmware(quint8(entry[0]), quint8(entry[1]), appVersion));
    }
}

void FirmwareController::markCompleted(ORVFirmware* firmware)
{
    firmware->setWantUpdate(false);
    firmware->setAppVersion(firmware->getFileAppVersion());
    firmware->setUpgradeStatus(kStatusCompleted);
}

// The final result names each module the upgrade tried, whether its image was written and whether
// it reported the package's version after the reboot. Every other unit handed to the upgrade ends at
// "failed" instead of a percentage that looks like progress; it stays marked for the next attempt
// only when it has an image to write.
void FirmwareController::applyUpgradeReport(const QByteArray& report, const UpgradeBatch& batch)
{
    struct Entry {
        char outcome;
        QString reported;
    };
    QHash<quint8, Entry> entries;
    for (int i = 0; i + UpgradeReport::kEntryBytes <= report.size(); i += UpgradeReport::kEntryBytes)
        entries.insert(quint8(report[i]), {report[i + 1], QStringLiteral("%1.%2").arg(quint8(report[i + 2])).arg(quint8(report[i + 3]))});

    bool changed = false;
    for (auto unit = batch.cbegin(); unit != batch.cend(); ++unit) {
        ORVFirmware* firmware = findFirmware(unit.key());
        if (!firmware)
            continue;
        const auto entry = entries.constFind(unit.key());
        const char outcome = entry == entries.cend() ? UpgradeReport::kModuleFailed : entry->outcome;
        if (outcome == UpgradeReport::kModuleWritten) {
            if (firmware->getUpgradeStatus() != kStatusCompleted)
                markCompleted(firmware);
            changed = true;
            continue;
        }
        // A last progress report of 100 % may have marked it done before the write failed.
        firmware->setAppVersion(outcome == UpgradeReport::kModuleOtherVersion ? entry->reported : unit.value());
        firmware->setWantUpdate(!firmware->getPackagePath().isEmpty() && firmware->imageLength() > 0);
        firmware->setUpgradeStatus(kStatusFailed);
        changed = true;
        if (outcome == UpgradeReport::kModuleOtherVersion)
            emit sigFirmwareVersionUnconfirmed(firmware->unitName(), entry->reported, firmware->getFileAppVersion(), 0);
        else if (outcome == UpgradeReport::kModuleMissing)
            emit sigFirmwareVersionUnconfirmed(firmware->unitName(), QString(), firmware->getFileAppVersion(), 1);
        else if (outcome == UpgradeReport::kModuleNotConfirmed)
            emit sigFirmwareVersionUnconfirmed(firmware->unitName(), QString(), firmware->getFileAppVersion(), 2);
    }
    if (changed)
        listModel->refreshView();
}

// The port went away under a running upgrade: whatever has not finished has failed, and says so
// now rather than when the worker's call gives up.
void FirmwareController::markUpgradeCut()
{
    upgradeCut = true;
    keepPackageAfterCut = true;
    bool changed = false;
    for (const UpgradeBatch& batch : upgradeBatches) {
        for (auto unit = batch.cbegin(); unit != batch.cend(); ++unit) {
            ORVFirmware* firmware = findFirmware(unit.key());
            if (firmware && firmware->getUpgradeStatus() != kStatusCompleted
                && firmware->getUpgradeStatus() != kStatusFailed) {
                firmware->setUpgradeStatus(kStatusFailed);
                changed = true;
            }
        }
    }
    if (changed)
        listModel->refreshView();
}

// Puts the package of a cut upgrade back onto the units just read: the same image positions, the
// package version, the marks and the outcome each unit had.
void FirmwareController::restorePackageMarks(const QList<ORVFirmware>& previous)
{
    for (const ORVFirmware& before : previous) {
        ORVFirmware* firmware = findFirmware(before.getUnitId());
        if (!firmware || before.getPackagePath().isEmpty())
            continue;
        firmware->setPackagePath(before.getPackagePath());
        firmware->setImageHeader(before.getImageHeader());
        firmware->setImageStart(before.getImageStart());
        firmware->setFileAppVersion(before.getFileAppVersion());
        firmware->setWantUpdate(before.getWantUpdate());
        firmware->setUpgradeStatus(before.getUpgradeStatus());
    }
    listModel->refreshView();
}

void FirmwareController::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int,
                                         QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_UPDATEFIRM:
        if (result != kUpgradeWarning && !upgradeBatches.empty()) {
            applyUpgradeReport(appendData, upgradeBatches.front());
            upgradeBatches.pop_front();
            if (upgradeBatches.empty())
                upgradeCut = false;
        }
        emit sigFileUpgradeFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_GETVERSION:
        if (result == 0) {
            QList<ORVFirmware> previous;
            if (keepPackageAfterCut) {
                for (const ORVFirmware* firmware : *listModel->firmwareList())
                    previous.append(*firmware);
            }
            fillFromVersionReport(appendData);
            emit sigGetVersionSuccessed();
            if (keepPackageAfterCut) {
                keepPackageAfterCut = false;
                restorePackageMarks(previous);
                emit sigFileInfoChanged();
            }
        } else if (portOpen) {
            ++versionRetryCount;
            if (versionRetryCount < kVersionQueryAttempts)
                getVersion();
            else
                emit sigGetVersionFailed();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTOPEN:
        portOpen = true;
        if (result == 0) {
            versionRetryCount = 0;
            getVersion();
        }
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTCLOSE:
        portOpen = false;
        if (!keepPackageAfterCut)
            listModel->clear();
        versionRetryCount = 0;
        emit sigFirmclosed();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_SERIALPORTDISCONNECT:
        if (!upgradeBatches.empty() && !upgradeCut)
            markUpgradeCut();
        break;
    default:
        break;
    }
}

void FirmwareController::st_moduleUpgradeProgressChanged(qint8 upgradeModuleName, double progress)
{
    ORVFirmware* firmware = findFirmware(quint8(upgradeModuleName));
    if (!firmware || upgradeCut)
        return;
    // Samples are taken on another thread than the write; a late one must not move a row back.
    const qint32 status = firmware->getUpgradeStatus();
    if (status == kStatusCompleted || qint32(progress) < status)
        return;
    firmware->setUpgradeStatus(qint32(progress));
    listModel->refreshView();
    if (progress == kUpgradeComplete) {
        markCompleted(firmware);
        listModel->refreshView();
    }
}
