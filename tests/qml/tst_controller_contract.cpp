// The QML tests drive the pages through stand-ins; this keeps the stand-ins honest. Every
// enumerator, signal and function a stand-in offers (bar its own test helpers) must exist in
// the real controller with the same name and value, and every page must load against the real
// controllers without a single QML warning.
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaObject>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QtQml>
#include <QtTest>

#include "ApplicationControllers.h"

namespace {

// Members the stand-ins add only so that tests can script them.
const QStringList kStandInHelpers = {QStringLiteral("reset"), QStringLiteral("record"), QStringLiteral("code")};

struct Controller {
    const char* name;
    const QMetaObject* meta;
};

const Controller kControllers[] = {
    {"SerialPortController", &SerialPortController::staticMetaObject},
    {"SensorsInformation", &SensorsInformation::staticMetaObject},
    {"PidTunning", &PidTunning::staticMetaObject},
    {"InstrumentConfig", &InstrumentConfig::staticMetaObject},
    {"FirmwareController", &FirmwareController::staticMetaObject},
    {"JoyStickDevice", &JoyStickDevice::staticMetaObject},
    {"BackupController", &BackupController::staticMetaObject},
    {"LanguageController", &LanguageController::staticMetaObject},
    {"TelemetryPlotController", &TelemetryPlotController::staticMetaObject},
};

bool hasMethod(const QMetaObject* meta, const QString& name)
{
    for (int i = 0; i < meta->methodCount(); ++i) {
        if (QString::fromLatin1(meta->method(i).name()) == name)
            return true;
    }
    return false;
}

int enumValue(const QMetaObject* meta, const QString& key, bool* found)
{
    for (int i = 0; i < meta->enumeratorCount(); ++i) {
        const int value = meta->enumerator(i).keyToValue(key.toLatin1().constData(), found);
        if (*found)
            return value;
    }
    *found = false;
    return 0;
}

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

}  // namespace

class ControllerContractTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ApplicationControllers::registerTypes();
    }

    void standInsOfferOnlyWhatTheControllersHave_data()
    {
        QTest::addColumn<int>("controller");
        for (int i = 0; i < int(std::size(kControllers)); ++i)
            QTest::newRow(kControllers[i].name) << i;
    }

    void standInsOfferOnlyWhatTheControllersHave()
    {
        QFETCH(int, controller);
        const Controller& real = kControllers[controller];
        QFile file(QStringLiteral(TILTMATE_QML_STANDINS "/%1.qml").arg(QLatin1String(real.name)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(file.readAll());

        static const QRegularExpression member(QStringLiteral("^\\s*(?:signal|function) (\\w+)\\("),
                                               QRegularExpression::MultilineOption);
        auto members = member.globalMatch(source);
        int checked = 0;
        while (members.hasNext()) {
            const QString name = members.next().captured(1);
            if (kStandInHelpers.contains(name))
                continue;
            QVERIFY2(hasMethod(real.meta, name), qPrintable(name));
            ++checked;
        }
        QVERIFY(checked > 0);

        static const QRegularExpression enumBlock(QStringLiteral("enum (\\w+) \\{([^}]*)\\}"));
        auto blocks = enumBlock.globalMatch(source);
        while (blocks.hasNext()) {
            int next = 0;
            for (QString entry : blocks.next().captured(2).split(QLatin1Char(','))) {
                entry = entry.simplified();
                if (entry.isEmpty())
                    continue;
                const QStringList parts = entry.split(QLatin1Char('='));
                const QString key = parts[0].trimmed();
                const int value = parts.size() > 1 ? parts[1].trimmed().toInt() : next;
                next = value + 1;
                bool found = false;
                const int realValue = enumValue(real.meta, key, &found);
                QVERIFY2(found, qPrintable(key));
                QCOMPARE(realValue, value);
            }
        }
    }

    void calibrationStandInMatches()
    {
        const QMetaObject& real = CalibrationControl::staticMetaObject;
        const QMetaEnum kinds = real.enumerator(real.indexOfEnumerator("CRADLECALIBRATION"));
        QVERIFY(kinds.isValid());
        QCOMPARE(kinds.keyCount(), 6);
        QCOMPARE(kinds.keyToValue("CRADLE_CALI_STEWING"), 1);
        QCOMPARE(kinds.keyToValue("CRADLE_CALI_ATTANGLE"), 5);
        for (const char* name : {"startCalibartion", "StartCradle", "StopCradle", "sigCalibrationStart",
                                 "sigCalibrationSuccess", "sigCalibrationFailed", "sigCradleStartFinished",
                                 "sigCradleStopFinished"})
            QVERIFY2(hasMethod(&real, QString::fromLatin1(name)), name);
    }

    void pagesLoadAgainstTheRealControllers_data()
    {
        QTest::addColumn<QString>("page");
        for (const char* page : {"WidgetConfiguration", "WidgetFirmware", "WidgetImuCalibration",
                                 "WidgetMotorCalibration", "WidgetTunning", "ControlSerialPortView",
                                 "WidgetRunningInfor", "WidgetTelemetryPlot", "MainWindow"})
            QTest::newRow(page) << QString::fromLatin1(page);
    }

    void pagesLoadAgainstTheRealControllers()
    {
        QFETCH(QString, page);
        ApplicationControllers controllers;
        QQmlEngine engine;
        controllers.publish(engine.rootContext());

        // The page inside the shared instances the main window gives every page.
        const QByteArray wrapper = "import QtQuick 2.0\n"
                                   "import QtQuick.Window 2.2\n"
                                   "import \"qrc:/main/src/res/Tiltmate\"\n"
                                   "import \"qrc:/OrvCustomControl/src/res/OrvCustomControl\" as OrvControl\n"
                                   "Item {\n"
                                   "  Window { id: mainWindow }\n"
                                   "  ResLanguages { id: resLanguages }\n"
                                   "  OrvControl.ORVMessageBox { id: g_messageDlg }\n"
                                   "  OrvControl.ORVConnectWindow { id: g_connentDlg }\n"
                                   "  QtObject { id: g_statusLine; function notify(text) {} function awaitPort(port) {} }\n"
                                   "  " + page.toLatin1() + " { }\n"
                                   "}\n";
        warnings.clear();
        const auto previous = qInstallMessageHandler(collectWarnings);
        QQmlComponent component(&engine);
        component.setData(wrapper, QUrl(QStringLiteral("qrc:/contract.qml")));
        QScopedPointer<QObject> root(component.create());
        // Exercise the reactions once: every handler must find the names it uses.
        emit controllers.instrumentConfig.sigRefreshValue();
        emit controllers.instrumentConfig.sigDownloadSucceed();
        emit controllers.instrumentConfig.sigDownloadFinished();
        emit controllers.instrumentConfig.typeMechanismChanged();
        emit controllers.instrumentConfig.sigControlInputForced(0, 3);
        emit controllers.instrumentConfig.sigUploadSucceed();
        emit controllers.instrumentConfig.sigUpdateFirmSucceed();
        emit controllers.joyStickDevice.sigRefreshMapping();
        emit controllers.joyStickDevice.sigRefreshStatus();
        emit controllers.joyStickDevice.sigRefreshValue();
        emit controllers.sensorsInformation.sigRefreshValue();
        emit controllers.firmwareController.sigFileInfoChanged();
        emit controllers.firmwareController.sigFileUpgradeFinished();
        emit controllers.calibrationControl.sigCalibrationSuccess(CalibrationControl::CRADLE_CALI_HOR);
        emit controllers.pidTunning.sigUploadFinished();
        emit controllers.backupController.sigBackupSucceed(QStringLiteral("/tmp/a.json"));
        emit controllers.backupController.sigRestoreFailed(BackupController::RESTORE_FILE_UNUSABLE, QStringLiteral("bad"));
        emit controllers.backupController.sigUpgradeFinishedWithBackup(QStringLiteral("/tmp/auto-backup.json"));
        emit controllers.telemetryPlot.sigRecordingSaved(QStringLiteral("/tmp/t.csv"));
        emit controllers.telemetryPlot.sigRecordingFailed(QStringLiteral("/tmp/t.csv"), QStringLiteral("No space left on device"));
        emit controllers.firmwareController.sigFirmclosed();
        qInstallMessageHandler(previous);
        QVERIFY2(root, qPrintable(component.errorString()));
        const QStringList ours = warnings.filter(QRegularExpression(QStringLiteral("qrc:/(main|OrvCustomControl|contract)")));
        QVERIFY2(ours.isEmpty(), qPrintable(ours.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(ControllerContractTest)

#include "tst_controller_contract.moc"
