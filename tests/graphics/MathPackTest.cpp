#include "graphics/s_MathPack.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const TSXMatrix& a, const TSXMatrix& b) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], 1e-5f) << i << "," << j;
}

TSXMatrix RotationZTranslation(float angle, float tx, float ty, float tz) {
    TSXMatrix m = MatrixIdentity();
    m.m[0][0] = std::cos(angle);
    m.m[0][1] = std::sin(angle);
    m.m[1][0] = -std::sin(angle);
    m.m[1][1] = std::cos(angle);
    m.m[3][0] = tx;
    m.m[3][1] = ty;
    m.m[3][2] = tz;
    return m;
}

} // namespace

TEST(MathPack, ViewportMapsProjectedCornersToPixels) {
    const TSXMatrix vp = MatrixViewport(0, 0, 764, 500, 0, 1);
    const TSXVector3 topLeft = Vec3TransformCoord(MakeVector3(-1, 1, 0), vp);
    const TSXVector3 bottomRight = Vec3TransformCoord(MakeVector3(1, -1, 1), vp);
    EXPECT_FLOAT_EQ(topLeft.X, 0);
    EXPECT_FLOAT_EQ(topLeft.Y, 0);
    EXPECT_FLOAT_EQ(bottomRight.X, 764);
    EXPECT_FLOAT_EQ(bottomRight.Y, 500);
    EXPECT_FLOAT_EQ(bottomRight.Z, 1);
    // An offset viewport moves the centre.
    const TSXVector3 c = Vec3TransformCoord(MakeVector3(0, 0, 0), MatrixViewport(10, 20, 100, 50, 0.25f, 1));
    EXPECT_FLOAT_EQ(c.X, 60);
    EXPECT_FLOAT_EQ(c.Y, 45);
    EXPECT_FLOAT_EQ(c.Z, 0.25f);
}

TEST(MathPack, PerspectiveProjectionPutsNearAndFarOnZeroAndOne) {
    const float fov = 1.5707964f;
    const TSXMatrix p = MatrixPerspectiveFov(fov, 500.0f / 764.0f, 0.01f, 10000.0f);
    EXPECT_NEAR(p.m[1][1], 1.0f, 1e-6f); // cot(45 degrees)
    EXPECT_NEAR(p.m[0][0], 500.0f / 764.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(p.m[3][3], 0.0f);
    EXPECT_NEAR(Vec3TransformCoord(MakeVector3(0, 0, 0.01f), p).Z, 0.0f, 1e-5f);
    EXPECT_NEAR(Vec3TransformCoord(MakeVector3(0, 0, 10000.0f), p).Z, 1.0f, 1e-5f);
    // W carries the depth; the divide shrinks far points towards the centre.
    const TSXVector4 h = Vec3Transform(MakeVector3(2, 2, 4), p);
    EXPECT_FLOAT_EQ(h.W, 4);
    EXPECT_NEAR(Vec3TransformCoord(MakeVector3(2, 2, 4), p).Y, 0.5f, 1e-6f);
}

TEST(MathPack, ProductAppliesLeftMatrixFirst) {
    TSXMatrix scale = MatrixIdentity();
    scale.m[0][0] = 2;
    const TSXMatrix move = RotationZTranslation(0, 5, 0, 0);
    const TSXVector3 v = MakeVector3(1, 0, 0);
    EXPECT_FLOAT_EQ(Vec3TransformCoord(v, MatrixMultiply(scale, move)).X, 7);  // 1*2 + 5
    EXPECT_FLOAT_EQ(Vec3TransformCoord(v, MatrixMultiply(move, scale)).X, 12); // (1+5)*2
    ExpectNear(MatrixMultiply(MatrixIdentity(), move), move);
}

TEST(MathPack, AffineInverseUndoesRotationAndTranslation) {
    const TSXMatrix m = RotationZTranslation(0.7f, 3, -2, 9);
    ExpectNear(MatrixMultiply(m, MatrixInverseAffine(m)), MatrixIdentity());
    const TSXVector3 n = Vec3TransformNormal(MakeVector3(1, 0, 0), m);
    EXPECT_NEAR(n.X, std::cos(0.7f), 1e-6f); // directions ignore the translation
    EXPECT_NEAR(n.Y, std::sin(0.7f), 1e-6f);
}

TEST(MathPack, DeterminantOfUpperThreeByThree) {
    TSXMatrix m = MatrixIdentity();
    m.m[0][0] = 2;
    m.m[1][1] = 3;
    m.m[2][2] = 4;
    m.m[3][3] = 100; // outside the 3x3 part
    EXPECT_FLOAT_EQ(MatrixDeterminant3x3(m), 24);
    m.m[0][1] = 1;
    m.m[1][0] = 6; // rows (2 1 0), (6 3 0), (0 0 4): singular
    EXPECT_FLOAT_EQ(MatrixDeterminant3x3(m), 0);
    EXPECT_NEAR(MatrixDeterminant3x3(RotationZTranslation(1.1f, 4, 4, 4)), 1.0f, 1e-6f);
}

TEST(MathPack, PointOnTheEyePlaneStaysFinite) {
    TSXMatrix p = MatrixPerspectiveFov(1.0f, 1.0f, 1, 10);
    const TSXVector3 v = Vec3TransformCoord(MakeVector3(1, 1, 0), p);
    EXPECT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z));
}
