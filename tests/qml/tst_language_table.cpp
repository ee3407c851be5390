// The language table must hold exactly the agreed ids and literals, and no page may ask for
// an id the table lacks (a missing id shows as an empty label, with only a warning at run time).
// The English catalogue must translate every text of the table, as the program carries it.
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QSet>
#include <QTextStream>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// The 148 agreed texts, two for package entries the program skips, and seventeen that say what
// happened to a port, an upload or a connection, two for an upgrade without a backup, three for a
// unit the check after an upgrade could not confirm, one that names the program holding a port, then
// the plot page and its recordings.
constexpr int kTableSize = 148 + 2 + 17 + 13 + 2 + 3 + 1 + 17;

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// id -> literal with its quotes and escapes, as written in the table's source.
QMap<int, QString> readFixture()
{
    QMap<int, QString> table;
    const QStringList lines = readText(QStringLiteral(TILTMATE_LANGUAGE_FIXTURE)).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int tab = line.indexOf(QLatin1Char('\t'));
        table.insert(line.left(tab).toInt(), line.mid(tab + 1));
    }
    return table;
}

QMap<int, QString> readDeclaredLiterals()
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*property string qsTr_STR_ID_(\\d+): qsTr\\((\".*\")\\)\\s*$"));
    QMap<int, QString> table;
    const QStringList lines = readText(QStringLiteral(":/main/src/res/Tiltmate/ResLanguages.qml")).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const auto match = declaration.match(line);
        if (match.hasMatch())
            table.insert(match.captured(1).toInt(), match.captured(2));
    }
    return table;
}

QString decodeLiteral(const QString& literal)
{
    QString text;
    for (int i = 1; i < literal.size() - 1; ++i) {
        if (literal[i] == QLatin1Char('\\') && i + 1 < literal.size() - 1) {
            ++i;
            text += literal[i] == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : literal[i];
        } else {
            text += literal[i];
        }
    }
    return text;
}

struct CatalogueEntry {
    QString translation;
    QString type;  // empty when finished; "unfinished", "vanished" or "obsolete" otherwise
};

// (context, source) -> entry, as the catalogue in the tree holds it.
QMap<QPair<QString, QString>, CatalogueEntry> readCatalogue()
{
    QMap<QPair<QString, QString>, CatalogueEntry> entries;
    QFile file(QStringLiteral(TILTMATE_CATALOGUE_TS));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            entries.insert({context, source}, {xml.readElementText(), type});
        }
    }
    if (xml.hasError())
        qWarning("%s: %s", TILTMATE_CATALOGUE_TS, qPrintable(xml.errorString()));
    return entries;
}

// The %1, %2 ... a text fills in; a translation that drops one loses a path or a name.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    QStringList found;
    auto matches = marker.globalMatch(text);
    while (matches.hasNext())
        found.append(matches.next().captured());
    found.sort();
    found.removeDuplicates();
    return found;
}

}  // namespace

class LanguageTableTest : public QObject {
    Q_OBJECT

private slots:
    void sourceDeclaresExactlyTheAgreedLiterals()
    {
        const auto fixture = readFixture();
        const auto declared = readDeclaredLiterals();
        QCOMPARE(fixture.size(), kTableSize);
        QCOMPARE(declared.keys(), fixture.keys());
        for (auto it = fixture.cbegin(); it != fixture.cend(); ++it)
            QCOMPARE(declared.value(it.key()), it.value());
    }

