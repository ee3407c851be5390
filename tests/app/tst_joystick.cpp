#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "Cradle.h"
#include "InstrumentConfig.h"
#include "JoyStickDevice.h"
#include "ORVInteractiveCommandManager.h"
#include "SignalRecorder.h"

using Manager = ORVInteractiveCommandManager;
using J = JoyStickDevice;

namespace {

constexpr int kFunctions = J::CHANNEL_MAX;

// A download reply as the worker packs it: count, parameter numbers, little-endian values.
QByteArray parameterRecord(const QList<QPair<int, int>>& entries, int count = -1)
{
    QByteArray record(CRADLE_PARAM_RECORD_SIZE, '\0');
    record[CRADLE_PARAM_COUNT_OFFSET] = char(count < 0 ? entries.size() : count);
    for (int i = 0; i < entries.size(); ++i) {
        record[CRADLE_PARAM_NUMBERS_OFFSET + i] = char(entries[i].first);
        qToLittleEndian<qint16>(qint16(entries[i].second), record.data() + CRADLE_PARAM_VALUES_OFFSET + 2 * i);
    }
    return record;
}

// Inputs 1000 + 100 f, outputs f - 4, statuses 1 (mode), 2 (recording), 126 (zoom), receiver lost.
QByteArray telemetryRecord()
{
    QByteArray block(CRADLE_TELEMETRY_B_SIZE, '\0');
    for (int f = 0; f < kFunctions; ++f) {
        qToLittleEndian<quint16>(quint16(1000 + 100 * f), block.data() + 1 + 2 * f);
        block[17 + f] = char(f - 4);
    }
    block[25] = char(1);
    block[26] = char(2);
    block[27] = char(126);
    block[28] = char(0x55);
    block[29] = char(0x55);
    block[30] = char(1);
    return block;
}

QList<int> mappingsOf(J& device)
{
    QList<int> list;
    for (int f = 0; f < kFunctions; ++f)
        list << device.getChannelMapping(J::JoyStickChannelFunc(f));
    return list;
}

QList<bool> reversesOf(J& device)
{
    QList<bool> list;
    for (int f = 0; f < kFunctions; ++f)
        list << device.getChannelReverse(J::JoyStickChannelFunc(f));
    return list;
}

void setMappings(J& device, const QList<int>& mappings, const QList<bool>& reverses = {})
{
    for (int f = 0; f < kFunctions; ++f)
        device.setChannelConfig(J::JoyStickChannelFunc(f), short(mappings[f]),
                                reverses.isEmpty() ? false : reverses[f]);
}

const QList<int> kIdentity = {0, 1, 2, 3, 4, 5, 6, 7};
const QList<bool> kNoneReversed = QVector<bool>(kFunctions, false).toList();

template <class T>
QList<T> filled(T value)
{
    return QVector<T>(kFunctions, value).toList();
}

} // namespace

class TestJoyStickDevice : public QObject
{
    Q_OBJECT

    Manager* m_manager = nullptr;
    InstrumentConfig* m_instrument = nullptr;
    J* m_device = nullptr;
    SignalRecorder m_recorder;  // the device's signals and the requests it makes, in one order
    QSignalSpy* m_uploads = nullptr;
    QSignalSpy* m_downloads = nullptr;
    QTemporaryDir m_dir;
    QString m_defaults;

    QStringList seen() const
    {
        QStringList names = m_recorder.names();
        names.removeAll("sg_protocolCommandResult");
        return names;
    }

    void clearAll()
    {
        m_recorder.clear();
        m_uploads->clear();
        m_downloads->clear();
    }

    void reply(Manager::ProtocolCommandEnum command, int result, const QByteArray& data = {})
    {
        emit m_manager->sg_protocolCommandResult(command, result, result, QString(), data);
    }

    void writeDefaults(const QByteArray& content)
    {
        QFile file(m_defaults);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_defaults = m_dir.filePath("default.ini");
        m_manager = Manager::instance();
        disconnect(m_manager, &Manager::sg_uploadSettings, nullptr, nullptr);
        disconnect(m_manager, &Manager::sg_downloadSettings, nullptr, nullptr);

        m_instrument = new InstrumentConfig(this);
        m_instrument->setDefaultsFilePath(m_defaults);
        // Only the receiver device is under test; the instrument's own reactions stay out of the log.
        disconnect(m_manager, nullptr, m_instrument, nullptr);
        m_device = new J(this);
        m_device->setInstrumentConfig(m_instrument);

        m_recorder.watch(m_device);
        m_recorder.watch(m_manager);
        m_uploads = new QSignalSpy(m_manager, &Manager::sg_uploadSettings);
        m_downloads = new QSignalSpy(m_manager, &Manager::sg_downloadSettings);
    }

