#include "ObjMesh.h"

#include <QList>
#include <QVector2D>
#include <QVector3D>

#include <array>
#include <optional>

namespace {

struct Corner {
    int position = -1;
    int texCoord = -1;
    int normal = -1;
};

// OBJ indices count from 1; negative ones count back from the latest element. -1 means "none".
std::optional<int> resolveIndex(const QByteArray& field, int available)
{
    if (field.isEmpty())
        return -1;
    bool ok = false;
    const int index = field.toInt(&ok);
    if (!ok || index == 0)
        return std::nullopt;
    const int resolved = index > 0 ? index - 1 : available + index;
    if (resolved < 0 || resolved >= available)
        return std::nullopt;
    return resolved;
}

std::optional<Corner> parseCorner(const QByteArray& token, int positions, int texCoords, int normals)
{
    const QList<QByteArray> fields = token.split('/');
    if (fields.isEmpty() || fields.size() > 3 || fields[0].isEmpty())
        return std::nullopt;
    const auto position = resolveIndex(fields[0], positions);
    const auto texCoord = resolveIndex(fields.value(1), texCoords);
    const auto normal = resolveIndex(fields.value(2), normals);
    if (!position || !texCoord || !normal)
        return std::nullopt;
    return Corner{*position, *texCoord, *normal};
}

template <int N>
bool readFloats(const QList<QByteArray>& tokens, std::array<float, N>& out)
{
    if (tokens.size() < N + 1)
        return false;
    for (int i = 0; i < N; ++i) {
        bool ok = false;
        out[i] = tokens[i + 1].toFloat(&ok);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

ObjMesh parseObjMesh(const QByteArray& text)
{
    QVector<QVector3D> positions;
    QVector<QVector3D> normals;
    QVector<QVector2D> texCoords;
    ObjMesh mesh;

    auto appendCorner = [&](const Corner& corner, const QVector3D& faceNormal) {
        const QVector3D p = positions[corner.position];
        const QVector3D n = corner.normal >= 0 ? normals[corner.normal] : faceNormal;
        const QVector2D t = corner.texCoord >= 0 ? texCoords[corner.texCoord] : QVector2D();
        mesh.vertices << p.x() << p.y() << p.z() << n.x() << n.y() << n.z() << t.x() << t.y();
    };

    for (const QByteArray& rawLine : text.split('\n')) {
        const QList<QByteArray> tokens = rawLine.simplified().split(' ');
        const QByteArray& kind = tokens[0];
        if (kind == "v") {
            std::array<float, 3> xyz{};
            if (readFloats<3>(tokens, xyz))
                positions.append(QVector3D(xyz[0], xyz[1], xyz[2]));
        } else if (kind == "vn") {
            std::array<float, 3> xyz{};
            if (readFloats<3>(tokens, xyz))
                normals.append(QVector3D(xyz[0], xyz[1], xyz[2]));
        } else if (kind == "vt") {
            std::array<float, 2> uv{};
            if (readFloats<2>(tokens, uv))
                texCoords.append(QVector2D(uv[0], uv[1]));
        } else if (kind == "f" && tokens.size() >= 4) {
            QVector<Corner> corners;
            for (int i = 1; i < tokens.size(); ++i) {
                const auto corner = parseCorner(tokens[i], positions.size(), texCoords.size(), normals.size());
                if (!corner) {
                    corners.clear();
                    break;
                }
                corners.append(*corner);
            }
            for (int i = 1; i + 1 < corners.size(); ++i) {
                const QVector3D& a = positions[corners[0].position];
                const QVector3D faceNormal =
                    QVector3D::normal(a, positions[corners[i].position], positions[corners[i + 1].position]);
                appendCorner(corners[0], faceNormal);
                appendCorner(corners[i], faceNormal);
                appendCorner(corners[i + 1], faceNormal);
            }
        }
    }
    return mesh;
}
