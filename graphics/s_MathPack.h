#pragma once
// Small vector and matrix records for the scene: row vectors multiplied from the
// left (v * M), 4x4 single-precision matrices laid out m[row][column], so m[3][0..2]
// is the translation and "m11" of the usual notation is m[0][0].
#include <cstdint>

struct TSXVector2 {
    float X = 0, Y = 0;
};
struct TSXVector3 {
    float X = 0, Y = 0, Z = 0;
};
struct TSXVector4 {
    float X = 0, Y = 0, Z = 0, W = 0;
};

struct TSXMatrix {
    float m[4][4] = {};
    bool operator==(const TSXMatrix&) const = default;
};

// One corner of a 2D polygon: pixel offset from the polygon's position, its ARGB
// colour (multiplies the texel) and texture coordinates.
struct TSXVertex2D {
    float X = 0, Y = 0;
    uint32_t Color = 0;
    float U = 0, V = 0;
};

inline TSXVector2 MakeVector2(float x, float y) {
    return {x, y};
}
inline TSXVector3 MakeVector3(float x, float y, float z) {
    return {x, y, z};
}
inline TSXVector4 MakeVector4(float x, float y, float z, float w) {
    return {x, y, z, w};
}
inline TSXVertex2D MakeVertex2D(float x, float y, uint32_t color, float u, float v) {
    return {x, y, color, u, v};
}

TSXMatrix MatrixIdentity();
// a * b: first a's transform, then b's.
TSXMatrix MatrixMultiply(const TSXMatrix& a, const TSXMatrix& b);
// (v, 1) * M without and with the homogeneous divide by the resulting W.
TSXVector4 Vec3Transform(const TSXVector3& v, const TSXMatrix& m);
TSXVector3 Vec3TransformCoord(const TSXVector3& v, const TSXMatrix& m);
// (v, 0) * M: a direction, translation ignored.
TSXVector3 Vec3TransformNormal(const TSXVector3& v, const TSXMatrix& m);
// Inverse of a rotation-plus-translation matrix: transposed rotation, translation
// taken back through it. Only right for matrices without scale or shear.
TSXMatrix MatrixInverseAffine(const TSXMatrix& m);
// Determinant of the upper-left 3x3 part.
float MatrixDeterminant3x3(const TSXMatrix& m);

// Maps projected coordinates (-1..1, y up) to pixels of the viewport (y down):
// m11 = Width/2, m22 = -Height/2, m33 = MaxZ - MinZ, m41 = X + Width/2,
// m42 = Y + Height/2, m43 = MinZ.
TSXMatrix MatrixViewport(float x, float y, float width, float height, float minZ, float maxZ);
// Left-handed perspective projection; fieldOfView is the vertical angle in radians and
// aspect is height divided by width.
TSXMatrix MatrixPerspectiveFov(float fieldOfView, float aspect, float zNear, float zFar);
