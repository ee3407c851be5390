#include "PidTunning.h"

#include <QFileInfo>
#include <QMetaEnum>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include "Cradle.h"

namespace {

constexpr int kParameterCount = PidTunning::DefUnKnow;
// One configuration byte per tuning value.
static_assert(kParameterCount == CRADLE_CONFIG_RECORD_SIZE);
constexpr int kFactoryPercent = 100;

const QStringList& keyTable()
{
    static const QStringList keys = [] {
        const QMetaEnum names = QMetaEnum::fromType<PidTunning::PidParameterIndex>();
        QStringList list;
        for (int i = 0; i < kParameterCount; ++i)
            list << QString::fromLatin1(names.valueToKey(i));
        return list;
    }();
    return keys;
}

bool isParameter(int index)
{
    return index >= 0 && index < kParameterCount;
}

// The pages hand over what a file dialog gives: a file URL.
QString localPathOf(const QString& filePath)
{
    return QUrl(filePath).toLocalFile();
}

} // namespace

PidTunning::PidTunning(QObject* parent)
    : QObject(parent)
    , m_defaultValue(kFactoryPercent)
    , m_manager(ORVInteractiveCommandManager::instance())
{
    keyTable();
    for (int& value : m_values)
        value = m_defaultValue;
    // The signatures name the enumeration unqualified; the alias lets queued calls and spies copy it.
    qRegisterMetaType<PidTunning::PidParameterIndex>("PidParameterIndex");
    connect(m_manager, &ORVInteractiveCommandManager::sg_protocolCommandResult,
            this, &PidTunning::st_serial_event);
}

int PidTunning::defalutValue() const
{
    return quint8(m_defaultValue);
}

QString PidTunning::parameterKey(int index)
{
    return isParameter(index) ? keyTable().at(index) : QString();
}

void PidTunning::setTunningValue(PidParameterIndex index, int value)
{
    if (isParameter(index))
        m_values[index] = value;
}

int PidTunning::getTunningValue(PidParameterIndex index)
{
    return isParameter(index) ? m_values[index] : 0;
}

bool PidTunning::saveTunningValue(QString filePath)
{
    const QString path = localPathOf(filePath);
    // Only an existing file is written: the save dialog picks one, and a mistyped URL must not
    // leave a stray file behind.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return false;
    for (int i = 0; i < kParameterCount; ++i) {
        file.setValue(keyTable().at(i), QString::number(m_values[i], 10));
        if (file.status() != QSettings::NoError)
            return false;
    }
    file.sync();
    return file.status() == QSettings::NoError;
}

bool PidTunning::loadTunningValue(QString filePath)
{
    const QString path = localPathOf(filePath);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return false;
    for (int i = 0; i < kParameterCount; ++i) {
        m_values[i] = file.value(keyTable().at(i), m_defaultValue).toInt();
        if (file.status() != QSettings::NoError)
            return false;
    }
    emit sigTunningValueChanged();
    return true;
}

void PidTunning::uploadConfig()
{
    QList<int> values;
    values.reserve(kParameterCount);
    for (int value : m_values)
        values << value;
    emit sigUploading();
    emit m_manager->sg_cardleUploadTunningValue(
        ORVInteractiveCommandManager::PROTOCOL_PARAMETERTUNNINGUPLOAD, values);
}

void PidTunning::downloadConfig()
{
    emit sigDownloading();
    emit m_manager->sg_cardleDownloadTunninValue(
        ORVInteractiveCommandManager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
}

void PidTunning::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                 int result, int, QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERTUNNINGUPLOAD:
        if (result == 0)
            emit sigUploadSucceed();
        else
            emit sigUploadFailed();
        emit sigUploadFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD:
        // A block too short to hold every parameter is a failed download, not a partial one.
        if (result == 0 && appendData.size() >= kParameterCount) {
            storeDownloadedBlock(appendData);
            emit sigDownloadSucceed();
        } else {
            emit sigDownloadFailed();
        }
        emit sigDownloadFinished();
        break;
    default:
        break;
    }
}

void PidTunning::storeDownloadedBlock(const QByteArray& block)
{
    for (int i = 0; i < kParameterCount; ++i)
        m_values[i] = quint8(block.at(i));
}
