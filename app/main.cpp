#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QUrl>

#include "ApplicationControllers.h"
#include "ORVInteractiveCommandManager.h"

namespace {
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

    ApplicationControllers::registerTypes();

    int exitCode = 0;
    {
        // Built before the engine so they are destroyed after it.
        ApplicationControllers controllers;
        QQmlApplicationEngine engine;
        controllers.publish(engine.rootContext());
        engine.load(QUrl(QStringLiteral("qrc:/main/main.qml"), QUrl::TolerantMode));
        exitCode = app.exec();
    }
    // The worker may still be polling the library, or finishing a command, when the loop ends; join
    // it here so no library call races the library's own teardown at exit. No close is sent: an open
    // port is closed by the library as the process ends.
    delete ORVInteractiveCommandManager::instance();
    return exitCode;
}
