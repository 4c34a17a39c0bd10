#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/d3dx8/d3dx8.h"

namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol) {
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(a(k / 4, k % 4), b(k / 4, k % 4), tol) << "element " << k / 4 << "," << k % 4;
    }
}

D3DXVECTOR3 Apply(const D3DXMATRIX& m, D3DXVECTOR3 v) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, &v, &m);
    return {r.x, r.y, r.z};
}

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

D3DXMATRIX RandomMatrix(std::mt19937& rng) {
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    D3DXMATRIX m;
    for (int k = 0; k < 16; ++k) {
        m(k / 4, k % 4) = d(rng);
    }
    return m;
}

TEST(D3DXMatrix, MultiplyTransposeScalingTranslation) {
    D3DXMATRIX s, t, st, ts;
    D3DXMatrixScaling(&s, 2.0f, 3.0f, 4.0f);
    D3DXMatrixTranslation(&t, 1.0f, 1.0f, 1.0f);
    D3DXMatrixMultiply(&st, &s, &t);
    D3DXMatrixMultiply(&ts, &t, &s);
    ExpectVec(Apply(st, {1, 1, 1}), 3, 4, 5);  // scaled, then moved
    ExpectVec(Apply(ts, {1, 1, 1}), 4, 6, 8);  // moved, then scaled

    // The output may alias either operand or both.
    std::mt19937 rng(7);
    const D3DXMATRIX a = RandomMatrix(rng), b = RandomMatrix(rng);
    D3DXMATRIX expect, sqExpect;
    D3DXMatrixMultiply(&expect, &a, &b);
    D3DXMatrixMultiply(&sqExpect, &a, &a);
    D3DXMATRIX x = a, y = b, sq = a;
    EXPECT_EQ(*D3DXMatrixMultiply(&x, &x, &b), expect);
    EXPECT_EQ(*D3DXMatrixMultiply(&y, &a, &y), expect);
    EXPECT_EQ(*D3DXMatrixMultiply(&sq, &sq, &sq), sqExpect);
    EXPECT_EQ(a * b, expect);

    D3DXMATRIX tr = a;
    D3DXMatrixTranspose(&tr, &tr);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(tr(k / 4, k % 4), a(k % 4, k / 4));
    }
    EXPECT_TRUE(D3DXMatrixIsIdentity(D3DXMatrixScaling(&tr, 1.0f, 1.0f, 1.0f)));
    EXPECT_FALSE(D3DXMatrixIsIdentity(&a));
}

TEST(D3DXMatrix, InverseOfRandomMatricesAndSingularOnes) {
    std::mt19937 rng(11);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    for (int i = 0; i < 50; ++i) {
        const D3DXMATRIX m = RandomMatrix(rng);
        D3DXMATRIX inv;
        float det = 0.0f;
        ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
        EXPECT_NE(det, 0.0f);
        ExpectNear(m * inv, id, 2e-3f);
        ExpectNear(inv * m, id, 2e-3f);
    }
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 5.0f, -2.0f, 1.0f);
    ASSERT_NE(D3DXMatrixInverse(&m, nullptr, &m), nullptr);  // in place
    ExpectVec(Apply(m, {5, -2, 1}), 0, 0, 0);

    // Singular (a flattened axis, two equal rows, a determinant below float range): null,
    // determinant 0, output untouched.
    D3DXMATRIX flat, rows = RandomMatrix(rng), tiny;
    D3DXMatrixScaling(&flat, 1.0f, 0.0f, 1.0f);
    std::memcpy(rows.m[2], rows.m[1], sizeof(rows.m[1]));
    D3DXMatrixScaling(&tiny, 1e-20f, 1e-20f, 1e-20f);
    for (const D3DXMATRIX* s : {&flat, &rows, &tiny}) {
        D3DXMATRIX out = rows;
        float det = 99.0f;
        EXPECT_EQ(D3DXMatrixInverse(&out, &det, s), nullptr);
        EXPECT_EQ(det, 0.0f);
        EXPECT_EQ(out, rows);
    }
}

// Left-handed, row vectors: positive angles turn clockwise when looking down the axis toward the origin.
TEST(D3DXMatrix, Rotations) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, kPi / 2);
    ExpectVec(Apply(m, {1, 0, 0}), 0, 0, -1);
    ExpectVec(Apply(m, {0, 0, 1}), 1, 0, 0);
    D3DXMatrixRotationX(&m, kPi / 2);
    ExpectVec(Apply(m, {0, 1, 0}), 0, 0, 1);
    D3DXMatrixRotationZ(&m, kPi / 2);
    ExpectVec(Apply(m, {1, 0, 0}), 0, 1, 0);

    // About an axis (not normalised on input) agrees with the axis rotations.
    const float angle = 0.7f;
    D3DXMATRIX axisY, plainY;
    const D3DXVECTOR3 up(0, 5, 0), diag(1, 1, 1);
    D3DXMatrixRotationAxis(&axisY, &up, angle);
    D3DXMatrixRotationY(&plainY, angle);
    ExpectNear(axisY, plainY, 1e-6f);
    D3DXMatrixRotationAxis(&m, &diag, 2 * kPi / 3);  // a third turn cycles the axes
    ExpectVec(Apply(m, {1, 0, 0}), 0, 1, 0, 1e-5f);

    // A quaternion for the same turn gives the same matrix; the frame tracks' conjugate turns back.
    const D3DXQUATERNION q(0, std::sin(angle / 2), 0, std::cos(angle / 2));
    D3DXMatrixRotationQuaternion(&m, &q);
    ExpectNear(m, plainY, 1e-6f);
    const D3DXQUATERNION z(0, 0, -0.70710678f, 0.70710678f);
    D3DXMatrixRotationQuaternion(&m, &z);
    ExpectVec(Apply(m, {1, 0, 0}), 0, -1, 0, 1e-6f);
}

