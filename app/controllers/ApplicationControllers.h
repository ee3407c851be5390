// The seven controllers every page shares: registered as QML types, built in start-up order, the
// instrument configuration linked to the two controllers that read it, and published under the
// context names the pages use. The program and the page tests wire them through this one place.
#pragma once

#include "BackupController.h"
#include "CalibrationControl.h"
#include "FirmwareController.h"
#include "InstrumentConfig.h"
#include "JoyStickDevice.h"
#include "LanguageController.h"
#include "PidTunning.h"
#include "SensorsInformation.h"
#include "SerialPortController.h"
#include "TelemetryPlotController.h"

class QQmlContext;

struct ApplicationControllers {
    // Registers the controller types in the module "ORVGimbalTool" 1.0.
    static void registerTypes();

    ApplicationControllers();
    void publish(QQmlContext* context);

    // Declared in construction order, so they are destroyed in reverse.
    SerialPortController serialPortController;
    SensorsInformation sensorsInformation;
    PidTunning pidTunning;
    InstrumentConfig instrumentConfig;
    FirmwareController firmwareController;
    CalibrationControl calibrationControl;
    JoyStickDevice joyStickDevice;
    // Added after the original seven; pages reach them as runtimeBackupController and runtimeTelemetryPlot.
    BackupController backupController;
    // The language the pages speak; the title bar's switch reaches it as runtimeLanguage.
    LanguageController languageController;
    TelemetryPlotController telemetryPlot;
};
