#include "graphics/s_MathPack.h"

#include <cmath>

TSXMatrix MatrixIdentity() {
    TSXMatrix r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

TSXMatrix MatrixMultiply(const TSXMatrix& a, const TSXMatrix& b) {
    TSXMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

TSXVector4 Vec3Transform(const TSXVector3& v, const TSXMatrix& m) {
    TSXVector4 r;
    r.X = v.X * m.m[0][0] + v.Y * m.m[1][0] + v.Z * m.m[2][0] + m.m[3][0];
    r.Y = v.X * m.m[0][1] + v.Y * m.m[1][1] + v.Z * m.m[2][1] + m.m[3][1];
    r.Z = v.X * m.m[0][2] + v.Y * m.m[1][2] + v.Z * m.m[2][2] + m.m[3][2];
    r.W = v.X * m.m[0][3] + v.Y * m.m[1][3] + v.Z * m.m[2][3] + m.m[3][3];
    return r;
}

TSXVector3 Vec3TransformCoord(const TSXVector3& v, const TSXMatrix& m) {
    const TSXVector4 h = Vec3Transform(v, m);
    // A point on the eye plane has no projection; keep it finite rather than inf/nan.
    const float inv = h.W != 0.0f ? 1.0f / h.W : 0.0f;
    return {h.X * inv, h.Y * inv, h.Z * inv};
}

TSXVector3 Vec3TransformNormal(const TSXVector3& v, const TSXMatrix& m) {
    return {v.X * m.m[0][0] + v.Y * m.m[1][0] + v.Z * m.m[2][0],
            v.X * m.m[0][1] + v.Y * m.m[1][1] + v.Z * m.m[2][1],
            v.X * m.m[0][2] + v.Y * m.m[1][2] + v.Z * m.m[2][2]};
}

TSXMatrix MatrixInverseAffine(const TSXMatrix& m) {
    TSXMatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[j][i];
    for (int j = 0; j < 3; ++j)
        r.m[3][j] = -(m.m[3][0] * r.m[0][j] + m.m[3][1] * r.m[1][j] + m.m[3][2] * r.m[2][j]);
    r.m[3][3] = 1.0f;
    return r;
}

float MatrixDeterminant3x3(const TSXMatrix& m) {
    const auto& a = m.m;
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

TSXMatrix MatrixViewport(float x, float y, float width, float height, float minZ, float maxZ) {
    TSXMatrix r = MatrixIdentity();
    r.m[0][0] = width / 2;
    r.m[1][1] = -(height / 2);
    r.m[2][2] = maxZ - minZ;
    r.m[3][0] = x + width / 2;
    r.m[3][1] = y + height / 2;
    r.m[3][2] = minZ;
    return r;
}

TSXMatrix MatrixPerspectiveFov(float fieldOfView, float aspect, float zNear, float zFar) {
    TSXMatrix r;
    const float cot = std::cos(fieldOfView / 2) / std::sin(fieldOfView / 2);
    r.m[0][0] = aspect * cot;
    r.m[1][1] = cot;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * zFar / (zFar - zNear);
    r.m[3][3] = 0.0f;
    return r;
}