TEST(D3DXMatrix, PerspectiveFovLHMapsTheFrustumOntoD3DClipSpace) {
    D3DXMATRIX p;
    const float fov = 45.0f * 0.017453292f, aspect = 640.0f / 480.0f, h = std::tan(fov / 2);
    D3DXMatrixPerspectiveFovLH(&p, fov, aspect, 0.1f, 20.0f);
    D3DXVECTOR3 out;
    for (float zv : {0.1f, 20.0f}) {  // near to depth 0, far to 1, frustum corners to ±1
        const D3DXVECTOR3 v(-h * aspect * zv, h * zv, zv);
        D3DXVec3TransformCoord(&out, &v, &p);
        ExpectVec(out, -1.0f, 1.0f, zv == 0.1f ? 0.0f : 1.0f, 1e-5f);
    }
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_EQ(p._44, 0.0f);
}

TEST(D3DXQuaternion, SlerpEndpointsMidpointShortArcAndEqualInputs) {
    const D3DXQUATERNION a(0, 0, 0, 1);
    const D3DXQUATERNION b(0, std::sin(kPi / 4), 0, std::cos(kPi / 4));  // 90° about Y
    const D3DXQUATERNION nb(-b.x, -b.y, -b.z, -b.w);                     // the same turn
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.0f);
    EXPECT_EQ(r, a);
    D3DXQuaternionSlerp(&r, &a, &b, 1.0f);
    EXPECT_NEAR(r.y, b.y, 1e-6f);
    EXPECT_NEAR(r.w, b.w, 1e-6f);
    for (const D3DXQUATERNION* to : {&b, &nb}) {  // 45° about Y, the short way, unit length
        D3DXQuaternionSlerp(&r, &a, to, 0.5f);
        EXPECT_NEAR(r.x, 0.0f, 1e-7f);
        EXPECT_NEAR(r.y, std::sin(kPi / 8), 1e-6f);
        EXPECT_NEAR(r.w, std::cos(kPi / 8), 1e-6f);
    }
    D3DXQuaternionSlerp(&r, &b, &b, 0.3f);  // no division by sin 0
    EXPECT_NEAR(r.y, b.y, 1e-6f);
    EXPECT_NEAR(r.w, b.w, 1e-6f);
}

TEST(D3DXVector, NormalizeCrossLengthTransform) {
    D3DXVECTOR3 out(9, 9, 9);
    const D3DXVECTOR3 zero(0, 0, 0), tiny(3e-30f, 0, 4e-30f), denormal(1e-45f, 0, 0), big(3e30f, 0, 4e30f);
    D3DXVec3Normalize(&out, &zero);
    EXPECT_EQ(out, zero);
    // Vectors whose float square underflows still come out at unit length.
    D3DXVec3Normalize(&out, &tiny);
    ExpectVec(out, 0.6f, 0.0f, 0.8f);
    D3DXVec3Normalize(&out, &denormal);
    ExpectVec(out, 1, 0, 0);
    D3DXVECTOR3 v(3, 0, 4);
    D3DXVec3Normalize(&v, &v);  // in place
    ExpectVec(v, 0.6f, 0.0f, 0.8f);
    EXPECT_NEAR(D3DXVec3Length(&big), 5e30f, 1e24f);

    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), b(4, 5, 6);
    D3DXVECTOR3 c, a(1, 2, 3);
    D3DXVec3Cross(&c, &y, &x);
    EXPECT_EQ(c, D3DXVECTOR3(0, 0, -1));
    D3DXVec3Cross(&a, &a, &b);  // aliased
    EXPECT_EQ(a, D3DXVECTOR3(-3, 6, -3));
    EXPECT_EQ(D3DXVec3Dot(&a, &b), 0.0f);

    // Transform keeps w, TransformCoord divides by it, TransformNormal ignores the translation.
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    m._14 = 0.5f;
    const D3DXVECTOR3 p(2, 0, 0);
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, &p, &m);
    EXPECT_EQ(r, D3DXVECTOR4(3, 2, 3, 2));
    D3DXVec3TransformCoord(&c, &p, &m);
    ExpectVec(c, 1.5f, 1.0f, 1.5f);
    D3DXVec3TransformNormal(&c, &p, &m);
    ExpectVec(c, 2, 0, 0);
}

TEST(D3DXFvf, VertexSizes) {
    EXPECT_EQ(D3DXGetFVFVertexSize(0x142), 24u);  // XYZ | DIFFUSE | TEX1
    EXPECT_EQ(D3DXGetFVFVertexSize(0x1C4), 32u);  // XYZRHW | DIFFUSE | SPECULAR | TEX1
    EXPECT_EQ(D3DXGetFVFVertexSize(0x112), 32u);  // XYZ | NORMAL | TEX1
    EXPECT_EQ(D3DXGetFVFVertexSize(0), 0u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4), 32u);
    const DWORD sets = D3DFVF_XYZ | D3DFVF_TEX4 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE2(1) |
                       D3DFVF_TEXCOORDSIZE3(2) | D3DFVF_TEXCOORDSIZE4(3);
    EXPECT_EQ(D3DXGetFVFVertexSize(sets), 12u + 4u + 8u + 12u + 16u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | (8u << D3DFVF_TEXCOUNT_SHIFT)), 12u + 64u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | (9u << D3DFVF_TEXCOUNT_SHIFT)), 0u);
}

}  // namespace