    void instanceHoldsTheDecodedTexts()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/main/src/res/Tiltmate/ResLanguages.qml")));
        QScopedPointer<QObject> table(component.create());
        QVERIFY2(table, qPrintable(component.errorString()));
        const auto fixture = readFixture();
        for (auto it = fixture.cbegin(); it != fixture.cend(); ++it) {
            const QByteArray name = "qsTr_STR_ID_" + QByteArray::number(it.key());
            const QVariant value = table->property(name.constData());
            QVERIFY2(value.isValid(), name.constData());
            QCOMPARE(value.toString(), decodeLiteral(it.value()));
        }
        QCOMPARE(table->property("qsTr_STR_ID_0").toString(), QStringLiteral("ORV Tiltmate"));
        QCOMPARE(table->property("qsTr_STR_ID_95").toString().count(QLatin1Char('\n')), 2);
        QVERIFY(table->property("qsTr_STR_ID_114").toString().startsWith(QStringLiteral("\n  1.")));
    }

    void everyIdUsedByThePagesExists()
    {
        static const QRegularExpression use(QStringLiteral("resLanguages\\.qsTr_STR_ID_(\\d+)"));
        const auto table = readFixture();
        QSet<int> used;
        for (const QString& root : {QStringLiteral(":/main"), QStringLiteral(":/OrvCustomControl")}) {
            QDirIterator files(root, {QStringLiteral("*.qml"), QStringLiteral("*.js")}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                auto matches = use.globalMatch(readText(path));
                while (matches.hasNext()) {
                    const int id = matches.next().captured(1).toInt();
                    QVERIFY2(table.contains(id), qPrintable(QStringLiteral("%1 uses missing id %2").arg(path).arg(id)));
                    used.insert(id);
                }
            }
        }
        // The pages show all but the ten texts that are kept for pages not placed or not yet shown.
        const QSet<int> unused = {5, 6, 43, 44, 45, 63, 74, 143, 155, 156};
        for (auto it = table.cbegin(); it != table.cend(); ++it)
            QCOMPARE(used.contains(it.key()), !unused.contains(it.key()));
    }

    // Every text of the table (read from the table itself, so a new id is covered at once) has a
    // finished English translation that keeps its placeholders, and so has every other text the
    // pages and controls translate.
    void catalogueTranslatesEveryText()
    {
        const auto catalogue = readCatalogue();
        QVERIFY2(!catalogue.isEmpty(), TILTMATE_CATALOGUE_TS);
        const auto declared = readDeclaredLiterals();
        QVERIFY(!declared.isEmpty());
        QStringList faults;
        for (auto it = declared.cbegin(); it != declared.cend(); ++it) {
            const QString source = decodeLiteral(it.value());
            const auto entry = catalogue.find({QStringLiteral("ResLanguages"), source});
            if (entry == catalogue.cend())
                faults << QStringLiteral("id %1 is missing from the catalogue").arg(it.key());
            else if (!entry->type.isEmpty() || entry->translation.isEmpty())
                faults << QStringLiteral("id %1 is not translated (%2)").arg(it.key()).arg(entry->type);
            else if (placeholders(entry->translation) != placeholders(source))
                faults << QStringLiteral("id %1 changes its placeholders").arg(it.key());
        }
        for (auto it = catalogue.cbegin(); it != catalogue.cend(); ++it) {
            if (!it->type.isEmpty() || it->translation.isEmpty())
                faults << QStringLiteral("%1: \"%2\" is not translated (%3)").arg(it.key().first, it.key().second, it->type);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // The catalogue the program carries is the one in the tree, and a retranslated table speaks it.
    void tableSpeaksTheCompiledCatalogue()
    {
        const auto catalogue = readCatalogue();
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/i18n/tiltmate_en.qm")));
        QQmlEngine engine;
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/main/src/res/Tiltmate/ResLanguages.qml")));
        QScopedPointer<QObject> table(component.create());
        QVERIFY2(table, qPrintable(component.errorString()));
        QCOMPARE(table->property("qsTr_STR_ID_1").toString(), QStringLiteral("运行状态"));
        QVERIFY(QCoreApplication::installTranslator(&english));
        engine.retranslate();
        const auto declared = readDeclaredLiterals();
        for (auto it = declared.cbegin(); it != declared.cend(); ++it) {
            const QString source = decodeLiteral(it.value());
            const QByteArray name = "qsTr_STR_ID_" + QByteArray::number(it.key());
            QCOMPARE(table->property(name.constData()).toString(),
                     catalogue.value({QStringLiteral("ResLanguages"), source}).translation);
        }
        QCoreApplication::removeTranslator(&english);
        engine.retranslate();
        QCOMPARE(table->property("qsTr_STR_ID_1").toString(), QStringLiteral("运行状态"));
    }
};

QTEST_MAIN(LanguageTableTest)

#include "tst_language_table.moc"
