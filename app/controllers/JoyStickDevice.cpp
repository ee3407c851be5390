#include "JoyStickDevice.h"

#include <QFileInfo>
#include <QSettings>

#include "Cradle.h"
#include "InstrumentConfig.h"
#include "ParameterRecord.h"
#include "telemetry.h"

namespace {

constexpr int kFirstMappingParameter = 5;
constexpr int kFirstDirectionParameter = 13;
constexpr int kDirectionNormal = 1;
constexpr int kDirectionReversed = 2;

constexpr float kStatusHundredths = 100.0f;

} // namespace

JoyStickDevice::JoyStickDevice(QObject* parent)
    : QObject(parent)
    , m_manager(ORVInteractiveCommandManager::instance())
{
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        m_channels[f].mapping = short(f);
        m_channels[f].value = m_defaultValue;
    }
    // The signatures name the enumeration unqualified; the alias lets queued calls and spies copy it.
    qRegisterMetaType<JoyStickDevice::JoyStickChannelFunc>("JoyStickChannelFunc");
    connect(m_manager, &ORVInteractiveCommandManager::sg_protocolCommandResult,
            this, &JoyStickDevice::st_serial_event);
}

void JoyStickDevice::setInstrumentConfig(InstrumentConfig* instrumentConfig)
{
    m_instrumentConfig = instrumentConfig;
}

// Indices come from QML; anything but a function number reads 0 and writes nothing.
short JoyStickDevice::getChannelMapping(JoyStickChannelFunc index)
{
    return isFunction(index) ? m_channels[index].mapping : 0;
}

void JoyStickDevice::setChannelMapping(JoyStickChannelFunc index, short mapping)
{
    if (isFunction(index))
        m_channels[index].mapping = mapping;
}

short JoyStickDevice::getChannelValue(JoyStickChannelFunc index)
{
    return isFunction(index) ? m_channels[index].value : 0;
}

void JoyStickDevice::setChannelValue(JoyStickChannelFunc index, short value)
{
    if (isFunction(index))
        m_channels[index].value = value;
}

bool JoyStickDevice::getChannelReverse(JoyStickChannelFunc index)
{
    return isFunction(index) && m_channels[index].reverse;
}

void JoyStickDevice::setChannelReverse(JoyStickChannelFunc index, bool reverse)
{
    if (isFunction(index))
        m_channels[index].reverse = reverse;
}

short JoyStickDevice::getChannelOutput(JoyStickChannelFunc index)
{
    return isFunction(index) ? m_channels[index].output : 0;
}

short JoyStickDevice::getChannelStatus(JoyStickChannelFunc index)
{
    return isFunction(index) ? m_channels[index].status : 0;
}

QString JoyStickDevice::getChannelStatusString(JoyStickChannelFunc index)
{
    return QString::number(double(getChannelStatus(index) / kStatusHundredths), 'f', 2);
}

void JoyStickDevice::setChannelStatus(JoyStickChannelFunc index, short value)
{
    if (isFunction(index))
        m_channels[index].status = value;
}

void JoyStickDevice::setChannelConfig(JoyStickChannelFunc index, short mapping, bool reverse)
{
    if (!isFunction(index))
        return;
    m_channels[index].mapping = mapping;
    m_channels[index].reverse = reverse;
}

short JoyStickDevice::getDefaultValue()
{
    return m_defaultValue;
}

bool JoyStickDevice::canUploadChannelConfig(JoyStickChannelFunc upLoadType)
{
    if (upLoadType == CHANNEL_DISABLE)
        return true;

    int users[CHANNEL_MAX_SELECTTION] = {};
    auto count = [&users](short mapping, int step) {
        if (mapping >= 0 && mapping < CHANNEL_MAX_SELECTTION)
            users[mapping] += step;
    };
    const int first = upLoadType == CHANNEL_MODE_DISABLE ? CHANNEL_PITCH : CHANNEL_MODE;
    for (int f = first; f < CHANNEL_MAX; ++f)
        count(m_channels[f].mapping, 1);

    // Palette and shutter are idle unless the camera belongs to the family that uses them.
    if (m_instrumentConfig && !m_instrumentConfig->is770K()) {
        count(m_channels[CHANNEL_DISPLAY].mapping, -1);
        count(m_channels[CHANNEL_BAFFLE].mapping, -1);
    }

    for (int users_of_channel : users) {
        if (users_of_channel > 1)
            return false;
    }
    return true;
}

