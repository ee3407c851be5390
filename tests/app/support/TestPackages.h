#ifndef TESTPACKAGES_H
#define TESTPACKAGES_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// Builders for the byte records the firmware code reads: version reports and firmware packages.
namespace TestPackages {

struct Unit {
    quint8 id, hardware, major, minor;
};
// The 187-byte version report naming these units (count byte first).
QByteArray versionReport(const QList<Unit>& units, int countOverride = -1);

struct Image {
    quint8 unitId, major, minor;
    QByteArray bytes;
    qint64 lengthOverride = -1; // the length written in the header, when not bytes.size()
};
// Header with the given markers and compatibility mask, then one entry per image.
QByteArray package(const QList<Image>& images, quint64 mask, QByteArray markers = QByteArray("\x00\x02\x00\x01", 4));
QByteArray imageOf(int size, quint8 seed);

// Writes bytes to a file in dir and returns its file:// URL text, as the file dialog gives it.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

} // namespace TestPackages

#endif // TESTPACKAGES_H
