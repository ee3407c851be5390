// The program's side of a package load (FirmwareController::unpackFileFirmware): which rows are
// marked and which signals the page gets. The reader's own cases are the engine's tests.
#include <QSignalSpy>
#include <QtTest>

#include "FirmwareController.h"
#include "firmware_package_format.h"
#include "InstrumentConfig.h"
#include "SignalRecorder.h"
#include "TestPackages.h"

using M = ORVInteractiveCommandManager;
using namespace TestPackages;

namespace {
constexpr quint64 kMaskForCode4 = 1ULL << 3;
const QStringList kAccepted = {"sigFileInfoChanged"};
const QStringList kRejected = {"sigWrongFirmFile", "sigFileInfoChanged"};
}

class FirmwarePackageTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    InstrumentConfig* instrument = nullptr;
    FirmwareController* controller = nullptr;
    SignalRecorder* recorder = nullptr;

    ORVFirmware* unit(quint8 id) { return controller->getFirmware(qint8(id)); }

    QStringList load(const QByteArray& bytes, const QString& name = QStringLiteral("pack.bin"))
    {
        recorder->clear();
        controller->unpackFileFirmware(writeFile(dir, name, bytes));
        return recorder->names();
    }

private slots:
    void init()
    {
        instrument = new InstrumentConfig();
        instrument->setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, 4);
        controller = new FirmwareController();
        controller->setInstrumentConfig(instrument);
        recorder = new SignalRecorder(controller);
        recorder->watch(controller);
        controller->st_serial_event(M::PROTOCOL_GETVERSION, 0, 0, QString(),
                                    versionReport({{1, 3, 1, 0}, {2, 3, 1, 0}, {4, 3, 1, 0}, {8, 3, 1, 0}}));
        recorder->clear();
    }
    void cleanup()
    {
        delete controller;
        delete instrument;
    }

    void acceptedPackageMarksItsUnits()
    {
        const QByteArray ifb = imageOf(300, 1), mz = imageOf(4096, 2);
        const QByteArray bytes = package({{1, 1, 0, ifb}, {8, 2, 15, mz}}, kMaskForCode4);
        QSignalSpy reset(controller->firmwareListModel(), &QAbstractItemModel::dataChanged);
        QCOMPARE(load(bytes), kAccepted);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(unit(1)->getFileAppVersion(), QStringLiteral("1.0"));
        QCOMPARE(unit(8)->getFileAppVersion(), QStringLiteral("2.15"));
        QVERIFY(unit(1)->getWantUpdate() && unit(8)->getWantUpdate());
        QCOMPARE(unit(2)->getFileAppVersion(), QStringLiteral("--"));
        QVERIFY(!unit(2)->getWantUpdate() && !unit(4)->getWantUpdate());
        QCOMPARE(unit(1)->getImageStart(), 32);
        QCOMPARE(unit(1)->imageLength(), 300u);
        // The next entry header follows the image with no gap.
        QCOMPARE(unit(8)->getImageStart(), 32 + 300 + 16);
        QCOMPARE(unit(8)->imageLength(), 4096u);
        QCOMPARE(bytes.mid(int(unit(8)->getImageStart()), 4096), mz);
        QCOMPARE(unit(8)->getPackagePath(), dir.filePath("pack.bin"));
        QVERIFY(controller->canUpdateFirm());
    }

    void headerProblemsAreReported()
    {
        const QByteArray good = package({{1, 1, 0, imageOf(10, 1)}}, kMaskForCode4);
        QByteArray wrongMagic = good;
        wrongMagic[3] = '\xEE';
        QCOMPARE(load(wrongMagic), QStringList());
        QCOMPARE(load(good.left(3)), QStringList());
        QCOMPARE(load(package({{1, 1, 0, imageOf(10, 1)}}, kMaskForCode4, QByteArray("\x00\x03\x00\x01", 4))), kRejected);
        QCOMPARE(load(good.left(6)), kRejected);
        QVERIFY(!controller->canUpdateFirm());
        // Not a file URL: the path is empty and nothing happens.
        recorder->clear();
        controller->unpackFileFirmware(dir.filePath("pack.bin"));
        QCOMPARE(recorder->names(), QStringList());
    }

    void compatibilityMaskDecides()
    {
        const QList<Image> images = {{1, 1, 0, imageOf(10, 1)}};
        QCOMPARE(load(package(images, 1ULL << 4)), kRejected);
        QVERIFY(!controller->canUpdateFirm());
        QCOMPARE(load(package(images, kMaskForCode4)), kAccepted);
        QVERIFY(controller->canUpdateFirm());
        // The mask's range (codes 1 to 64) is the engine's to test; here, that the code not yet read fails.
        instrument->setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, 0);
        QCOMPARE(load(package(images, ~0ULL)), kRejected);
    }

    void emptyPackageMarksNothing()
    {
        QCOMPARE(load(package({}, kMaskForCode4)), kAccepted);
        QVERIFY(!controller->canUpdateFirm());
        controller->clearFirmInfo();
        QCOMPARE(load(package({{1, 1, 0, imageOf(10, 1)}}, kMaskForCode4)), kAccepted);
        QCOMPARE(controller->firmwareListModel()->rowCount(), 0);
    }

    void incompleteEntriesAreNeverMarkedButNamed()
    {
        const QStringList incomplete = {"sigFirmwareEntryIncomplete", "sigFileInfoChanged"};
        QSignalSpy cut(controller, &FirmwareController::sigFirmwareEntryIncomplete);
        QSignalSpy large(controller, &FirmwareController::sigFirmwareEntryTooLarge);

        // The header of the second entry is cut short.
        QByteArray truncated = package({{1, 1, 0, imageOf(10, 1)}, {8, 1, 1, imageOf(10, 2)}}, kMaskForCode4);
        truncated.chop(10 + 8);
        QCOMPARE(load(truncated), incomplete);
        QVERIFY(unit(1)->getWantUpdate());
        QVERIFY(!unit(8)->getWantUpdate());
        QCOMPARE(cut.takeFirst().at(0).toString(), QStringLiteral("MZ"));

        // The image claims more bytes than the file holds.
        Image pastEnd{8, 3, 0, imageOf(100, 3), 101};
        QCOMPARE(load(package({{1, 1, 0, imageOf(10, 1)}, pastEnd}, kMaskForCode4)), incomplete);
        QVERIFY(unit(1)->getWantUpdate());
        QVERIFY(!unit(8)->getWantUpdate());
        QCOMPARE(unit(8)->getFileAppVersion(), QStringLiteral("--"));
        QCOMPARE(cut.takeFirst().at(0).toString(), QStringLiteral("MZ"));

        // One byte more than a firmware transfer carries is refused even when the file holds it,
        // and the reason names both sizes; the largest image that fits is offered.
        const qint64 limit = qint64(firmware_package::kMaxImageBytes);
        Image tooLarge{2, 3, 0, QByteArray(), limit + 1};
        Image largest{4, 3, 0, QByteArray(int(limit), '\x5A')};
        QCOMPARE(load(package({largest, tooLarge}, kMaskForCode4)),
                 QStringList({"sigFirmwareEntryTooLarge", "sigFileInfoChanged"}));
        QCOMPARE(large.takeFirst(), QVariantList({QStringLiteral("MX"), limit + 1, limit}));
        QVERIFY(!unit(2)->getWantUpdate());
        QVERIFY(unit(4)->getWantUpdate());

        // An entry for a unit the gimbal does not have is skipped without a word.
        QCOMPARE(load(package({{16, 1, 0, QByteArray()}}, kMaskForCode4)), kAccepted);
        QVERIFY(cut.isEmpty() && large.isEmpty());
    }

    void secondPackageReplacesTheFirst()
    {
        QCOMPARE(load(package({{1, 1, 0, imageOf(10, 1)}, {2, 1, 1, imageOf(10, 2)}}, kMaskForCode4), "a.bin"), kAccepted);
        QCOMPARE(load(package({{8, 4, 2, imageOf(20, 3)}}, kMaskForCode4), "b.bin"), kAccepted);
        QVERIFY(!unit(1)->getWantUpdate() && !unit(2)->getWantUpdate());
        QCOMPARE(unit(1)->getFileAppVersion(), QStringLiteral("--"));
        QCOMPARE(unit(8)->getFileAppVersion(), QStringLiteral("4.2"));
        QCOMPARE(unit(8)->getPackagePath(), dir.filePath("b.bin"));
        // Two entries for one unit: the later wins.
        QCOMPARE(load(package({{4, 1, 0, imageOf(10, 1)}, {4, 1, 9, imageOf(12, 2)}}, kMaskForCode4)), kAccepted);
        QCOMPARE(unit(4)->getFileAppVersion(), QStringLiteral("1.9"));
        QCOMPARE(unit(4)->imageLength(), 12u);
    }
};

QTEST_GUILESS_MAIN(FirmwarePackageTest)
#include "tst_firmwarepackage.moc"
