// The attitude view's mesh reader: what reaches the vertex buffer, and that a damaged file never
// makes it read outside the positions, normals or texture coordinates it holds.
#include <QtTest>

#include "ObjMesh.h"

namespace {
const QByteArray kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\nvt 1 1\n";
}

class ObjMeshTest : public QObject
{
    Q_OBJECT
private slots:
    void faces_data()
    {
        QTest::addColumn<QByteArray>("faces");
        QTest::addColumn<int>("vertices");
        QTest::newRow("triangle, all three indices") << QByteArray("f 1/1/1 2/2/1 3/2/1") << 3;
        QTest::newRow("quad becomes a fan of two") << QByteArray("f 1//1 2//1 3//1 4//1") << 6;
        QTest::newRow("positions only, counted back") << QByteArray("f -4 -3 -2") << 3;
        QTest::newRow("position past the end") << QByteArray("f 1 2 5") << 0;
        QTest::newRow("normal past the end") << QByteArray("f 1//1 2//2 3//1") << 0;
        QTest::newRow("index zero") << QByteArray("f 0 1 2") << 0;
        QTest::newRow("not a number") << QByteArray("f 1 x 2") << 0;
        QTest::newRow("too few corners") << QByteArray("f 1 2") << 0;
        QTest::newRow("a bad face spoils only itself") << QByteArray("f 1 2 9\nf 1 2 3") << 3;
    }
    void faces()
    {
        QFETCH(QByteArray, faces);
        QFETCH(int, vertices);
        const ObjMesh mesh = parseObjMesh(kSquare + faces);
        QCOMPARE(mesh.vertexCount(), vertices);
        QCOMPARE(mesh.vertices.size(), vertices * ObjMesh::kFloatsPerVertex);
    }

    void cornersCarryTheirAttributes()
    {
        const ObjMesh withNormals = parseObjMesh(kSquare + "f 1/1/1 2/2/1 3/2/1");
        QCOMPARE(withNormals.vertices.mid(8, 8), QVector<float>({1, 0, 0, 0, 0, 1, 1, 1}));
        // Without a normal in the file the face's own normal is used; the winding gives +z here.
        const ObjMesh faceNormal = parseObjMesh("v 0 0 0\nv 2 0 0\nv 0 2 0\nf 1 2 3");
        QCOMPARE(faceNormal.vertices.mid(0, 8), QVector<float>({0, 0, 0, 0, 0, 1, 0, 0}));
    }
};

QTEST_GUILESS_MAIN(ObjMeshTest)
#include "tst_objmesh.moc"
