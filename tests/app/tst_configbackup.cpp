// Configuration backups through the worker and BackupController, against the scripted library:
// a backup restored writes the saved values, a bad file writes nothing, and an upgrade saves the
// configuration before it writes anything and names the file when it ends.
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

#include "BackupController.h"
#include "Cradle.h"
#include "ORVFirmware.h"
#include "ORVInteractiveCommandManager.h"
#include "ScriptedCradle.h"
#include "TestPackages.h"
#include "backup.h"

using M = ORVInteractiveCommandManager;
using namespace TestPackages;

namespace {

const QList<Unit> kUnits = {{1, 1, 7, 3}, {8, 2, 7, 12}};

// Values a gimbal can hold, different for each seed; the camera module stays, so backups fit.
QMap<int, quint16> parameterValues(int seed)
{
    const quint16 palettes[] = {0, 8, 10};
    QMap<int, quint16> values{{0, 4}, {1, quint16(1 + seed % 4)}, {2, quint16(1 + seed % 2)}, {3, quint16(1 + seed % 3)},
                              {4, palettes[seed % 3]}};
    for (int f = 0; f < 8; ++f) {
        values[5 + f] = quint16((seed + f) % 20);
        values[13 + f] = quint16(1 + (seed + f) % 2);
    }
    return values;
}

QByteArray configRecord(char seed)
{
    QByteArray record(CRADLE_CONFIG_RECORD_SIZE, '\0');
    for (int i = 0; i < record.size(); ++i)
        record[i] = char(seed + i);
    return record;
}

// The gimbal as the script plays it: versions, parameters and configuration that uploads change.
void scriptGimbal(int seed)
{
    ScriptedCradle::with([seed](ScriptedCradle::State& s) {
        s.versionRecord = versionReport(kUnits);
        s.parameterValues = parameterValues(seed);
        s.configRecord = configRecord(char(seed));
        s.storesWrites = true;
    });
}

int uploads()
{
    return ScriptedCradle::callCount("UploadCradleParameter") + ScriptedCradle::callCount("UploadCradleConfig");
}

} // namespace

class ConfigBackupTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        ScriptedCradle::install();
        controller = new BackupController;
    }
    void cleanup()
    {
        delete controller;
        ScriptedCradle::uninstall();
    }

    void backupThenRestoreWritesTheSavedValues()
    {
        scriptGimbal(5);
        QSignalSpy backedUp(controller, &BackupController::sigBackupSucceed);
        const QString path = dir.filePath("bench.json");
        controller->backupToFile(QUrl::fromLocalFile(path).toString());
        QVERIFY(controller->busy());
        QVERIFY(backedUp.wait(5000));
        QCOMPARE(backedUp.at(0).at(0).toString(), path);
        QVERIFY(!controller->busy());
        // The file is cradlectl's format: it reads it back whole.
        procedures::Backup saved;
        QVERIFY(procedures::loadBackup(path.toStdString(), saved).ok());
        QCOMPARE(int(saved.units.size()), 2);
        QCOMPARE(saved.parameters[12], quint16(12));

        // The gimbal is changed, then the backup is restored: its values are written and read back.
        scriptGimbal(40);
        QCOMPARE(uploads(), 0);
        QSignalSpy restored(controller, &BackupController::sigRestoreSucceed);
        controller->restoreFromFile(QUrl::fromLocalFile(path).toString());
        QVERIFY(restored.wait(5000));
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            QCOMPARE(s.parameterValues, parameterValues(5));
            QCOMPARE(s.configRecord.left(CRADLE_CONFIG_RECORD_SIZE), configRecord(5));
        });

        // A gimbal that does not keep what it is sent fails the read-back, naming the value.
        scriptGimbal(40);
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.storesWrites = false; });
        QSignalSpy failed(controller, &BackupController::sigRestoreFailed);
        controller->restoreFromFile(path);
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.at(0).at(0).toInt(), int(BackupController::RESTORE_READBACK_DIFFERS));
        QVERIFY2(failed.at(0).at(1).toString().contains("parameter 1 reads 1, not 2"),
                 qPrintable(failed.at(0).at(1).toString()));
    }

    void badFileWritesNothingAndSaysSo_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QTest::newRow("not JSON") << QByteArray("{ broken") << "not JSON";
        QTest::newRow("foreign") << QByteArray(R"({"format": "something-else"})") << "not a configuration backup";
        const std::string good = procedures::backupToJson(procedures::Backup{});
        QByteArray shortParameters = QByteArray::fromStdString(good);
        shortParameters.replace("\"parameters\": [\n    0,", "\"parameters\": [\n");
        QTest::newRow("20 parameters") << shortParameters << "21 values";
        QByteArray outOfRange = QByteArray::fromStdString(good);
        outOfRange.replace("\"config\": [\n    0,", "\"config\": [\n    256,");
        QTest::newRow("byte out of range") << outOfRange << "configuration byte 0";
        QTest::newRow("missing file") << QByteArray() << "cannot be read";
        // Well-formed, but camera module 0 is no value to write onto a gimbal.
        QTest::newRow("value no gimbal can hold") << QByteArray::fromStdString(good) << "camera module";
    }

    void badFileWritesNothingAndSaysSo()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        scriptGimbal(5);
        const QString path = dir.filePath(QStringLiteral("bad-%1.json").arg(QTest::currentDataTag()).replace(' ', '_'));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QSignalSpy failed(controller, &BackupController::sigRestoreFailed);
        controller->restoreFromFile(path);
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.at(0).at(0).toInt(), int(BackupController::RESTORE_FILE_UNUSABLE));
        QVERIFY2(failed.at(0).at(1).toString().contains(says), qPrintable(failed.at(0).at(1).toString()));
        QCOMPARE(ScriptedCradle::calls(), QStringList());
    }

    void upgradeSavesTheConfigurationFirstAndNamesTheFile()
    {
        scriptGimbal(5);
        const QByteArray image = imageOf(600, 3);
        const QString package =
            QUrl(writeFile(dir, "pack.bin", TestPackages::package({{8, 8, 1, image}}, ~quint64(0)))).toLocalFile();
        ORVFirmware unit(8, 2, QStringLiteral("7.12"));
        ORVFirmware::ImageHeader header{};
        const quint32 length = quint32(image.size());
        std::memcpy(header.data() + 12, &length, sizeof length);
        unit.setImageHeader(header);
        unit.setImageStart(32);
        unit.setPackagePath(package);
        unit.setWantUpdate(true);

        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        QSignalSpy finished(controller, &BackupController::sigUpgradeFinishedWithBackup);
        M::instance()->upgradeFirmwareSingle(&unit);
        QVERIFY(finished.wait(10000));
        // Read first, written after: the backup's calls come before the unit's request.
        QCOMPARE(ScriptedCradle::calls(),
                 QStringList({"UnitVersionInfo", "DownloadCradleParameter", "DownloadCradleParameter",
                              "DownloadCradleConfig", "UpdateFirmRequest", "WriteFirm", "SendStartFsApp"}));
        QStringList order;
        QString reported;
        for (const QList<QVariant>& args : results) {
            const auto command = args.at(0).value<M::ProtocolCommandEnum>();
            if (command == M::PROTOCOL_UPGRADEBACKUP)
                reported = args.at(3).toString();
            if (command == M::PROTOCOL_UPGRADEBACKUP || command == M::PROTOCOL_UPDATEFIRM)
                order << QStringLiteral("%1 %2").arg(int(command)).arg(args.at(1).toInt());
        }
        QCOMPARE(order, QStringList({"20 0", "0 0"}));
        const QString path = finished.at(0).at(0).toString();
        QCOMPARE(path, reported);
        QCOMPARE(controller->upgradeBackupPath(), path);
        // Named by time and the versions the units ran before the upgrade, in the program's data folder.
        QCOMPARE(QFileInfo(path).absolutePath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QVERIFY2(QFileInfo(path).fileName().startsWith("auto-backup-"), qPrintable(path));
        QVERIFY2(path.endsWith("-IFB7.3-MZ7.12.json"), qPrintable(path));
        procedures::Backup saved;
        QVERIFY(procedures::loadBackup(path.toStdString(), saved).ok());
        QVERIFY(saved.automatic);

        // The offer after the upgrade: its backup goes back onto the gimbal.
        scriptGimbal(40);
        QSignalSpy restored(controller, &BackupController::sigRestoreSucceed);
        controller->restoreUpgradeBackup();
        QVERIFY(restored.wait(5000));
        QCOMPARE(ScriptedCradle::with([](ScriptedCradle::State& s) { return s.parameterValues; }), parameterValues(5));
        QFile::remove(path);
    }

    void upgradeWithoutABackupWritesNothing()
    {
        scriptGimbal(5);
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.versionResult = CRADLE_E_NO_REPLY; });
        ORVFirmware unit(8, 2, QStringLiteral("7.12"));
        unit.setWantUpdate(true);
        QList<ORVFirmware*> list = {&unit};
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        QSignalSpy failed(controller, &BackupController::sigUpgradeBackupFailed);
        M::instance()->upgradeFirmware(&list);
        QVERIFY(failed.wait(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty()
                                     && results.last().at(0).value<M::ProtocolCommandEnum>() == M::PROTOCOL_UPDATEFIRM,
                                 5000);
        QCOMPARE(results.last().at(1).toInt(), 1);
        QCOMPARE(results.last().at(3).toString(), QStringLiteral("no backup, nothing written"));
        QCOMPARE(ScriptedCradle::callCount("UpdateFirmRequest"), 0);
        QCOMPARE(ScriptedCradle::callCount("WriteFirm"), 0);
        QVERIFY(controller->upgradeBackupPath().isEmpty());
    }

    // Units that cannot answer parameter reads: the technician's explicit choice lets one upgrade go
    // without a backup; the next one takes its backup again.
    void upgradeWithoutBackupWhenChosen()
    {
        scriptGimbal(5);
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.parameterResult = CRADLE_E_NO_REPLY; });
        ORVFirmware unit(8, 2, QStringLiteral("7.12"));
        unit.setWantUpdate(true);
        unit.setPackagePath(dir.filePath("absent.bin"));
        QList<ORVFirmware*> list = {&unit};
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        auto upgradeEnds = [&] {
            return QTest::qWaitFor([&] {
                return !results.isEmpty() && results.last().at(0).value<M::ProtocolCommandEnum>() == M::PROTOCOL_UPDATEFIRM;
            }, 5000);
        };
        M::instance()->upgradeFirmware(&list);
        QVERIFY(upgradeEnds());
        QVERIFY(controller->upgradeBackupFailed());
        QCOMPARE(ScriptedCradle::callCount("UpdateFirmRequest"), 0);

        results.clear();
        controller->upgradeWithoutBackup();
        M::instance()->upgradeFirmware(&list);
        QVERIFY(upgradeEnds());
        QVERIFY(!controller->upgradeBackupFailed());
        QCOMPARE(ScriptedCradle::callCount("UpdateFirmRequest"), 1);
        // Only the first upgrade tried to read.
        QCOMPARE(ScriptedCradle::callCount("DownloadCradleParameter"), 1);
        QVERIFY(controller->upgradeBackupPath().isEmpty());

        results.clear();
        M::instance()->upgradeFirmware(&list);
        QVERIFY(upgradeEnds());
        QVERIFY(controller->upgradeBackupFailed());
        QCOMPARE(ScriptedCradle::callCount("UpdateFirmRequest"), 1);
    }

    // cradlectl computes the program's data folder by hand; both must name the same place.
    void dataFolderIsTheOneCradlectlUses()
    {
        QTemporaryDir home;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QStandardPaths::setTestModeEnabled(false);
        QCoreApplication::setOrganizationName(QStringLiteral("Tiltmate"));
        QCoreApplication::setApplicationName(QStringLiteral("Tiltmate"));
        const QString program = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QStringLiteral("tst_configbackup"));
        const QString tool = QString::fromStdString(procedures::dataFolder());
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(tool, program);
    }

private:
    QTemporaryDir dir;
    BackupController* controller = nullptr;
};

QTEST_GUILESS_MAIN(ConfigBackupTest)

#include "tst_configbackup.moc"
