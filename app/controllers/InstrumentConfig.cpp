#include "InstrumentConfig.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include "ParameterRecord.h"

namespace {

// Camera module codes with a meaning of their own.
constexpr short kMechanismInfrared = 1;
constexpr short kMechanismInfraredThermometric = 4;
constexpr short kMechanismFixedFocus = 5;
constexpr short kMechanismInfraredWide = 6;
constexpr short kMechanismLastPlain = 7;
constexpr short kMechanismDualLight = 9;
constexpr short kDualLightListIndex = 8;

// Control input, mounting and mode go on the wire as index + 1.
constexpr short kWireIndexBias = 1;

} // namespace

QString InstrumentConfig::defaultsKey(int number)
{
    return QString("Param%1").arg(number);
}

InstrumentConfig::InstrumentConfig(QObject* parent)
    : QObject(parent)
    , m_pulseRanges{{1696, 352}, {1940, 1100}, {1940, 1100}, {1940, 1100}}
    , m_displayCodes{procedures::kPaletteCodes[0], procedures::kPaletteCodes[1], procedures::kPaletteCodes[2]}
    , m_controllerNames{"SBUS", "PPM", "TTL", "CAN"}
    , m_manager(ORVInteractiveCommandManager::instance())
{
    // The signatures name the enumeration unqualified; the alias lets queued calls and spies copy it.
    qRegisterMetaType<InstrumentConfig::InstrumentType>("InstrumentType");
    connect(m_manager, &ORVInteractiveCommandManager::sg_protocolCommandResult,
            this, &InstrumentConfig::st_serial_event);
}

QString InstrumentConfig::defaultsFilePath() const
{
    if (!m_defaultsFilePath.isEmpty())
        return m_defaultsFilePath;
    return QCoreApplication::applicationDirPath() + "/default.ini";
}

void InstrumentConfig::setDefaultsFilePath(const QString& path)
{
    m_defaultsFilePath = path;
}

bool InstrumentConfig::isFirmUpdateEnabled()
{
    return mechanism() == kMechanismInfraredThermometric;
}

void InstrumentConfig::updateMechanismFirm()
{
    emit m_manager->sg_cardleUpdateFirm(ORVInteractiveCommandManager::PROTOCOL_CRADLEUPDATEFIRM);
}

void InstrumentConfig::setInstrumentValue(InstrumentType index, short value)
{
    if (index >= 0 && index < TYPE_MAX)
        m_values[index] = value;
}

short InstrumentConfig::getInstrumentValue(InstrumentType index)
{
    return (index >= 0 && index < TYPE_MAX) ? m_values[index] : 0;
}

void InstrumentConfig::uploadConfig()
{
    QList<int> numbers;
    QList<int> values;

    numbers << TYPE_MECHANISM;
    values << mechanism();
    emit typeMechanismChanged();

    // That camera family is driven only over TTL or CAN; the switch is kept.
    if (is770W() && canReloadControllerMapping()) {
        const short chosen = m_values[TYPE_NACELLECTL];
        m_values[TYPE_NACELLECTL] = controllerToIndex("CAN");
        emit sigControlInputForced(chosen, m_values[TYPE_NACELLECTL]);
    }
    numbers << TYPE_NACELLECTL;
    values << m_values[TYPE_NACELLECTL] + kWireIndexBias;

    numbers << TYPE_NACELLEINSTALL << TYPE_MODE;
    values << m_values[TYPE_NACELLEINSTALL] + kWireIndexBias << m_values[TYPE_MODE] + kWireIndexBias;

    numbers << TYPE_DISPLAY;
    values << indexToDisplay(m_values[TYPE_DISPLAY]);

    emit sigUploading();
    emit m_manager->sg_uploadSettings(ORVInteractiveCommandManager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD,
                                      numbers, values);
}

void InstrumentConfig::downloadConfig()
{
    const QList<int> numbers{TYPE_MECHANISM, TYPE_NACELLECTL, TYPE_NACELLEINSTALL, TYPE_MODE,
                             TYPE_DISPLAY};
    emit sigDownloading();
    emit m_manager->sg_downloadSettings(
        ORVInteractiveCommandManager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, numbers);
}

bool InstrumentConfig::loadDefaultConfig()
{
    const QString path = defaultsFilePath();
    if (!QFileInfo(path).isFile())
        return false;
    QSettings defaults(path, QSettings::IniFormat);
    if (defaults.status() != QSettings::NoError)
        return false;
    for (int k : {TYPE_NACELLEINSTALL, TYPE_MODE, TYPE_DISPLAY})
        m_values[k] = short(defaults.value(defaultsKey(k), 1).toInt() - kWireIndexBias);
    return true;
}

bool InstrumentConfig::isInfrared()
{
    return mechanism() == kMechanismInfrared || mechanism() == kMechanismInfraredThermometric;
}

