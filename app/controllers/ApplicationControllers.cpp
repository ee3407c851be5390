#include "ApplicationControllers.h"

#include "AttitudeView.h"
#include "TelemetryPlot.h"

#include <QQmlContext>
#include <QtQml>

namespace {
constexpr char kModuleUri[] = "ORVGimbalTool";
}

void ApplicationControllers::registerTypes()
{
    qmlRegisterType<SerialPortController>(kModuleUri, 1, 0, "SerialPortController");
    qmlRegisterType<SensorsInformation>(kModuleUri, 1, 0, "SensorsInformation");
    qmlRegisterType<PidTunning>(kModuleUri, 1, 0, "PidTunning");
    qmlRegisterType<InstrumentConfig>(kModuleUri, 1, 0, "InstrumentConfig");
    qmlRegisterType<FirmwareController>(kModuleUri, 1, 0, "FirmwareController");
    qmlRegisterType<CalibrationControl>(kModuleUri, 1, 0, "CalibrationControl");
    qmlRegisterType<JoyStickDevice>(kModuleUri, 1, 0, "JoyStickDevice");
    qmlRegisterType<BackupController>(kModuleUri, 1, 0, "BackupController");
    qmlRegisterType<TelemetryPlotController>(kModuleUri, 1, 0, "TelemetryPlotController");
    AttitudeView::registerType();
    TelemetryPlot::registerType();
}

ApplicationControllers::ApplicationControllers()
{
    joyStickDevice.setInstrumentConfig(&instrumentConfig);
    firmwareController.setInstrumentConfig(&instrumentConfig);
}

void ApplicationControllers::publish(QQmlContext* context)
{
    context->setContextProperty(QStringLiteral("runtimeSerialPortCtl"), &serialPortController);
    context->setContextProperty(QStringLiteral("runtimeSensorsinfo"), &sensorsInformation);
    context->setContextProperty(QStringLiteral("runtimePidTunning"), &pidTunning);
    context->setContextProperty(QStringLiteral("runtimeInstrumentConfig"), &instrumentConfig);
    context->setContextProperty(QStringLiteral("runtimeFirmwareController"), &firmwareController);
    context->setContextProperty(QStringLiteral("runtimeCalibrationControl"), &calibrationControl);
    context->setContextProperty(QStringLiteral("runtimeJoystickdevice"), &joyStickDevice);
    context->setContextProperty(QStringLiteral("runtimeBackupController"), &backupController);
    context->setContextProperty(QStringLiteral("runtimeLanguage"), &languageController);
    context->setContextProperty(QStringLiteral("runtimeTelemetryPlot"), &telemetryPlot);
}
