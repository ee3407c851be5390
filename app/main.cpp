#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

#include "ApplicationControllers.h"
#include "ORVInteractiveCommandManager.h"

namespace {
constexpr char kApplicationIcon[] = ":/main/src/res/Tiltmate/img/ImgIcon.ico";
constexpr char kDefaultsFileName[] = "default.ini";
// Where an installed program finds its factory defaults, relative to the program's folder.
constexpr char kInstalledDefaultsFolder[] = "../share/tiltmate";

// --help and --version answer without a display, so they are handled before the GUI application
// exists; other options (Qt's own, such as -platform) are left to it. Returns the language asked
// for with --lang, or nothing.
QString answerCommandLine(int argc, char** argv)
{
    QCoreApplication probe(argc, argv);
    probe.setApplicationName(QStringLiteral("Tiltmate"));
    probe.setApplicationVersion(QStringLiteral(TILTMATE_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration tool for the three-axis camera gimbal on a serial line."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption language(QStringLiteral("lang"),
                                      QStringLiteral("Speak this language for this run only: en or zh."),
                                      QStringLiteral("en|zh"));
    parser.addOption(language);
    // Qt's own single-dash options (-reverse, -stylesheet) must not read as -v or -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(probe.arguments());
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    const QString asked = parser.value(language);
    if (parser.isSet(language) && !LanguageController::isLanguage(asked)) {
        std::fprintf(stderr, "Tiltmate: unknown language '%s' for --lang; use en or zh.\n", qPrintable(asked));
        std::exit(EXIT_FAILURE);
    }
    return asked;
}

// Factory defaults lie beside the program in a build tree, and in the shared data folder once installed.
QString defaultsFile()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString beside = programFolder.filePath(QString::fromLatin1(kDefaultsFileName));
    if (QFile::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(
        programFolder.filePath(QString::fromLatin1(kInstalledDefaultsFolder) + '/' + QString::fromLatin1(kDefaultsFileName)));
    return QFile::exists(installed) ? installed : beside;
}
}  // namespace

int main(int argc, char** argv)
{
    const QString askedLanguage = answerCommandLine(argc, argv);
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
        controllers.instrumentConfig.setDefaultsFilePath(defaultsFile());
        // The pages' first texts are already in the chosen language.
        controllers.languageController.apply(askedLanguage.isEmpty() ? LanguageController::rememberedLanguage()
                                                                      : askedLanguage);
        // The engine would load Qt's catalogue for the system's locale by itself, and Qt's dialogs
        // would then stay Chinese in English on a Chinese desktop; under the C locale it finds none,
        // and the language controller alone decides.
        const QLocale systemLocale;
        QLocale::setDefault(QLocale::c());
        QQmlApplicationEngine engine;
        QLocale::setDefault(systemLocale);
        controllers.languageController.setEngine(&engine);
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