bool JoyStickDevice::getChannelLostCtl()
{
    return m_lostControl;
}

void JoyStickDevice::uploadConfig()
{
    QList<int> numbers;
    QList<int> values;
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        numbers << kFirstMappingParameter + f;
        values << m_channels[f].mapping;
    }
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        numbers << kFirstDirectionParameter + f;
        values << (m_channels[f].reverse ? kDirectionReversed : kDirectionNormal);
    }
    emit sigUploading();
    emit m_manager->sg_uploadSettings(ORVInteractiveCommandManager::PROTOCOL_PARAMETERCHANNELUPLOAD,
                                      numbers, values);
}

void JoyStickDevice::downloadConfig()
{
    QList<int> numbers;
    for (int n = kFirstMappingParameter; n < kFirstDirectionParameter + CHANNEL_MAX; ++n)
        numbers << n;
    emit sigDownloading();
    emit m_manager->sg_downloadSettings(ORVInteractiveCommandManager::PROTOCOL_PARAMETERCHANNELDOWNLOAD,
                                        numbers);
}

bool JoyStickDevice::loadDefaultConfig()
{
    if (!m_instrumentConfig)
        return false;
    const QString path = m_instrumentConfig->defaultsFilePath();
    if (!QFileInfo(path).isFile())
        return false;
    QSettings defaults(path, QSettings::IniFormat);
    if (defaults.status() != QSettings::NoError)
        return false;
    const QString group = m_instrumentConfig->getControllerString();
    // Without a known control input there is no group to read from.
    if (group.isEmpty())
        return false;

    auto key = [&group](int number) { return group + "/" + InstrumentConfig::defaultsKey(number); };

    // TTL and CAN carry commands, not receiver channels, so there is no mapping to restore.
    const bool reloadMapping = m_instrumentConfig->canReloadControllerMapping();
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        m_channels[f].mapping = reloadMapping
            ? short(defaults.value(key(kFirstMappingParameter + f), f).toInt())
            : short(0);
    }
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        const int direction = defaults.value(key(kFirstDirectionParameter + f), kDirectionNormal).toInt();
        m_channels[f].reverse = direction != kDirectionNormal;
    }
    return true;
}

void JoyStickDevice::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                     int result, int, QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_GETVERSION:
        if (result == 0)
            downloadConfig();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERCHANNELUPLOAD:
        if (result == 0) {
            emit sigRefreshMapping();
            emit sigUploadSucceed();
        } else {
            emit sigUploadFailed();
        }
        emit sigUploadFinish();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERCHANNELDOWNLOAD:
        if (result == 0) {
            storeDownloadedRecord(appendData);
            emit sigDownloadSucceed();
            emit sigRefreshMapping();
        } else {
            emit sigDownloadFailed();
        }
        emit sigDownloadFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_CRADLEDATAB:
        // A truncated record is dropped whole rather than half applied.
        if (!storeTelemetry(appendData))
            break;
        emit sigRefreshValue();
        emit sigRefreshStatus();
        break;
    default:
        break;
    }
}

// Read by parameter number; entries the record does not hold in full are skipped.
void JoyStickDevice::storeDownloadedRecord(const QByteArray& record)
{
    for (const ParameterRecord::Entry& entry : ParameterRecord::decode(record)) {
        const int number = entry.number;
        const short value = entry.value;
        if (number >= kFirstMappingParameter && number < kFirstMappingParameter + CHANNEL_MAX)
            m_channels[number - kFirstMappingParameter].mapping = value;
        else if (number >= kFirstDirectionParameter && number < kFirstDirectionParameter + CHANNEL_MAX)
            m_channels[number - kFirstDirectionParameter].reverse = value != kDirectionNormal;
    }
}

bool JoyStickDevice::storeTelemetry(const QByteArray& block)
{
    const auto b = procedures::decodeTelemetryB(
        std::span(reinterpret_cast<const uint8_t*>(block.constData()), size_t(block.size())));
    if (!b)
        return false;
    for (int f = 0; f < CHANNEL_MAX; ++f) {
        m_channels[f].value = short(b->inputs[size_t(f)]);
        m_channels[f].output = b->outputs[size_t(f)];
    }
    m_channels[CHANNEL_MODE].status = b->modeStatus;
    m_channels[CHANNEL_RECORD].status = b->recordStatus;
    m_channels[CHANNEL_ZOOM].status = b->zoomStatus;
    m_lostControl = b->signalLost;
    return true;
}
