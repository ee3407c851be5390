#include "LanguageController.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QQmlEngine>
#include <QSettings>
#include <QTranslator>

namespace {
constexpr char kSettingsKey[] = "language";
constexpr char kEnglishCatalogue[] = ":/i18n/tiltmate_en.qm";
// What Qt itself shows (the file dialog above all) in Chinese; any of them may be missing.
const char* const kQtChineseCatalogues[] = {"qt_zh_CN", "qtdeclarative_zh_CN", "qtquickcontrols_zh_CN"};
}  // namespace

const QString LanguageController::kChinese = QStringLiteral("zh");
const QString LanguageController::kEnglish = QStringLiteral("en");

bool LanguageController::isLanguage(const QString& code)
{
    return code == kChinese || code == kEnglish;
}

QString LanguageController::rememberedLanguage()
{
    const QString kept = QSettings().value(QLatin1String(kSettingsKey)).toString();
    return isLanguage(kept) ? kept : kChinese;
}

LanguageController::LanguageController(QObject* parent) : QObject(parent) {}

LanguageController::~LanguageController()
{
    for (const auto& catalogue : catalogues)
        QCoreApplication::removeTranslator(catalogue.get());
}

void LanguageController::setEngine(QQmlEngine* qmlEngine)
{
    engine = qmlEngine;
}

bool LanguageController::apply(const QString& code)
{
    if (!isLanguage(code))
        return false;
    if (code == current)
        return true;
    std::vector<std::unique_ptr<QTranslator>> loaded;
    if (code == kEnglish) {
        auto pages = std::make_unique<QTranslator>();
        if (!pages->load(QLatin1String(kEnglishCatalogue))) {
            qWarning("LanguageController: the English catalogue %s cannot be loaded", kEnglishCatalogue);
            return false;
        }
        loaded.push_back(std::move(pages));
    } else {
        const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
        for (const char* name : kQtChineseCatalogues) {
            auto qt = std::make_unique<QTranslator>();
            if (qt->load(QLatin1String(name), folder))
                loaded.push_back(std::move(qt));
        }
    }
    for (const auto& catalogue : catalogues)
        QCoreApplication::removeTranslator(catalogue.get());
    catalogues = std::move(loaded);
    for (const auto& catalogue : catalogues)
        QCoreApplication::installTranslator(catalogue.get());
    current = code;
    if (engine)
        engine->retranslate();
    emit languageChanged();
    return true;
}

void LanguageController::choose(const QString& code)
{
    if (!apply(code))
        return;
    QSettings settings;
    settings.setValue(QLatin1String(kSettingsKey), code);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning("LanguageController: the choice of language could not be kept in %s", qPrintable(settings.fileName()));
}
