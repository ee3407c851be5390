// The firmware controller against a scripted library: version queries and their retries, the
// port's open and close, progress, and whole upgrades from a package built here.
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cstring>

#include "FirmwareController.h"
#include "InstrumentConfig.h"
#include "ORVFirmware.h"
#include "ScriptedCradle.h"
#include "SignalRecorder.h"
#include "TestPackages.h"

using M = ORVInteractiveCommandManager;
using namespace TestPackages;

namespace {
constexpr quint64 kMaskForCode4 = 1ULL << 3;
const QList<Unit> kFourUnits = {{1, 3, 1, 0}, {2, 3, 1, 1}, {4, 3, 1, 2}, {8, 3, 7, 12}};
// The automatic configuration backup every upgrade reads before it writes anything.
const QStringList kBackupReads = {"UnitVersionInfo", "DownloadCradleParameter", "DownloadCradleParameter",
                                  "DownloadCradleConfig"};
}

class FirmwareControllerTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    InstrumentConfig* instrument = nullptr;
    FirmwareController* controller = nullptr;
    SignalRecorder* recorder = nullptr;
    QByteArray ifbImage = imageOf(700, 11);
    QByteArray mzImage = imageOf(1500, 22);

    ORVFirmware* unit(quint8 id) { return controller->getFirmware(qint8(id)); }

    bool waitFor(const QString& name, int timeoutMs = 10000)
    {
        QSignalSpy spy(recorder, &SignalRecorder::recorded);
        QElapsedTimer timer;
        timer.start();
        while (!recorder->names().contains(name)) {
            if (timer.elapsed() > timeoutMs || !spy.wait(int(timeoutMs - timer.elapsed())))
                return recorder->names().contains(name);
        }
        return true;
    }

    void fillList() { controller->st_serial_event(M::PROTOCOL_GETVERSION, 0, 0, {}, versionReport(kFourUnits)); }

    void loadIfbAndMz()
    {
        fillList();
        const QByteArray bytes = package({{1, 2, 0, ifbImage}, {8, 8, 1, mzImage}}, kMaskForCode4);
        controller->unpackFileFirmware(writeFile(dir, "pack.bin", bytes));
        QVERIFY(controller->canUpdateFirm());
        recorder->clear();
    }

    // Waits on the table's own change notifications until the unit's row shows the status.
    bool waitForStatus(quint8 id, qint32 status, int timeoutMs)
    {
        QSignalSpy rows(controller->firmwareListModel(), &QAbstractItemModel::dataChanged);
        QDeadlineTimer deadline(timeoutMs);
        while (!(unit(id) && unit(id)->getUpgradeStatus() == status)) {
            if (deadline.hasExpired() || !rows.wait(int(deadline.remainingTime())))
                return unit(id) && unit(id)->getUpgradeStatus() == status;
        }
        return true;
    }

    QStringList upgradeTexts(const QSignalSpy& results)
    {
        QStringList texts;
        for (const QList<QVariant>& args : results) {
            if (args.at(0).value<M::ProtocolCommandEnum>() == M::PROTOCOL_UPDATEFIRM)
                texts << QStringLiteral("%1 %2").arg(args.at(1).toInt()).arg(args.at(3).toString());
        }
        return texts;
    }

