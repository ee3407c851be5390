// The program's last step: deleting the manager stops the worker and joins its thread, letting a
// command in progress finish, so no library call is left running while the process exits.
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <cstring>
#include <thread>

#include "ORVFirmware.h"
#include "ORVInteractiveCommandManager.h"
#include "ScriptedCradle.h"
#include "TestPackages.h"

using M = ORVInteractiveCommandManager;

class CommandShutdownTest : public QObject
{
    Q_OBJECT
private slots:
    void deletingTheManagerJoinsItsWorker()
    {
        ScriptedCradle::install();
        QTemporaryDir dir;
        const QByteArray image = TestPackages::imageOf(64, 7);
        const QString path = QUrl(TestPackages::writeFile(
                                      dir, "pack.bin", TestPackages::package({{1, 1, 0, image}}, ~0ULL)))
                                 .toLocalFile();
        ORVFirmware record(1, 1, QStringLiteral("1.0"));
        ORVFirmware::ImageHeader header{};
        const quint32 length = quint32(image.size());
        std::memcpy(header.data() + 12, &length, sizeof length);
        record.setImageHeader(header);
        record.setImageStart(32);
        record.setPackagePath(path);

        M* manager = M::instance();
        QPointer<QThread> workerThread = manager->findChild<QThread*>();
        QVERIFY(workerThread && workerThread->isRunning());

        // The port is open, so the poll runs, and an upgrade is in the middle of its write.
        QSignalSpy results(manager, &M::sg_protocolCommandResult);
        emit manager->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QStringLiteral("ttyGIMBAL"));
        QVERIFY(results.wait(5000));
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.holdWrites = true; });
        manager->upgradeFirmwareSingle(&record);
        QVERIFY(ScriptedCradle::waitForHeldWrite(5000));
        std::thread release(&ScriptedCradle::releaseWrites);

        delete manager;
        release.join();
        QVERIFY(workerThread.isNull());
        // The upgrade ran to its end before the thread was joined.
        QCOMPARE(ScriptedCradle::calls().mid(1),
                 QStringList({"UnitVersionInfo", "DownloadCradleParameter", "DownloadCradleParameter",
                              "DownloadCradleConfig", "UpdateFirmRequest", "WriteFirm", "SendStartFsApp", "UnitVersionInfo"}));
        ScriptedCradle::uninstall();
    }
};

QTEST_GUILESS_MAIN(CommandShutdownTest)
#include "tst_commandshutdown.moc"
