#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "ORVInteractiveCommandManager.h"
#include "PidTunning.h"
#include "SignalRecorder.h"

using Manager = ORVInteractiveCommandManager;
using P = PidTunning;

namespace {

constexpr int kParameterCount = P::DefUnKnow;

QString urlOf(const QString& path)
{
    return QUrl::fromLocalFile(path).toString();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QList<int> valuesOf(P& pid)
{
    QList<int> values;
    for (int i = 0; i < kParameterCount; ++i)
        values << pid.getTunningValue(P::PidParameterIndex(i));
    return values;
}

QList<int> repeated(int value)
{
    return QVector<int>(kParameterCount, value).toList();
}

} // namespace

class TestPidTunning : public QObject
{
    Q_OBJECT

    Manager* m_manager = nullptr;
    P* m_pid = nullptr;
    SignalRecorder m_recorder;  // the controller's signals and the requests it makes, in one order
    QTemporaryDir m_dir;

    QStringList seen() const
    {
        QStringList names = m_recorder.names();
        names.removeAll("sg_protocolCommandResult");
        return names;
    }

    void reply(Manager::ProtocolCommandEnum command, int result, const QByteArray& data = {})
    {
        emit m_manager->sg_protocolCommandResult(command, result, result, QString(), data);
    }

    void resetValues(int value)
    {
        for (int i = 0; i < kParameterCount; ++i)
            m_pid->setTunningValue(P::PidParameterIndex(i), value);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_manager = Manager::instance();
        disconnect(m_manager, &Manager::sg_cardleUploadTunningValue, nullptr, nullptr);
        disconnect(m_manager, &Manager::sg_cardleDownloadTunninValue, nullptr, nullptr);
        m_pid = new P(this);
        m_recorder.watch(m_pid);
        m_recorder.watch(m_manager);
    }

    void init()
    {
        resetValues(100);
        m_recorder.clear();
    }

    void freshObjectHoldsTheDefault()
    {
        P fresh;
        QCOMPARE(valuesOf(fresh), repeated(100));
        QCOMPARE(fresh.property("p_defalutValue").toInt(), 100);
        QCOMPARE(QMetaEnum::fromType<P::PidParameterIndex>().keyToValue("DefKrPsi"), 35);
    }

    void uploadSendsEveryValueInIndexOrder()
    {
        for (int i = 0; i < kParameterCount; ++i)
            m_pid->setTunningValue(P::PidParameterIndex(i), 50 + i);
        QSignalSpy requests(m_manager, &Manager::sg_cardleUploadTunningValue);
        m_pid->uploadConfig();
        QCOMPARE(seen(), QStringList({"sigUploading", "sg_cardleUploadTunningValue"}));
        QCOMPARE(requests.at(0).at(0).value<Manager::ProtocolCommandEnum>(),
                 Manager::PROTOCOL_PARAMETERTUNNINGUPLOAD);
        const QList<int> sent = requests.at(0).at(1).value<QList<int>>();
        QCOMPARE(sent.size(), kParameterCount);
        QCOMPARE(sent.first(), 50);
        QCOMPARE(sent.last(), 50 + kParameterCount - 1);
    }

    void uploadReplies_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("success") << 0 << QStringList({"sigUploadSucceed", "sigUploadFinished"});
        QTest::newRow("not started") << 14 << QStringList({"sigUploadFailed", "sigUploadFinished"});
    }

    void uploadReplies()
    {
        QFETCH(int, result);
        QFETCH(QStringList, expected);
        reply(Manager::PROTOCOL_PARAMETERTUNNINGUPLOAD, result);
        QCOMPARE(seen(), expected);
        QCOMPARE(valuesOf(*m_pid), repeated(100));
    }

    void downloadStoresUnsignedBytes()
    {
        QSignalSpy requests(m_manager, &Manager::sg_cardleDownloadTunninValue);
        m_pid->downloadConfig();
        QCOMPARE(seen(), QStringList({"sigDownloading", "sg_cardleDownloadTunninValue"}));
        QCOMPARE(requests.at(0).at(0).value<Manager::ProtocolCommandEnum>(),
                 Manager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);

        QByteArray block(40, '\0');
        for (int i = 0; i < kParameterCount; ++i)
            block[i] = char(60 + i);
        block[P::DefKxId] = char(0xFF);
        block[38] = char(0x11);  // the two spare bytes are not parameters
        block[39] = char(0x22);
        m_recorder.clear();
        reply(Manager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD, 0, block);
        QCOMPARE(seen(), QStringList({"sigDownloadSucceed", "sigDownloadFinished"}));
        QCOMPARE(m_pid->getTunningValue(P::DefKxId), 255);
        QCOMPARE(m_pid->getTunningValue(P::DefIxId), 61);
        QCOMPARE(m_pid->getTunningValue(P::DefMaxPsiRef), 60 + kParameterCount - 1);
    }

