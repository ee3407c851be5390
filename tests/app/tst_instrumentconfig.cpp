#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "Cradle.h"
#include "InstrumentConfig.h"
#include "ORVInteractiveCommandManager.h"
#include "SignalRecorder.h"

using Manager = ORVInteractiveCommandManager;
using I = InstrumentConfig;

namespace {

// A download reply as the worker packs it: count, parameter numbers, little-endian values.
QByteArray parameterRecord(const QList<int>& values, int count = -1)
{
    QByteArray record(CRADLE_PARAM_RECORD_SIZE, '\0');
    record[CRADLE_PARAM_COUNT_OFFSET] = char(count < 0 ? values.size() : count);
    for (int i = 0; i < values.size(); ++i) {
        record[CRADLE_PARAM_NUMBERS_OFFSET + i] = char(i);
        qToLittleEndian<qint16>(qint16(values[i]), record.data() + CRADLE_PARAM_VALUES_OFFSET + 2 * i);
    }
    return record;
}

QList<int> valuesOf(I& config)
{
    QList<int> values;
    for (int k = 0; k < I::TYPE_MAX; ++k)
        values << config.getInstrumentValue(I::InstrumentType(k));
    return values;
}

void setValues(I& config, const QList<int>& values)
{
    for (int k = 0; k < values.size(); ++k)
        config.setInstrumentValue(I::InstrumentType(k), short(values[k]));
}

} // namespace

class TestInstrumentConfig : public QObject
{
    Q_OBJECT

    Manager* m_manager = nullptr;
    I* m_config = nullptr;
    SignalRecorder m_recorder;  // the controller's signals and the requests it makes, in one order
    QSignalSpy* m_uploads = nullptr;
    QSignalSpy* m_downloads = nullptr;
    QSignalSpy* m_firmUpdates = nullptr;
    QSignalSpy* m_ranges = nullptr;
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
        for (QSignalSpy* spy : {m_uploads, m_downloads, m_firmUpdates, m_ranges})
            spy->clear();
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
        disconnect(m_manager, &Manager::sg_cardleUpdateFirm, nullptr, nullptr);

