#ifndef LANGUAGECONTROLLER_H
#define LANGUAGECONTROLLER_H

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QQmlEngine;
class QTranslator;

// The language the pages speak: Chinese, their own texts, or English from the catalogue in the
// program's resources. Qt's own dialogs follow: with Chinese, Qt's Chinese catalogues are loaded;
// with English none are, as Qt's own texts are English. The title bar's switch keeps its choice in
// the user's settings; the language a run starts in may also come from the command line.
class LanguageController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString language READ language NOTIFY languageChanged)
public:
    static const QString kChinese;
    static const QString kEnglish;

    static bool isLanguage(const QString& code);
    // The language kept in the user's settings; Chinese when none, or none known, is kept.
    static QString rememberedLanguage();

    explicit LanguageController(QObject* parent = nullptr);
    ~LanguageController() override;

    QString language() const { return current; }
    // The pages of this engine are retranslated at every change of language.
    void setEngine(QQmlEngine* qmlEngine);
    // Speaks the language from now on without remembering it. False for an unknown language, or
    // when the English catalogue cannot be loaded; the language then stays as it was.
    bool apply(const QString& code);

    // The title bar's switch: speaks the language and keeps it in the user's settings.
    Q_INVOKABLE void choose(const QString& code);

signals:
    void languageChanged();

private:
    QString current;
    QPointer<QQmlEngine> engine;
    std::vector<std::unique_ptr<QTranslator>> catalogues;
};

#endif  // LANGUAGECONTROLLER_H
