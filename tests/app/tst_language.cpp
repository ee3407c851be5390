// The language switch: what it loads, what it keeps in the user's settings, and that the pages of
// its engine follow at once.
#include <QCoreApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QScopedPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "LanguageController.h"

namespace {
QString keptLanguage()
{
    return QSettings().value(QStringLiteral("language")).toString();
}

// A page text and one of Qt's own (the file dialog's button).
QString pageText()
{
    return QCoreApplication::translate("ResLanguages", "运行状态");
}
QString qtText()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}
}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

    QTemporaryDir settingsFolder;

private slots:
    void initTestCase()
    {
        QVERIFY(settingsFolder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Tiltmate"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_language"));
    }

    void init() { QSettings().clear(); }

    void rememberedLanguageIsChineseUnlessAKnownOneIsKept_data()
    {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("nothing kept") << QString() << QStringLiteral("zh");
        QTest::newRow("English") << QStringLiteral("en") << QStringLiteral("en");
        QTest::newRow("Chinese") << QStringLiteral("zh") << QStringLiteral("zh");
        QTest::newRow("unknown") << QStringLiteral("fr") << QStringLiteral("zh");
        QTest::newRow("other case") << QStringLiteral("EN") << QStringLiteral("zh");
    }
    void rememberedLanguageIsChineseUnlessAKnownOneIsKept()
    {
        QFETCH(QString, kept);
        QFETCH(QString, remembered);
        if (!kept.isNull())
            QSettings().setValue(QStringLiteral("language"), kept);
        QCOMPARE(LanguageController::rememberedLanguage(), remembered);
    }

    void switchLoadsTheCataloguesAndKeepsTheChoice()
    {
        LanguageController language;
        QSignalSpy changed(&language, &LanguageController::languageChanged);

        // The start-up language: spoken, not kept.
        QVERIFY(language.apply(QStringLiteral("en")));
        QCOMPARE(language.language(), QStringLiteral("en"));
        QCOMPARE(pageText(), QStringLiteral("Running status"));
        QCOMPARE(qtText(), QStringLiteral("Cancel"));
        QCOMPARE(keptLanguage(), QString());
        QCOMPARE(changed.count(), 1);

        language.choose(QStringLiteral("zh"));
        QCOMPARE(language.language(), QStringLiteral("zh"));
        QCOMPARE(pageText(), QStringLiteral("运行状态"));
        QVERIFY2(qtText() != QStringLiteral("Cancel"), "Qt's own texts stay English with Chinese chosen");
        QCOMPARE(keptLanguage(), QStringLiteral("zh"));
        QCOMPARE(changed.count(), 2);

        // The same language again changes nothing; an unknown one is refused and not kept.
        language.choose(QStringLiteral("zh"));
        language.choose(QStringLiteral("fr"));
        QVERIFY(!language.apply(QString()));
        QCOMPARE(language.language(), QStringLiteral("zh"));
        QCOMPARE(keptLanguage(), QStringLiteral("zh"));
        QCOMPARE(changed.count(), 2);

        language.choose(QStringLiteral("en"));
        QCOMPARE(keptLanguage(), QStringLiteral("en"));
        QCOMPARE(LanguageController::rememberedLanguage(), QStringLiteral("en"));
        QCOMPARE(qtText(), QStringLiteral("Cancel"));
        QCOMPARE(changed.count(), 3);
    }

    void pagesFollowWithoutRestart()
    {
        LanguageController language;
        QQmlEngine engine;
        language.setEngine(&engine);
        QVERIFY(language.apply(QStringLiteral("zh")));
        QQmlComponent component(&engine);
        // qsTr takes its context from the file name, as in the language table.
        component.setData("import QtQuick 2.0\nQtObject { property string title: qsTr(\"运行状态\") }",
                          QUrl(QStringLiteral("qrc:/ResLanguages.qml")));
        QScopedPointer<QObject> table(component.create());
        QVERIFY2(table, qPrintable(component.errorString()));
        QCOMPARE(table->property("title").toString(), QStringLiteral("运行状态"));
        language.choose(QStringLiteral("en"));
        QCOMPARE(table->property("title").toString(), QStringLiteral("Running status"));
        language.choose(QStringLiteral("zh"));
        QCOMPARE(table->property("title").toString(), QStringLiteral("运行状态"));
    }
};

QTEST_GUILESS_MAIN(LanguageTest)

#include "tst_language.moc"
