// The language table must hold exactly the agreed ids and literals, and no page may ask for
// an id the table lacks (a missing id shows as an empty label, with only a warning at run time).
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QSet>
#include <QTextStream>
#include <QtTest>

namespace {

// The 148 agreed texts, two for package entries the program skips, and seventeen that say what
// happened to a port, an upload or a connection; then the plot page and its recordings.
constexpr int kTableSize = 148 + 2 + 17 + 13 + 2 + 17;

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
};

QTEST_MAIN(LanguageTableTest)

#include "tst_language_table.moc"