        m_config = new I(this);
        m_config->setDefaultsFilePath(m_defaults);
        m_recorder.watch(m_config);
        m_recorder.watch(m_manager);
        m_uploads = new QSignalSpy(m_manager, &Manager::sg_uploadSettings);
        m_downloads = new QSignalSpy(m_manager, &Manager::sg_downloadSettings);
        m_firmUpdates = new QSignalSpy(m_manager, &Manager::sg_cardleUpdateFirm);
        m_ranges = new QSignalSpy(m_config, &I::sigInputChanged);
    }

    void init()
    {
        setValues(*m_config, {0, 0, 0, 0, 0});
        QFile::remove(m_defaults);
        clearAll();
    }

    void cleanupTestCase() { qDeleteAll(QList<QSignalSpy*>{m_uploads, m_downloads, m_firmUpdates, m_ranges}); }

    void listIndicesAndWireCodes()
    {
        QCOMPARE(m_config->mechanismToIndex(8), short(0));
        QCOMPARE(m_config->mechanismToIndex(9), short(8));
        QCOMPARE(m_config->mechanismToIndex(7), short(7));
        QCOMPARE(m_config->mechanismToIndex(-3), short(0));
        QCOMPARE(m_config->indexToMechanism(8), short(9));
        QCOMPARE(m_config->indexToMechanism(0), short(0));
        QCOMPARE(m_config->indexToMechanism(9), short(0));
        QCOMPARE(m_config->displayToIndex(8), short(1));
        QCOMPARE(m_config->displayToIndex(10), short(2));
        QCOMPARE(m_config->displayToIndex(5), short(0));
        QCOMPARE(m_config->indexToDisplay(2), short(10));
        QCOMPARE(m_config->indexToDisplay(3), short(0));  // out of the table
        QCOMPARE(m_config->controllerToIndex("CAN"), short(3));
        QCOMPARE(m_config->controllerToIndex("can"), short(0));
        QCOMPARE(m_config->indexToController(1), QString("PPM"));
        QCOMPARE(m_config->indexToController(4), QString());
    }

    void cameraModulePredicates_data()
    {
        // Columns: infrared, 770K family, 770W family, firmware update, supported.
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("flags");
        const QStringList table = {"00000", "10001", "00001", "00001", "11011",
                                   "01001", "00101", "00001", "00000", "00101", "00000"};
        for (int code = 0; code < table.size(); ++code)
            QTest::addRow("code %d", code) << code << table[code];
        QTest::newRow("negative") << -1 << QString("00000");
    }

    void cameraModulePredicates()
    {
        QFETCH(int, code);
        QFETCH(QString, flags);
        m_config->setInstrumentValue(I::TYPE_MECHANISM, short(code));
        const QString seen = QString("%1%2%3%4%5")
                                 .arg(int(m_config->isInfrared()))
                                 .arg(int(m_config->is770K()))
                                 .arg(int(m_config->is770W()))
                                 .arg(int(m_config->isFirmUpdateEnabled()))
                                 .arg(int(m_config->isSupportProduct()));
        QCOMPARE(seen, flags);
        QCOMPARE(m_config->property("enableFirmUpdate").toBool(), code == 4);
    }

    void controlInputQuestions()
    {
        const QStringList names = {"SBUS", "PPM", "TTL", "CAN"};
        for (int input = 0; input < names.size(); ++input) {
            m_config->setInstrumentValue(I::TYPE_NACELLECTL, short(input));
            QCOMPARE(m_config->getControllerString(), names[input]);
            QCOMPARE(m_config->isChannelEnabled(), input < 2);
            QCOMPARE(m_config->canReloadControllerMapping(), input < 2);
        }
    }

    void uploadSendsWireValues()
    {
        setValues(*m_config, {4, 1, 1, 2, 2});
        m_config->uploadConfig();
        QCOMPARE(seen(), QStringList({"typeMechanismChanged", "sigUploading", "sg_uploadSettings"}));
        const QVariantList request = m_uploads->at(0);
        QCOMPARE(request.at(0).value<Manager::ProtocolCommandEnum>(),
                 Manager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD);
        QCOMPARE(request.at(1).value<QList<int>>(), QList<int>({0, 1, 2, 3, 4}));
        QCOMPARE(request.at(2).value<QList<int>>(), QList<int>({4, 2, 2, 3, 10}));
    }

    void uploadMovesTheWideFamilyToCan()
    {
        setValues(*m_config, {6, 1, 0, 0, 0});  // PPM
        QSignalSpy forced(m_config, &InstrumentConfig::sigControlInputForced);
        m_config->uploadConfig();
        QCOMPARE(m_uploads->at(0).at(2).value<QList<int>>(), QList<int>({6, 4, 1, 1, 0}));
        QCOMPARE(m_config->getInstrumentValue(I::TYPE_NACELLECTL), short(3));
        // The page is told, so that the technician learns what was written instead of PPM.
        QCOMPARE(forced.size(), 1);
        QCOMPARE(forced.at(0), QVariantList({QVariant::fromValue(short(1)), QVariant::fromValue(short(3))}));

        clearAll();
        setValues(*m_config, {9, 2, 0, 0, 0});  // TTL already suits it
        m_config->uploadConfig();
        QCOMPARE(m_uploads->at(0).at(2).value<QList<int>>(), QList<int>({9, 3, 1, 1, 0}));
        QCOMPARE(m_config->getInstrumentValue(I::TYPE_NACELLECTL), short(2));
        QCOMPARE(forced.size(), 1);
    }

    void uploadReplies()
    {
        setValues(*m_config, {1, 0, 0, 0, 0});
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD, 0);
        QCOMPARE(seen(), QStringList({"sigRefreshValue", "sigInputChanged", "sigUploadSucceed",
                                       "typeMechanismChanged", "sigUploadFinished"}));
        QCOMPARE(m_ranges->at(0), QVariantList({QVariant::fromValue(short(1696)), QVariant::fromValue(short(352))}));

        clearAll();
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD, 2);
        QCOMPARE(seen(), QStringList({"sigUploadFailed", "sigUploadFinished"}));
        QCOMPARE(valuesOf(*m_config), QList<int>({1, 0, 0, 0, 0}));
    }

    void downloadStoresPageValues()
    {
        m_config->downloadConfig();
        QCOMPARE(seen(), QStringList({"sigDownloading", "sg_downloadSettings"}));
        QCOMPARE(m_downloads->at(0).at(0).value<Manager::ProtocolCommandEnum>(),
                 Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD);
        QCOMPARE(m_downloads->at(0).at(1).value<QList<int>>(), QList<int>({0, 1, 2, 3, 4}));

        clearAll();
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, 0, parameterRecord({9, 3, 2, 1, 10}));
        QCOMPARE(valuesOf(*m_config), QList<int>({9, 2, 1, 0, 2}));
        QCOMPARE(seen(), QStringList({"sigRefreshValue", "sigInputChanged", "sigDownloadSucceed",
                                       "typeMechanismChanged", "sigDownloadFinished"}));
        QCOMPARE(m_ranges->at(0), QVariantList({QVariant::fromValue(short(1940)), QVariant::fromValue(short(1100))}));
    }

    void downloadOfUnsupportedModuleWarns()
    {
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, 0, parameterRecord({8, 1, 1, 1, 0}));
        QCOMPARE(seen(), QStringList({"sigRefreshValue", "sigInputChanged", "sigDownloadSucceed",
                                       "typeMechanismChanged", "sigUnsupportMechanism",
                                       "sigDownloadFinished"}));
        QCOMPARE(m_config->getInstrumentValue(I::TYPE_MECHANISM), short(8));
    }

    void failedDownloadChangesNothing()
    {
        setValues(*m_config, {4, 1, 1, 1, 1});
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, 1, parameterRecord({9, 3, 2, 1, 10}));
        QCOMPARE(seen(), QStringList({"sigDownloadFailed", "sigDownloadFinished"}));
        QCOMPARE(valuesOf(*m_config), QList<int>({4, 1, 1, 1, 1}));
    }

    void downloadReadsOnlyWhatTheRecordHolds_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QList<int>>("expected");
        const QList<int> before = {4, 1, 1, 1, 1};
        QTest::newRow("count 2") << parameterRecord({2, 3, 2, 1, 10}, 2) << QList<int>({2, 2, 1, 1, 1});
        QTest::newRow("count 255") << parameterRecord({2, 3, 2, 1, 10}, 255) << QList<int>({2, 2, 1, 0, 2});
        QTest::newRow("cut after two values") << parameterRecord({2, 3, 2, 1, 10}).left(CRADLE_PARAM_VALUES_OFFSET + 4)
                                              << QList<int>({2, 2, 1, 1, 1});
        QTest::newRow("count only") << QByteArray(1, '\x05') << before;
        QTest::newRow("empty") << QByteArray() << before;
    }

    void downloadReadsOnlyWhatTheRecordHolds()
    {
        QFETCH(QByteArray, record);
        QFETCH(QList<int>, expected);
        setValues(*m_config, {4, 1, 1, 1, 1});
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, 0, record);
        QCOMPARE(valuesOf(*m_config), expected);
        QCOMPARE(seen().last(), QString("sigDownloadFinished"));
    }

    void inputRangesAtTheirLastValidAndFirstInvalidInputs_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("minimum");
        QTest::newRow("-1") << -1 << 0 << 0;
        QTest::newRow("0 SBUS") << 0 << 1696 << 352;
        QTest::newRow("1 PPM") << 1 << 1940 << 1100;
        QTest::newRow("2 TTL") << 2 << 1940 << 1100;
        QTest::newRow("3 CAN") << 3 << 1940 << 1100;
        QTest::newRow("4") << 4 << 0 << 0;
    }

    void inputRangesAtTheirLastValidAndFirstInvalidInputs()
    {
        QFETCH(int, input);
        QFETCH(int, maximum);
        QFETCH(int, minimum);
        QCOMPARE(int(m_config->getInputMaxValue(short(input))), maximum);
        QCOMPARE(int(m_config->getInputMinValue(short(input))), minimum);
    }

    void unknownControlInputHasNoRange()
    {
        // Control input 0 on the wire is not one of the four; it must not index past the tables.
        reply(Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, 0, parameterRecord({1, 0, 1, 1, 0}));
        QCOMPARE(m_config->getInstrumentValue(I::TYPE_NACELLECTL), short(-1));
        QCOMPARE(m_ranges->at(0), QVariantList({QVariant::fromValue(short(0)), QVariant::fromValue(short(0))}));
        QCOMPARE(m_config->getControllerString(), QString());
        QVERIFY(!m_config->isChannelEnabled());
    }

    void versionQueryTriggersDownload()
    {
        reply(Manager::PROTOCOL_GETVERSION, 1, QByteArray(CRADLE_VERSION_RECORD_SIZE, '\0'));
        QCOMPARE(seen(), QStringList());
        reply(Manager::PROTOCOL_GETVERSION, 0, QByteArray(CRADLE_VERSION_RECORD_SIZE, '\0'));
        QCOMPARE(seen(), QStringList({"sigDownloading", "sg_downloadSettings"}));
    }

    void moduleFirmwareUpdate()
    {
        m_config->updateMechanismFirm();
        QCOMPARE(seen(), QStringList({"sg_cardleUpdateFirm"}));
        QCOMPARE(m_firmUpdates->at(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CRADLEUPDATEFIRM);
        reply(Manager::PROTOCOL_CRADLEUPDATEFIRM, 0);
        QCOMPARE(seen().last(), QString("sigUpdateFirmSucceed"));
        reply(Manager::PROTOCOL_CRADLEUPDATEFIRM, 9);
        QCOMPARE(seen().last(), QString("sigUpdateFirmFailed"));
    }

    void otherCommandsAreIgnored()
    {
        setValues(*m_config, {4, 1, 1, 1, 1});
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            const auto command = Manager::ProtocolCommandEnum(commands.value(i));
            if (command == Manager::PROTOCOL_GETVERSION || command == Manager::PROTOCOL_PARAMETERINSTRUMENTUPLOAD
                || command == Manager::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD
                || command == Manager::PROTOCOL_CRADLEUPDATEFIRM)
                continue;
            reply(command, i % 2, parameterRecord({9, 3, 2, 1, 10}));
        }
        QCOMPARE(seen(), QStringList());
        QCOMPARE(valuesOf(*m_config), QList<int>({4, 1, 1, 1, 1}));
    }

    void defaultsRestoreMountingModeAndPalette()
    {
        setValues(*m_config, {4, 1, 1, 1, 1});
        QVERIFY(!m_config->loadDefaultConfig());  // no file
        QCOMPARE(valuesOf(*m_config), QList<int>({4, 1, 1, 1, 1}));

        writeDefaults("[General]\nParam2=2\nParam3=3\nParam4=2\n[SBUS]\nParam5=4\n");
        QVERIFY(m_config->loadDefaultConfig());
        QCOMPARE(valuesOf(*m_config), QList<int>({4, 1, 1, 2, 1}));

        writeDefaults("");
        QVERIFY(m_config->loadDefaultConfig());
        QCOMPARE(valuesOf(*m_config), QList<int>({4, 1, 0, 0, 0}));
        QCOMPARE(seen(), QStringList());
    }

    void deliveredDefaultsAreReadable()
    {
        const QString delivered = QFINDTESTDATA("../../app/default.ini");
        QVERIFY(!delivered.isEmpty());
        I config;
        config.setDefaultsFilePath(delivered);
        setValues(config, {4, 1, 1, 1, 1});
        QVERIFY(config.loadDefaultConfig());
        QCOMPARE(valuesOf(config), QList<int>({4, 1, 0, 0, 0}));
    }
};

QTEST_GUILESS_MAIN(TestInstrumentConfig)
#include "tst_instrumentconfig.moc"