private slots:
    void init()
    {
        ScriptedCradle::install();
        instrument = new InstrumentConfig();
        instrument->setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, 4);
        controller = new FirmwareController();
        controller->setInstrumentConfig(instrument);
        recorder = new SignalRecorder(controller);
        recorder->watch(controller);
    }
    void cleanup()
    {
        delete controller;
        delete instrument;
        ScriptedCradle::uninstall();
    }

    void silentGimbalGetsFiveQueries()
    {
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.versionResult = 2; });
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, "ttyGIMBAL");
        QVERIFY(waitFor("sigGetVersionFailed"));
        QCOMPARE(ScriptedCradle::callCount("UnitVersionInfo"), 5);
        QCOMPARE(recorder->names(), QStringList({"sigGetVersionFailed"}));
        // Once at five, a manual query that fails reports at once.
        recorder->clear();
        controller->getVersion();
        QVERIFY(waitFor("sigGetVersionFailed"));
        QCOMPARE(ScriptedCradle::callCount("UnitVersionInfo"), 6);

        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QVERIFY(waitFor("sigFirmclosed"));
        // With the port closed a failure is silent.
        recorder->clear();
        controller->st_serial_event(M::PROTOCOL_GETVERSION, 1, 2, {}, QByteArray(187, '\0'));
        QCOMPARE(recorder->names(), QStringList());
    }

    void successAfterFourFailuresFillsTheList()
    {
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.versionFailures = 4;
            s.versionRecord = versionReport({{1, 3, 1, 0}, {8, 5, 7, 12}, {3, 1, 0, 1}});
        });
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, "ttyGIMBAL");
        QVERIFY(waitFor("sigGetVersionSuccessed"));
        QCOMPARE(recorder->names(), QStringList({"sigGetVersionSuccessed"}));
        QCOMPARE(ScriptedCradle::callCount("UnitVersionInfo"), 5);
        FirmwareListModel* model = controller->firmwareListModel();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->data(model->index(2), 257).toString(), QStringLiteral("UNKNOWN:3"));
        QCOMPARE(controller->getAppVersion(FirmwareController::UNIT_MZ), QStringLiteral("7.12"));
        QCOMPARE(int(controller->getHardwareVersion(FirmwareController::UNIT_MZ)), 5);
        QCOMPARE(controller->getAppVersion(FirmwareController::UNIT_MY), QStringLiteral("--"));
        QCOMPARE(int(controller->getHardwareVersion(FirmwareController::UNIT_MY)), 0);
        QVERIFY(!controller->getFirmware(FirmwareController::UNIT_MY));

        // The count goes on from four.
        recorder->clear();
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.versionFailures = 1; });
        controller->getVersion();
        QVERIFY(waitFor("sigGetVersionFailed"));
        QCOMPARE(ScriptedCradle::callCount("UnitVersionInfo"), 6);

        // A failed close still empties the list.
        recorder->clear();
        controller->st_serial_event(M::PROTOCOL_SERIALPORTCLOSE, 1, 0, {}, {});
        QCOMPARE(recorder->names(), QStringList({"sigFirmclosed"}));
        QCOMPARE(model->rowCount(), 0);
        recorder->clear();
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QVERIFY(waitFor("sigFirmclosed"));
    }

    void versionReportIsBounded()
    {
        controller->st_serial_event(M::PROTOCOL_GETVERSION, 0, 0, {}, versionReport({}, 0));
        QCOMPARE(controller->firmwareListModel()->rowCount(), 0);
        QList<Unit> many;
        for (int k = 0; k < 31; ++k)
            many.append({quint8(k + 1), 1, 1, 0});
        controller->st_serial_event(M::PROTOCOL_GETVERSION, 0, 0, {}, versionReport(many, 255));
        QCOMPARE(controller->firmwareListModel()->rowCount(), 31);
        controller->st_serial_event(M::PROTOCOL_GETVERSION, 0, 0, {}, versionReport(many, 40).left(13));
        QCOMPARE(controller->firmwareListModel()->rowCount(), 2);
        QCOMPARE(recorder->names(), (QStringList() << "sigGetVersionSuccessed" << "sigGetVersionSuccessed" << "sigGetVersionSuccessed"));
    }

    void progressFollowsTheUnit()
    {
        loadIfbAndMz();
        controller->st_moduleUpgradeProgressChanged(8, 99.6);
        QCOMPARE(unit(8)->getUpgradeStatus(), 99);
        QVERIFY(unit(8)->getWantUpdate());
        controller->st_moduleUpgradeProgressChanged(8, 100.0);
        QCOMPARE(unit(8)->getUpgradeStatus(), -1);
        QCOMPARE(unit(8)->getAppVersion(), QStringLiteral("8.1"));
        QVERIFY(!unit(8)->getWantUpdate());
        controller->st_moduleUpgradeProgressChanged(16, 50.0);
        QCOMPARE(unit(1)->getUpgradeStatus(), 0);
        QCOMPARE(recorder->names(), QStringList());
    }

    void upgradeWritesEachMarkedUnitThenStartsTheApplication()
    {
        loadIfbAndMz();
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        // Progress reports and the final result, in the order they arrive. Each write may finish
        // (writing 100) only once a report names its unit: the manager has taken the module's
        // announcement by then, so its reset cannot clear the 100.
        QStringList events;
        QObject context;
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.writePermits = 0; });
        connect(M::instance(), &M::sg_moduleUpgradeProgressChanged, &context, [&events](qint8 unitId, double percent) {
            events << QStringLiteral("%1:%2").arg(unitId).arg(percent);
            ScriptedCradle::with([unitId](ScriptedCradle::State& s) {
                if (s.writeWaiting && s.writtenImages.last().first == unitId) {
                    s.writeWaiting = false;
                    ++s.writePermits;
                    ScriptedCradle::changed().notify_all();
                }
            });
        });
        connect(M::instance(), &M::sg_protocolCommandResult, &context, [&events](M::ProtocolCommandEnum command) {
            if (command == M::PROTOCOL_UPDATEFIRM)
                events << QStringLiteral("final");
        });
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(recorder->names(), QStringList({"sigFileUpgradeStart", "sigFileUpgradeFinished"}));
        QCOMPARE(upgradeTexts(results), QStringList({"0 rebooting>>>"}));
        QCOMPARE(ScriptedCradle::calls(), kBackupReads + QStringList({"UpdateFirmRequest", "WriteFirm", "UpdateFirmRequest",
                                                                      "WriteFirm", "SendStartFsApp"}));
        const auto written = ScriptedCradle::with([](ScriptedCradle::State& s) { return s.writtenImages; });
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[0].first, 1);
        QCOMPARE(written[0].second, ifbImage);
        QCOMPARE(written[1].first, 8);
        QCOMPARE(written[1].second, mzImage);
        // Each write is followed by a one-second pause, so the 500 ms timer reports every written
        // unit at 100 before the final result.
        const QStringList beforeFinal = events.mid(0, events.indexOf(QStringLiteral("final")));
        QVERIFY2(events.contains(QStringLiteral("final")), qPrintable(events.join(' ')));
        QVERIFY2(beforeFinal.contains(QStringLiteral("1:100")), qPrintable(events.join(' ')));
        QVERIFY2(beforeFinal.contains(QStringLiteral("8:100")), qPrintable(events.join(' ')));
        // Each unit's first report reads 0, not a 100 left over from the unit before.
        for (const int id : {1, 8}) {
            const QString unitPrefix = QStringLiteral("%1:").arg(id);
            const auto first = std::find_if(events.cbegin(), events.cend(), [&](const QString& e) { return e.startsWith(unitPrefix); });
            QVERIFY(first != events.cend());
            QCOMPARE(*first, unitPrefix + "0");
        }
        QCOMPARE(unit(1)->getUpgradeStatus(), -1);
        QCOMPARE(unit(1)->getAppVersion(), QStringLiteral("2.0"));
        QCOMPARE(unit(8)->getUpgradeStatus(), -1);
        QCOMPARE(unit(2)->getUpgradeStatus(), 0);
        QVERIFY(!controller->canUpdateFirm());
    }

    // Rows only move forward, and every written unit passes 100 % before its final state.
    void progressReachesEveryWrittenUnitAndNeverGoesBack()
    {
        loadIfbAndMz();
        FirmwareListModel* model = controller->firmwareListModel();
        QHash<quint8, QList<int>> shown;
        QObject watching;
        connect(model, &QAbstractItemModel::dataChanged, &watching, [&] {
            for (int row = 0; row < model->rowCount(); ++row) {
                QList<int>& statuses = shown[model->firmwareList()->at(row)->getUnitId()];
                const int status = model->data(model->index(row), FirmwareListModel::UpgradeStatusRole).toInt();
                if (statuses.isEmpty() || statuses.last() != status)
                    statuses.append(status);
            }
        });
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        for (quint8 id : {quint8(1), quint8(8)}) {
            const QList<int> statuses = shown.value(id);
            QVERIFY2(statuses.contains(100), qPrintable(QString::number(id)));
            QCOMPARE(statuses.last(), -1);
            for (int i = 1; i + 1 < statuses.size(); ++i)
                QVERIFY(statuses[i] >= statuses[i - 1]);
        }
    }

    // A pulled cable cuts the upgrade: unfinished rows fail at once, and after the reconnect the
    // package is still there to press update again.
    void disconnectCutsTheUpgradeAndKeepsThePackage()
    {
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.versionRecord = versionReport(kFourUnits); });
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, "ttyGIMBAL");
        QVERIFY(waitFor("sigGetVersionSuccessed"));
        controller->unpackFileFirmware(
            writeFile(dir, "pack.bin", package({{1, 2, 0, ifbImage}, {8, 8, 1, mzImage}}, kMaskForCode4)));
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.holdWrites = true; });
        controller->updateFirm();
        QVERIFY(ScriptedCradle::waitForHeldWrite(5000));

        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.lastError = 7;
            s.writeResult[1] = 1;
        });
        QVERIFY(waitForStatus(1, -2, 1000));
        QCOMPARE(unit(8)->getUpgradeStatus(), -2);
        recorder->clear();
        ScriptedCradle::releaseWrites();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(ScriptedCradle::callCount("UpdateFirmRequest"), 1);
        QCOMPARE(ScriptedCradle::callCount("SendStartFsApp"), 0);

        // The page answers the disconnect with a close; the rows keep their state and package.
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QVERIFY(waitFor("sigFirmclosed"));
        QCOMPARE(controller->firmwareListModel()->rowCount(), 4);
        for (quint8 id : {quint8(1), quint8(8)}) {
            QCOMPARE(unit(id)->getUpgradeStatus(), -2);
            QVERIFY(unit(id)->getWantUpdate());
        }

        recorder->clear();
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.lastError = 0;
            s.writeResult.clear();
        });
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, "ttyGIMBAL");
        QVERIFY(waitFor("sigFileInfoChanged"));
        QCOMPARE(recorder->names(), QStringList({"sigGetVersionSuccessed", "sigFileInfoChanged"}));
        QCOMPARE(unit(1)->getUpgradeStatus(), -2);
        QCOMPARE(unit(8)->getFileAppVersion(), QStringLiteral("8.1"));
        QVERIFY(!unit(2)->getWantUpdate());
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(unit(1)->getUpgradeStatus(), -1);
        QCOMPARE(unit(8)->getUpgradeStatus(), -1);
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QVERIFY(waitFor("sigFirmclosed"));
        QCOMPARE(controller->firmwareListModel()->rowCount(), 0);
    }

    // A unit without an image is never marked, and each queued upgrade reports its own units.
    void upgradeBookkeepingStaysPerUpgrade()
    {
        loadIfbAndMz();
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.holdWrites = true; });
        controller->updateFirm(FirmwareController::UNIT_IFB);
        QVERIFY(ScriptedCradle::waitForHeldWrite(5000));
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.writeResult[8] = 12; });
        controller->updateFirm(FirmwareController::UNIT_MZ);
        controller->updateFirm(FirmwareController::UNIT_MX);
        ScriptedCradle::releaseWrites();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        while (recorder->names().count("sigFileUpgradeFinished") < 3)
            QVERIFY(QSignalSpy(recorder, &SignalRecorder::recorded).wait(10000));
        QCOMPARE(unit(1)->getUpgradeStatus(), -1);
        QCOMPARE(unit(8)->getUpgradeStatus(), -2);
        QVERIFY(unit(8)->getWantUpdate());
        // MX has no image in the package: its attempt fails without marking it.
        QCOMPARE(unit(2)->getUpgradeStatus(), -2);
        QVERIFY(!unit(2)->getWantUpdate());

        // So the next full upgrade writes MZ and starts the application.
        ScriptedCradle::reset();
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        recorder->clear();
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(upgradeTexts(results), QStringList({"0 rebooting>>>"}));
        QCOMPARE(ScriptedCradle::calls(), kBackupReads + QStringList({"UpdateFirmRequest", "WriteFirm", "SendStartFsApp"}));
    }

    void failedWriteEndsAtFailed()
    {
        loadIfbAndMz();
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.writeResult[8] = 12; });
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(upgradeTexts(results), QStringList({"0 rebooting>>>"}));
        QCOMPARE(unit(1)->getUpgradeStatus(), -1);
        QCOMPARE(unit(8)->getUpgradeStatus(), -2);
        QCOMPARE(unit(8)->getAppVersion(), QStringLiteral("7.12"));
        QVERIFY(unit(8)->getWantUpdate());

        // One unit alone, refused and then failing: nothing is started.
        results.clear();
        recorder->clear();
        ScriptedCradle::reset();
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.requestResult[8] = 5; });
        controller->updateFirm(FirmwareController::UNIT_MZ);
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.requestResult.clear(); s.writeResult[8] = 10; });
        recorder->clear();
        controller->updateFirm(FirmwareController::UNIT_MZ);
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(recorder->names(), QStringList({"sigFileUpgradeFinished"}));
        QCOMPARE(upgradeTexts(results), QStringList({"0 no module upgrade", "0 no module upgrade"}));
        QCOMPARE(ScriptedCradle::callCount("SendStartFsApp"), 0);
        QCOMPARE(unit(8)->getUpgradeStatus(), -2);
    }

    void nothingSelectedWritesNothing()
    {
        fillList();
        recorder->clear();
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(recorder->names(), QStringList({"sigFileUpgradeStart", "sigFileUpgradeFinished"}));
        QCOMPARE(upgradeTexts(results), QStringList({"0 no module upgrade"}));
        QVERIFY(ScriptedCradle::calls().isEmpty());
    }

    void emptyImageWarnsAndIsNeverWritten()
    {
        fillList();
        controller->unpackFileFirmware(writeFile(dir, "empty.bin", package({{2, 1, 0, QByteArray()}}, kMaskForCode4)));
        QVERIFY(unit(2)->getWantUpdate());
        recorder->clear();
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        controller->updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        if (recorder->names().count("sigFileUpgradeFinished") < 2)
            QVERIFY(QSignalSpy(recorder, &SignalRecorder::recorded).wait(5000));
        QCOMPARE(recorder->names(),
                 QStringList({"sigFileUpgradeStart", "sigFileUpgradeFinished", "sigFileUpgradeFinished"}));
        QCOMPARE(upgradeTexts(results), QStringList({"2 failed to open temp file!", "0 no module upgrade"}));
        QCOMPARE(ScriptedCradle::callCount("WriteFirm"), 0);
        QCOMPARE(unit(2)->getUpgradeStatus(), -2);
    }

    void unreadableImageStopsTheUpgrade()
    {
        // Hand-made records: the first image is fine, the second's package has gone, the third
        // would be reached only if the upgrade went on.
        const QString good = QUrl(writeFile(dir, "good.bin", package({{1, 2, 0, ifbImage}}, kMaskForCode4))).toLocalFile();
        ORVFirmware::ImageHeader header{};
        const quint32 length = quint32(ifbImage.size());
        std::memcpy(header.data() + 12, &length, sizeof length);
        ORVFirmware first(1, 1, "1.0"), gone(2, 1, "1.0"), never(4, 1, "1.0");
        for (ORVFirmware* record : {&first, &gone, &never}) {
            record->setWantUpdate(true);
            record->setImageHeader(header);
            record->setImageStart(32);
            record->setPackagePath(good);
        }
        gone.setPackagePath(dir.filePath("missing.bin"));
        QList<ORVFirmware*> list = {&first, &gone, &never};
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        M::instance()->upgradeFirmware(&list);
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(upgradeTexts(results), QStringList({"1 failed to generate temp file!"}));
        QCOMPARE(ScriptedCradle::calls(), kBackupReads + QStringList({"UpdateFirmRequest", "WriteFirm", "UpdateFirmRequest"}));

        // An image that reaches past the end of its package is never written in part.
        ScriptedCradle::reset();
        results.clear();
        recorder->clear();
        ORVFirmware::ImageHeader longHeader{};
        const quint32 tooLong = length + 1;
        std::memcpy(longHeader.data() + 12, &tooLong, sizeof tooLong);
        first.setImageHeader(longHeader);
        M::instance()->upgradeFirmwareSingle(&first);
        QVERIFY(waitFor("sigFileUpgradeFinished"));
        QCOMPARE(upgradeTexts(results), QStringList({"1 failed to generate temp file!"}));
        QCOMPARE(ScriptedCradle::callCount("WriteFirm"), 0);
    }

    void listMayChangeWhileAnUpgradeRuns()
    {
        loadIfbAndMz();
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.holdWrites = true; });
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        controller->updateFirm();
        QVERIFY(ScriptedCradle::waitForHeldWrite(5000));
        // The port is closed and the records dropped while the first module is being written.
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        controller->clearFirmInfo();
        fillList();
        controller->unpackFileFirmware(writeFile(dir, "other.bin", package({{8, 9, 9, imageOf(64, 5)}}, kMaskForCode4)));
        ScriptedCradle::releaseWrites();
        QVERIFY(waitFor("sigFirmclosed"));
        QCOMPARE(recorder->names(), QStringList({"sigFileUpgradeStart", "sigGetVersionSuccessed", "sigFileInfoChanged",
                                                 "sigFileUpgradeFinished", "sigFirmclosed"}));
        QCOMPARE(upgradeTexts(results), QStringList({"0 rebooting>>>"}));
        const auto written = ScriptedCradle::with([](ScriptedCradle::State& s) { return s.writtenImages; });
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[1].second, mzImage);
        QCOMPARE(controller->firmwareListModel()->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(FirmwareControllerTest)
#include "tst_firmwarecontroller.moc"