bool InstrumentConfig::is770K()
{
    return mechanism() == kMechanismInfraredThermometric || mechanism() == kMechanismFixedFocus;
}

bool InstrumentConfig::is770W()
{
    return mechanism() == kMechanismInfraredWide || mechanism() == kMechanismDualLight;
}

bool InstrumentConfig::isChannelEnabled()
{
    const short input = m_values[TYPE_NACELLECTL];
    return input == 0 || input == 1;
}

QString InstrumentConfig::getControllerString()
{
    return indexToController(m_values[TYPE_NACELLECTL]);
}

bool InstrumentConfig::canReloadControllerMapping()
{
    const QString controller = getControllerString();
    return controller != "TTL" && controller != "CAN";
}

bool InstrumentConfig::isSupportProduct()
{
    // The codes a gimbal can carry are the engine's, the same a restore checks against.
    return procedures::isCameraModuleCode(mechanism());
}

void InstrumentConfig::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                       int result, int, QString, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_GETVERSION:
        // A freshly connected gimbal answers its version first; then its settings are fetched.
        if (result == 0)
            downloadConfig();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD:
        if (result == 0) {
            emit sigRefreshValue();
            announceInputRange();
            emit sigUploadSucceed();
            emit typeMechanismChanged();
        } else {
            emit sigUploadFailed();
        }
        emit sigUploadFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD:
        if (result == 0) {
            storeDownloadedRecord(appendData);
            emit sigRefreshValue();
            announceInputRange();
            emit sigDownloadSucceed();
            emit typeMechanismChanged();
            if (!isSupportProduct())
                emit sigUnsupportMechanism();
        } else {
            emit sigDownloadFailed();
        }
        emit sigDownloadFinished();
        break;
    case ORVInteractiveCommandManager::PROTOCOL_CRADLEUPDATEFIRM:
        if (result != 0)
            emit sigUpdateFirmFailed();
        else
            emit sigUpdateFirmSucceed();
        break;
    default:
        break;
    }
}

short InstrumentConfig::displayToIndex(short display)
{
    for (short i = 0; i < kDisplayCount; ++i) {
        if (m_displayCodes[i] == display)
            return i;
    }
    return 0;
}

short InstrumentConfig::indexToDisplay(short index)
{
    return (index >= 0 && index < kDisplayCount) ? m_displayCodes[index] : m_displayCodes[0];
}

short InstrumentConfig::mechanismToIndex(short mechanism)
{
    if (mechanism >= kMechanismInfrared && mechanism <= kMechanismLastPlain)
        return mechanism;
    return mechanism == kMechanismDualLight ? kDualLightListIndex : 0;
}

short InstrumentConfig::indexToMechanism(short index)
{
    if (index >= kMechanismInfrared && index <= kMechanismLastPlain)
        return index;
    return index == kDualLightListIndex ? kMechanismDualLight : 0;
}

// An unknown control input (a gimbal may report one) has no name rather than a wild read.
QString InstrumentConfig::indexToController(short index)
{
    return (index >= 0 && index < kControllerCount) ? m_controllerNames[index] : QString();
}

short InstrumentConfig::controllerToIndex(QString controller)
{
    for (short i = 0; i < kControllerCount; ++i) {
        if (m_controllerNames[i] == controller)
            return i;
    }
    return 0;
}

short InstrumentConfig::getInputMaxValue(short controlInput)
{
    return controlInput >= 0 && controlInput < kControllerCount ? short(m_pulseRanges[controlInput].maximum) : 0;
}

short InstrumentConfig::getInputMinValue(short controlInput)
{
    return controlInput >= 0 && controlInput < kControllerCount ? short(m_pulseRanges[controlInput].minimum) : 0;
}

void InstrumentConfig::announceInputRange()
{
    const short input = m_values[TYPE_NACELLECTL];
    if (input < 0 || input >= kControllerCount) {
        emit sigInputChanged(0, 0);
        return;
    }
    emit sigInputChanged(short(m_pulseRanges[input].maximum), short(m_pulseRanges[input].minimum));
}

// Read by position: the reply answers the request 0 to 4 in order. Entries the record does not
// hold in full are left as they were.
void InstrumentConfig::storeDownloadedRecord(const QByteArray& record)
{
    const QList<ParameterRecord::Entry> entries = ParameterRecord::decode(record);
    for (int k = 0; k < entries.size() && k < TYPE_MAX; ++k) {
        const short value = entries[k].value;
        switch (k) {
        case TYPE_MECHANISM:
            m_values[k] = value;
            break;
        case TYPE_DISPLAY:
            m_values[k] = displayToIndex(value);
            break;
        default:
            m_values[k] = short(value - kWireIndexBias);
            break;
        }
    }
}
