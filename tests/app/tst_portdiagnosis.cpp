// What the program finds at a port's path after a failed open, and how the finding travels from
// the worker to the controller. A port refused for permission is shown end to end (tests/e2e).
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Cradle.h"
#include "PortDiagnosis.h"

class PortDiagnosisTest : public QObject
{
    Q_OBJECT
private slots:
    void travelsWhole()
    {
        PortDiagnosis sent;
        sent.kind = PortDiagnosis::NoPermission;
        sent.path = QStringLiteral("/dev/ttyUSB0");
        sent.group = QStringLiteral("dialout");
        sent.user = QStringLiteral("tech");
        sent.mode = QStringLiteral("crw-rw----");
        sent.holder = QStringLiteral("minicom");
        sent.holderPid = 4711;
        sent.modemManager = true;
        const PortDiagnosis got = PortDiagnosis::fromBytes(sent.toBytes());
        QCOMPARE(got.kind, sent.kind);
        QCOMPARE(got.path, sent.path);
        QCOMPARE(got.group, sent.group);
        QCOMPARE(got.user, sent.user);
        QCOMPARE(got.mode, sent.mode);
        QCOMPARE(got.holder, sent.holder);
        QCOMPARE(got.holderPid, sent.holderPid);
        QCOMPARE(got.modemManager, true);
    }

    void damagedBytesSayUnknown_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        PortDiagnosis gone;
        gone.kind = PortDiagnosis::Gone;
        gone.path = QStringLiteral("/dev/ttyACM0");
        const QByteArray whole = gone.toBytes();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut short") << whole.left(whole.size() - 3);
        QTest::newRow("other layout") << QByteArray(1, char(99)) + whole.mid(1);
        QByteArray badKind = whole;
        badKind[1] = char(42);
        QTest::newRow("kind out of range") << badKind;
    }
    void damagedBytesSayUnknown()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(PortDiagnosis::fromBytes(bytes).kind, PortDiagnosis::Unknown);
    }

    void missingDeviceIsGone()
    {
        QTemporaryDir dir;
        const PortDiagnosis byPath = diagnoseOpenFailure(dir.filePath("ttyGIMBAL0"));
        QCOMPARE(byPath.kind, PortDiagnosis::Gone);
        QCOMPARE(byPath.path, dir.filePath("ttyGIMBAL0"));
        const PortDiagnosis byName = diagnoseOpenFailure(QStringLiteral("ttyNOSUCHPORT9"));
        QCOMPARE(byName.kind, PortDiagnosis::Gone);
        QCOMPARE(byName.path, QStringLiteral("/dev/ttyNOSUCHPORT9"));
    }

    void lockedPortIsInUse()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString device = QString::fromLocal8Bit(ptsname(master));
        const int holder = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        QVERIFY(holder >= 0);
        QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);  // as the library holds a port it opened

        const PortDiagnosis diagnosis = diagnoseOpenFailure(device);
        QCOMPARE(diagnosis.kind, PortDiagnosis::InUse);
        QCOMPARE(diagnosis.path, device);
        QVERIFY(!diagnosis.modemManager);  // not a ttyACM port

        ::close(holder);
        QCOMPARE(diagnoseOpenFailure(device).kind, PortDiagnosis::Unknown);  // free again: nothing to name
        ::close(master);
    }

    // A program that opened the port first and took no lock: the library refuses the port, and the
    // diagnosis names the program and its process id.
    void programHoldingThePortIsNamed()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QByteArray device = ptsname(master);
        int ready[2], release[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(release) == 0);
        const pid_t child = ::fork();  // exactly one, waited for below
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            ::prctl(PR_SET_NAME, "screen");
            const int fd = ::open(device.constData(), O_RDWR | O_NOCTTY);
            const char opened = fd >= 0 ? 1 : 0;
            [[maybe_unused]] ssize_t n = ::write(ready[1], &opened, 1);
            char byte;
            n = ::read(release[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char opened = 0;
        const bool childReady = ::read(ready[0], &opened, 1) == 1 && opened == 1;
        const PortDiagnosis diagnosis = diagnoseOpenFailure(QString::fromLocal8Bit(device), CRADLE_SERIAL_HELD_ELSEWHERE);
        ::close(release[1]);
        ::close(ready[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        ::close(master);
        QVERIFY(childReady);
        QCOMPARE(diagnosis.kind, PortDiagnosis::InUse);
        QCOMPARE(diagnosis.holder, QStringLiteral("screen"));
        QCOMPARE(diagnosis.holderPid, qint64(child));
    }
};

QTEST_GUILESS_MAIN(PortDiagnosisTest)
#include "tst_portdiagnosis.moc"