    void init()
    {
        setMappings(*m_device, kIdentity);
        m_instrument->setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, 4);
        m_instrument->setInstrumentValue(InstrumentConfig::TYPE_NACELLECTL, 0);
        QFile::remove(m_defaults);
        clearAll();
    }

    void cleanupTestCase()
    {
        delete m_uploads;
        delete m_downloads;
    }

    void freshDeviceMapsEachFunctionToItsOwnChannel()
    {
        J fresh;
        QCOMPARE(mappingsOf(fresh), kIdentity);
        QCOMPARE(reversesOf(fresh), kNoneReversed);
        // Published as int: QML turns an 8-bit property into a character.
        QCOMPARE(fresh.property("p_defalutValue").userType(), int(QMetaType::Int));
        QCOMPARE(fresh.property("p_defalutValue").toInt(), 0);
        QVERIFY(!fresh.getChannelLostCtl());
        QCOMPARE(QMetaEnum::fromType<J::JoyStickChannelFunc>().keyToValue("CHANNEL_NOLIMIT"), 23);
        // Without an instrument configuration there is no control input to restore.
        QVERIFY(!fresh.loadDefaultConfig());
    }

    void duplicateChannelCheck_data()
    {
        QTest::addColumn<QList<int>>("mappings");
        QTest::addColumn<int>("mechanism");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("allowed");
        const QList<int> shared = {0, 1, 2, 3, 4, 5, 6, 6};
        const QList<int> modeOnPitch = {1, 1, 2, 3, 4, 5, 6, 7};
        const QList<int> outOfRange = {20, 20, -1, -1, 4, 5, 6, 7};
        QTest::newRow("palette shares, plain camera") << shared << 1 << int(J::CHANNEL_NOLIMIT) << true;
        QTest::newRow("palette shares, thermal 770K") << shared << 4 << int(J::CHANNEL_NOLIMIT) << false;
        QTest::newRow("palette shares, fixed focus") << shared << 5 << int(J::CHANNEL_NOLIMIT) << false;
        QTest::newRow("mode on pitch, mode left out") << modeOnPitch << 4 << int(J::CHANNEL_MODE_DISABLE) << true;
        QTest::newRow("mode on pitch, all checked") << modeOnPitch << 4 << int(J::CHANNEL_MODE) << false;
        QTest::newRow("mode on pitch, no check") << modeOnPitch << 4 << int(J::CHANNEL_DISABLE) << true;
        QTest::newRow("yaw on shot, mode left out") << QList<int>{0, 1, 3, 3, 4, 5, 6, 7} << 4
                                                    << int(J::CHANNEL_MODE_DISABLE) << false;
        QTest::newRow("channels outside 0-19 not counted") << outOfRange << 4 << int(J::CHANNEL_NOLIMIT) << true;
        QTest::newRow("distinct") << kIdentity << 4 << int(J::CHANNEL_NOLIMIT) << true;
    }

    void duplicateChannelCheck()
    {
        QFETCH(QList<int>, mappings);
        QFETCH(int, mechanism);
        QFETCH(int, mode);
        QFETCH(bool, allowed);
        setMappings(*m_device, mappings);
        m_instrument->setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, short(mechanism));
        QCOMPARE(m_device->canUploadChannelConfig(J::JoyStickChannelFunc(mode)), allowed);
    }

    void uploadSendsMappingsThenDirections()
    {
        setMappings(*m_device, {9, 8, 7, 6, 5, 4, 3, 19}, {true, false, false, false, false, false, false, true});
        m_device->uploadConfig();
        QCOMPARE(seen(), QStringList({"sigUploading", "sg_uploadSettings"}));
        const QVariantList request = m_uploads->at(0);
        QCOMPARE(request.at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_PARAMETERCHANNELUPLOAD);
        QList<int> numbers;
        for (int n = 5; n <= 20; ++n)
            numbers << n;
        QCOMPARE(request.at(1).value<QList<int>>(), numbers);
        QCOMPARE(request.at(2).value<QList<int>>(),
                 QList<int>({9, 8, 7, 6, 5, 4, 3, 19, 2, 1, 1, 1, 1, 1, 1, 2}));
    }

    void uploadReplies()
    {
        reply(Manager::PROTOCOL_PARAMETERCHANNELUPLOAD, 0);
        QCOMPARE(seen(), QStringList({"sigRefreshMapping", "sigUploadSucceed", "sigUploadFinish"}));
        clearAll();
        reply(Manager::PROTOCOL_PARAMETERCHANNELUPLOAD, 14);
        QCOMPARE(seen(), QStringList({"sigUploadFailed", "sigUploadFinish"}));
    }

    void downloadStoresByParameterNumber()
    {
        m_device->downloadConfig();
        QCOMPARE(seen(), QStringList({"sigDownloading", "sg_downloadSettings"}));
        QCOMPARE(m_downloads->at(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD);
        QCOMPARE(m_downloads->at(0).at(1).value<QList<int>>().size(), 16);
        QCOMPARE(m_downloads->at(0).at(1).value<QList<int>>().first(), 5);
        QCOMPARE(m_downloads->at(0).at(1).value<QList<int>>().last(), 20);

        clearAll();
        reply(Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD, 0, parameterRecord({{13, 2}, {8, 9}, {3, 11}, {21, 1}}));
        QCOMPARE(seen(), QStringList({"sigDownloadSucceed", "sigRefreshMapping", "sigDownloadFinished"}));
        QCOMPARE(mappingsOf(*m_device), QList<int>({0, 1, 2, 9, 4, 5, 6, 7}));
        QList<bool> reversed = kNoneReversed;
        reversed[J::CHANNEL_MODE] = true;
        QCOMPARE(reversesOf(*m_device), reversed);
    }

    void downloadReadsOnlyWhatTheRecordHolds()
    {
        // The count claims more entries than a record can hold, and the record itself is cut short.
        QByteArray record = parameterRecord({{5, 10}, {6, 11}, {7, 12}}, 200);
        reply(Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD, 0, record.left(CRADLE_PARAM_VALUES_OFFSET + 4));
        QCOMPARE(mappingsOf(*m_device), QList<int>({10, 11, 2, 3, 4, 5, 6, 7}));
        reply(Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD, 0, QByteArray());
        QCOMPARE(mappingsOf(*m_device), QList<int>({10, 11, 2, 3, 4, 5, 6, 7}));
    }

    void failedDownloadChangesNothing()
    {
        reply(Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD, 1, parameterRecord({{5, 10}, {13, 2}}));
        QCOMPARE(seen(), QStringList({"sigDownloadFailed", "sigDownloadFinished"}));
        QCOMPARE(mappingsOf(*m_device), kIdentity);
        QCOMPARE(reversesOf(*m_device), kNoneReversed);
    }

    void versionQueryTriggersDownload()
    {
        reply(Manager::PROTOCOL_GETVERSION, 1, QByteArray(CRADLE_VERSION_RECORD_SIZE, '\0'));
        QCOMPARE(seen(), QStringList());
        reply(Manager::PROTOCOL_GETVERSION, 0, QByteArray(CRADLE_VERSION_RECORD_SIZE, '\0'));
        QCOMPARE(seen(), QStringList({"sigDownloading", "sg_downloadSettings"}));
    }

    void decodesTelemetryRecordB()
    {
        m_device->setChannelStatus(J::CHANNEL_SHOT, 33);
        reply(Manager::PROTOCOL_CRADLEDATAB, 0, telemetryRecord());
        QCOMPARE(seen(), QStringList({"sigRefreshValue", "sigRefreshStatus"}));
        for (int f = 0; f < kFunctions; ++f) {
            const auto func = J::JoyStickChannelFunc(f);
            QCOMPARE(m_device->getChannelValue(func), short(1000 + 100 * f));
            QCOMPARE(m_device->getChannelOutput(func), short(f - 4));
        }
        QCOMPARE(m_device->getChannelStatus(J::CHANNEL_MODE), short(1));
        QCOMPARE(m_device->getChannelStatus(J::CHANNEL_RECORD), short(2));
        QCOMPARE(m_device->getChannelStatus(J::CHANNEL_ZOOM), short(126));
        QCOMPARE(m_device->getChannelStatus(J::CHANNEL_SHOT), short(33));  // not reported, kept
        QCOMPARE(m_device->getChannelStatusString(J::CHANNEL_ZOOM), QString("1.26"));
        QVERIFY(m_device->getChannelLostCtl());

        QByteArray block = telemetryRecord();
        block[17] = char(0xFF);
        block[30] = char(0);
        reply(Manager::PROTOCOL_CRADLEDATAB, 0, block);
        QCOMPARE(m_device->getChannelOutput(J::CHANNEL_MODE), short(-1));
        QVERIFY(!m_device->getChannelLostCtl());
    }

    void truncatedTelemetryIsDropped()
    {
        reply(Manager::PROTOCOL_CRADLEDATAB, 0, telemetryRecord());
        clearAll();
        QByteArray block(CRADLE_TELEMETRY_B_SIZE - 1, '\x09');
        reply(Manager::PROTOCOL_CRADLEDATAB, 0, block);
        reply(Manager::PROTOCOL_CRADLEDATAB, 0, QByteArray());
        QCOMPARE(seen(), QStringList());
        QCOMPARE(m_device->getChannelValue(J::CHANNEL_BAFFLE), short(1700));
        QVERIFY(m_device->getChannelLostCtl());
    }

    void otherCommandsAreIgnored()
    {
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            const auto command = Manager::ProtocolCommandEnum(commands.value(i));
            if (command == Manager::PROTOCOL_GETVERSION || command == Manager::PROTOCOL_PARAMETERCHANNELUPLOAD
                || command == Manager::PROTOCOL_PARAMETERCHANNELDOWNLOAD
                || command == Manager::PROTOCOL_CRADLEDATAB)
                continue;
            reply(command, i % 2, parameterRecord({{5, 10}, {13, 2}}));
        }
        QCOMPARE(seen(), QStringList());
        QCOMPARE(mappingsOf(*m_device), kIdentity);
        QCOMPARE(reversesOf(*m_device), kNoneReversed);
    }

    void defaultsFollowTheControlInput_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<QList<int>>("mappings");
        QTest::addColumn<QList<bool>>("reverses");
        QTest::newRow("SBUS") << 0 << QList<int>({10, 11, 12, 13, 14, 15, 16, 17})
                              << QList<bool>({true, false, false, false, false, false, false, false});
        // Missing keys fall back to the function's own channel and the normal direction.
        QTest::newRow("PPM") << 1 << QList<int>({7, 1, 2, 3, 4, 5, 6, 0})
                             << QList<bool>({false, true, false, false, false, false, false, false});
        QTest::newRow("TTL") << 2 << filled(0)
                             << QList<bool>({false, false, true, false, false, false, false, false});
        QTest::newRow("CAN") << 3 << filled(0)
                             << QList<bool>({false, false, false, false, false, false, false, true});
    }

    void defaultsFollowTheControlInput()
    {
        QFETCH(int, input);
        QFETCH(QList<int>, mappings);
        QFETCH(QList<bool>, reverses);
        writeDefaults("[General]\nParam2=1\n"
                      "[SBUS]\nParam5=10\nParam6=11\nParam7=12\nParam8=13\nParam9=14\nParam10=15\n"
                      "Param11=16\nParam12=17\nParam13=2\nParam14=1\n"
                      "[PPM]\nParam5=7\nParam12=0\nParam14=2\n"
                      "[TTL]\nParam5=3\nParam6=4\nParam15=2\n"
                      "[CAN]\nParam5=5\nParam20=0\n");
        setMappings(*m_device, {19, 18, 17, 16, 15, 14, 13, 12}, filled(true));
        m_instrument->setInstrumentValue(InstrumentConfig::TYPE_NACELLECTL, short(input));
        QVERIFY(m_device->loadDefaultConfig());
        QCOMPARE(mappingsOf(*m_device), mappings);
        QCOMPARE(reversesOf(*m_device), reverses);
        QCOMPARE(seen(), QStringList());
    }

    void defaultsNeedAFileAndAKnownInput()
    {
        setMappings(*m_device, {19, 18, 17, 16, 15, 14, 13, 12});
        QVERIFY(!m_device->loadDefaultConfig());
        writeDefaults("[SBUS]\nParam5=1\n");
        m_instrument->setInstrumentValue(InstrumentConfig::TYPE_NACELLECTL, 7);
        QVERIFY(!m_device->loadDefaultConfig());
        QCOMPARE(mappingsOf(*m_device), QList<int>({19, 18, 17, 16, 15, 14, 13, 12}));
    }

    void deliveredDefaultsAreUsable()
    {
        const QString delivered = QFINDTESTDATA("../../app/default.ini");
        QVERIFY(!delivered.isEmpty());
        m_instrument->setDefaultsFilePath(delivered);
        for (int input = 0; input < 4; ++input) {
            m_instrument->setInstrumentValue(InstrumentConfig::TYPE_NACELLECTL, short(input));
            QVERIFY(m_device->loadDefaultConfig());
            QCOMPARE(reversesOf(*m_device), kNoneReversed);
            if (input < 2)
                QVERIFY(m_device->canUploadChannelConfig(J::CHANNEL_NOLIMIT));
            else
                QCOMPARE(mappingsOf(*m_device), filled(0));
        }
        m_instrument->setDefaultsFilePath(m_defaults);
    }
};

QTEST_GUILESS_MAIN(TestJoyStickDevice)
#include "tst_joystick.moc"