    void failedOrShortDownloadKeepsValues_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("failed") << 3 << QByteArray();
        QTest::newRow("failed with data") << 1 << QByteArray(40, '\x07');
        // A block too short to hold all 38 values is a failed download, not a partial one.
        QTest::newRow("short block") << 0 << QByteArray(kParameterCount - 1, '\x07');
        QTest::newRow("empty block") << 0 << QByteArray();
    }

    void failedOrShortDownloadKeepsValues()
    {
        QFETCH(int, result);
        QFETCH(QByteArray, data);
        reply(Manager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD, result, data);
        QCOMPARE(seen(), QStringList({"sigDownloadFailed", "sigDownloadFinished"}));
        QCOMPARE(valuesOf(*m_pid), repeated(100));
    }

    void otherCommandsAreIgnored()
    {
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            const auto command = Manager::ProtocolCommandEnum(commands.value(i));
            if (command == Manager::PROTOCOL_PARAMETERTUNNINGUPLOAD
                || command == Manager::PROTOCOL_PARAMETERTUNNINGDOWNLOAD)
                continue;
            reply(command, i % 2, QByteArray(52, '\x07'));
        }
        QCOMPARE(seen(), QStringList());
        QCOMPARE(valuesOf(*m_pid), repeated(100));
    }

    void saveNeedsAnExistingFile()
    {
        const QString path = m_dir.filePath("missing.ini");
        QVERIFY(!m_pid->saveTunningValue(urlOf(path)));
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!m_pid->saveTunningValue(QString()));
    }

    void saveWritesAllKeysAndKeepsOthers()
    {
        const QString path = m_dir.filePath("keep.ini");
        writeFile(path, "[General]\nNote=tuned on the bench\nDefKxId=7\n[Other]\nKey=1\n");
        m_pid->setTunningValue(P::DefKxId, 150);
        m_pid->setTunningValue(P::DefMaxPsiRef, 199);
        QVERIFY(m_pid->saveTunningValue(urlOf(path)));
        QCOMPARE(seen(), QStringList());

        QSettings file(path, QSettings::IniFormat);
        QCOMPARE(file.childKeys().size(), kParameterCount + 1);
        QCOMPARE(file.value("DefKxId").toString(), QString("150"));
        QCOMPARE(file.value("DefMaxPsiRef").toString(), QString("199"));
        QCOMPARE(file.value("DefKeTheta").toString(), QString("100"));
        QCOMPARE(file.value("Note").toString(), QString("tuned on the bench"));
        QCOMPARE(file.value("Other/Key").toInt(), 1);
        QVERIFY(!file.contains("DefUnKnow"));
    }

    void savedFileLoadsBack()
    {
        const QString path = m_dir.filePath("roundtrip.ini");
        writeFile(path, "");
        for (int i = 0; i < kParameterCount; ++i)
            m_pid->setTunningValue(P::PidParameterIndex(i), 50 + 4 * i);
        const QList<int> saved = valuesOf(*m_pid);
        QVERIFY(m_pid->saveTunningValue(urlOf(path)));

        P other;
        QSignalSpy changed(&other, &P::sigTunningValueChanged);
        QVERIFY(other.loadTunningValue(urlOf(path)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(valuesOf(other), saved);
    }

    void loadFillsMissingKeysWithTheDefault()
    {
        const QString path = m_dir.filePath("one.ini");
        writeFile(path, "[General]\nDefKxId=5\nDefIxId=fast\n");
        resetValues(42);
        QVERIFY(m_pid->loadTunningValue(urlOf(path)));
        QCOMPARE(seen(), QStringList({"sigTunningValueChanged"}));
        QCOMPARE(m_pid->getTunningValue(P::DefKxId), 5);
        QCOMPARE(m_pid->getTunningValue(P::DefIxId), 0);  // not a number
        QCOMPARE(m_pid->getTunningValue(P::DefMaxXIdOut), 100);
        QCOMPARE(m_pid->getTunningValue(P::DefMaxPsiRef), 100);
    }

    void loadRefusesWhatItCannotRead()
    {
        resetValues(42);
        QVERIFY(!m_pid->loadTunningValue(urlOf(m_dir.filePath("absent.ini"))));
        QVERIFY(!m_pid->loadTunningValue(urlOf(m_dir.path())));  // a folder, not a file
        // A plain path is not a file URL, which is what the file dialog delivers.
        const QString path = m_dir.filePath("plain.ini");
        writeFile(path, "[General]\nDefKxId=5\n");
        QVERIFY(!m_pid->loadTunningValue(path));
        QCOMPARE(seen(), QStringList());
        QCOMPARE(valuesOf(*m_pid), repeated(42));
    }

    void outOfRangeIndexIsHarmless()
    {
        m_pid->setTunningValue(P::DefUnKnow, 7);
        m_pid->setTunningValue(P::PidParameterIndex(-1), 7);
        QCOMPARE(m_pid->getTunningValue(P::DefUnKnow), 0);
        QCOMPARE(valuesOf(*m_pid), repeated(100));
    }
};

QTEST_GUILESS_MAIN(TestPidTunning)
#include "tst_pidtunning.moc"
