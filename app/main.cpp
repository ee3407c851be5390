#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QUrl>
#include <QtQml>

#include <memory>

#include "CalibrationControl.h"
#include "FirmwareController.h"
#include "InstrumentConfig.h"
#include "JoyStickDevice.h"
#include "ORVInteractiveCommandManager.h"
#include "PidTunning.h"
#include "SensorsInformation.h"
#include "SerialPortController.h"

namespace {
constexpr char kModuleUri[] = "ORVGimbalTool";
constexpr char kApplicationIcon[] = ":/main/src/res/Tiltmate/img/ImgIcon.ico";
}

int main(int argc, char** argv)
{
    // The attitude view's Scene3D stalls the threaded render loop once its tab is hidden
    // (the GUI thread waits for a frame that is never drawn), so switching tabs would freeze
    // the window. The basic loop renders on the GUI thread and has no such wait.
    if (qEnvironmentVariableIsEmpty("QSG_RENDER_LOOP"))
        qputenv("QSG_RENDER_LOOP", "basic");

    QGuiApplication app(argc, argv);
    app.setApplicationVersion(QStringLiteral(TILTMATE_VERSION));
    // The file dialog keeps its last folder in the default settings store, which needs these names.
    app.setOrganizationName(QStringLiteral("Tiltmate"));
    app.setApplicationName(QStringLiteral("Tiltmate"));
    if (QFile::exists(QString::fromLatin1(kApplicationIcon)))
        app.setWindowIcon(QIcon(QString::fromLatin1(kApplicationIcon)));

    qmlRegisterType<SerialPortController>(kModuleUri, 1, 0, "SerialPortController");
    qmlRegisterType<SensorsInformation>(kModuleUri, 1, 0, "SensorsInformation");
    qmlRegisterType<PidTunning>(kModuleUri, 1, 0, "PidTunning");
    qmlRegisterType<InstrumentConfig>(kModuleUri, 1, 0, "InstrumentConfig");
    qmlRegisterType<FirmwareController>(kModuleUri, 1, 0, "FirmwareController");
    qmlRegisterType<CalibrationControl>(kModuleUri, 1, 0, "CalibrationControl");
    qmlRegisterType<JoyStickDevice>(kModuleUri, 1, 0, "JoyStickDevice");

    int exitCode = 0;
    {
        // Declared in construction order so they are destroyed in reverse, after the engine below.
        SerialPortController serialPortController;
        SensorsInformation sensorsInformation;
        PidTunning pidTunning;
        InstrumentConfig instrumentConfig;
        FirmwareController firmwareController;
        CalibrationControl calibrationControl;
        JoyStickDevice joyStickDevice;

        joyStickDevice.setInstrumentConfig(&instrumentConfig);
        firmwareController.setInstrumentConfig(&instrumentConfig);

        QQmlApplicationEngine engine;
        QQmlContext* context = engine.rootContext();
        context->setContextProperty(QStringLiteral("runtimeSerialPortCtl"), &serialPortController);
        context->setContextProperty(QStringLiteral("runtimeSensorsinfo"), &sensorsInformation);
        context->setContextProperty(QStringLiteral("runtimePidTunning"), &pidTunning);
        context->setContextProperty(QStringLiteral("runtimeInstrumentConfig"), &instrumentConfig);
        context->setContextProperty(QStringLiteral("runtimeFirmwareController"), &firmwareController);
        context->setContextProperty(QStringLiteral("runtimeCalibrationControl"), &calibrationControl);
        context->setContextProperty(QStringLiteral("runtimeJoystickdevice"), &joyStickDevice);
        engine.load(QUrl(QStringLiteral("qrc:/main/main.qml"), QUrl::TolerantMode));
        exitCode = app.exec();
    }
    // The worker may still be polling the library, or finishing a command, when the loop ends; join
    // it here so no library call races the library's own teardown at exit. No close is sent: an open
    // port is closed by the library as the process ends.
    delete ORVInteractiveCommandManager::instance();
    return exitCode;
}
