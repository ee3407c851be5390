// Runs the QML component tests against the real resources, with stand-in controllers
// published under the same context property names the program uses.
#include "AttitudeView.h"
#include "TelemetryPlot.h"
#include "calibration_standin.h"

#include <QtQuickTest/quicktest.h>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QObject>
#include <QDebug>
#include <QtQml>
#include <QCoreApplication>

namespace {

struct Publication {
    const char* contextName;
    const char* typeName;
};

constexpr const char* kModule = "ORVGimbalTool";

// The stand-ins written in QML, registered under the program's module and type names.
constexpr const char* kQmlStandIns[] = {
    "SerialPortController", "SensorsInformation", "PidTunning",
    "InstrumentConfig", "FirmwareController", "JoyStickDevice", "BackupController", "LanguageController",
    "InstrumentConfig", "FirmwareController", "JoyStickDevice", "BackupController", "TelemetryPlotController",
};

// Same names and order as the program's shell.
constexpr Publication kPublications[] = {
    {"runtimeSerialPortCtl", "SerialPortController"},
    {"runtimeSensorsinfo", "SensorsInformation"},
    {"runtimePidTunning", "PidTunning"},
    {"runtimeInstrumentConfig", "InstrumentConfig"},
    {"runtimeFirmwareController", "FirmwareController"},
    {"runtimeCalibrationControl", "CalibrationControl"},
    {"runtimeJoystickdevice", "JoyStickDevice"},
    {"runtimeBackupController", "BackupController"},
    {"runtimeLanguage", "LanguageController"},
    {"runtimeTelemetryPlot", "TelemetryPlotController"},
};

}  // namespace

class QmlTestSetup : public QObject {
    Q_OBJECT

    static bool registerStandIns()
    {
        for (const char* type : kQmlStandIns) {
            const QString file = QStringLiteral(TILTMATE_QML_STANDINS "/%1.qml").arg(QLatin1String(type));
            qmlRegisterType(QUrl::fromLocalFile(file), kModule, 1, 0, type);
        }
        qmlRegisterType<CalibrationControl>(kModule, 1, 0, "CalibrationControl");
        AttitudeView::registerType();
        // Before the stand-ins are created: the plot controller's stand-in holds a sample buffer.
        TelemetryPlot::registerType();
        return true;
    }

public slots:
    // The stock file dialog keeps its settings under the application's organisation.
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Tiltmate"));
        QCoreApplication::setApplicationName(QStringLiteral("tiltmate_qml_tests"));
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        static const bool registered = registerStandIns();
        Q_UNUSED(registered);
        for (const auto& publication : kPublications) {
            QQmlComponent component(engine);
            component.setData(QByteArray("import ORVGimbalTool 1.0\n") + publication.typeName + " {}",
                              QUrl(QStringLiteral("qrc:/standin.qml")));
            QObject* standIn = component.create();
            if (!standIn) {
                qWarning() << "cannot create the stand-in" << publication.typeName << component.errors();
                continue;
            }
            standIn->setParent(engine);
            engine->rootContext()->setContextProperty(QString::fromLatin1(publication.contextName), standIn);
        }
    }
};

QUICK_TEST_MAIN_WITH_SETUP(tiltmate_qml, QmlTestSetup)

#include "tst_qml_main.moc"
