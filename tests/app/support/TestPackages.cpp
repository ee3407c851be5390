#include "TestPackages.h"

#include <QFile>
#include <QUrl>

#include "Cradle.h"

namespace TestPackages {

namespace {

void appendBigEndian(QByteArray& out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}
} // namespace

QByteArray versionReport(const QList<Unit>& units, int countOverride)
{
    QByteArray report(CRADLE_VERSION_RECORD_SIZE, '\0');
    report[0] = char(countOverride >= 0 ? countOverride : units.size());
    for (int k = 0; k < units.size() && 1 + 6 * k + 6 <= CRADLE_VERSION_RECORD_SIZE; ++k) {
        report[1 + 6 * k] = char(units[k].id);
        report[2 + 6 * k] = char(units[k].hardware);
        report[3 + 6 * k] = char(units[k].major);
        report[4 + 6 * k] = char(units[k].minor);
    }
    return report;
}

QByteArray package(const QList<Image>& images, quint64 mask, QByteArray markers)
{
    QByteArray out;
    appendBigEndian(out, 0x00ABCDEF, 4);
    markers[2] = char(images.size());
    out.append(markers);
    appendBigEndian(out, mask, 8);
    for (const Image& image : images) {
        out.append(char(image.unitId));
        out.append(char(image.major));
        out.append(char(image.minor));
        out.append(QByteArray(9, '\x5A'));
        appendBigEndian(out, quint64(image.lengthOverride >= 0 ? image.lengthOverride : image.bytes.size()), 4);
        out.append(image.bytes);
    }
    return out;
}

QByteArray imageOf(int size, quint8 seed)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((seed + i * 7) & 0xFF);
    return image;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return QUrl::fromLocalFile(path).toString();
}

} // namespace TestPackages
