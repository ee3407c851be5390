#ifndef OBJMESH_H
#define OBJMESH_H

#include <QByteArray>
#include <QVector>

// A triangle mesh read from Wavefront OBJ text: position, normal and texture coordinate per
// corner, ready for one draw call. Faces with more than three corners are split into a fan.
struct ObjMesh {
    static constexpr int kFloatsPerVertex = 8; // x y z, nx ny nz, u v
    QVector<float> vertices;
    int vertexCount() const { return vertices.size() / kFloatsPerVertex; }
};

// Reads v, vt, vn and f lines; everything else is ignored. A face that names a position, normal
// or texture coordinate the file does not hold is dropped whole, so a damaged file draws less
// instead of reading outside its arrays.
ObjMesh parseObjMesh(const QByteArray& text);

#endif // OBJMESH_H
