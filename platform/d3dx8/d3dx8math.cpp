#include "platform/d3dx8/d3dx8math.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(const float* f) : D3DMATRIX{} {
    for (int i = 0; i < 16; ++i) {
        m[i / 4][i % 4] = f[i];
    }
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44)
    : D3DMATRIX{} {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& b) {
    D3DXMatrixMultiply(this, this, &b);
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& b) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &b);
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& b) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m[r][c] != b.m[r][c]) {
                return false;
            }
        }
    }
    return true;
}

float D3DXVec3Length(const D3DXVECTOR3* v) {
    // Double keeps tiny and huge components from underflowing or overflowing in the square.
    const double x = v->x, y = v->y, z = v->z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    const D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const double x = v->x, y = v->y, z = v->z;
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0.0) || !std::isfinite(len)) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        return out;
    }
    *out = D3DXVECTOR3(static_cast<float>(x / len), static_cast<float>(y / len), static_cast<float>(z / len));
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const float x = v->x, y = v->y, z = v->z;
    D3DXVECTOR4 r;
    r.x = x * m->_11 + y * m->_21 + z * m->_31 + m->_41;
    r.y = x * m->_12 + y * m->_22 + z * m->_32 + m->_42;
    r.z = x * m->_13 + y * m->_23 + z * m->_33 + m->_43;
    r.w = x * m->_14 + y * m->_24 + z * m->_34 + m->_44;
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const float x = v->x, y = v->y, z = v->z;
    *out = D3DXVECTOR3(x * m->_11 + y * m->_21 + z * m->_31, x * m->_12 + y * m->_22 + z * m->_32,
                       x * m->_13 + y * m->_23 + z * m->_33);
    return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    return *m == id ? TRUE : FALSE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                        a->m[i][3] * b->m[3][j];
        }
    }
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    double a[4][4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m->m[i][j];
        }
    }
    // 2×2 minors of the top two and bottom two rows (Laplace expansion).
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    const float fdet = static_cast<float>(det);
    if (determinant != nullptr) {
        *determinant = fdet;
    }
    // A determinant too small for a float counts as zero too: its inverse would be all infinities.
    if (fdet == 0.0f || !std::isfinite(det)) {
        return nullptr;
    }
    const double k = 1.0 / det;
    double r[4][4];
    r[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * k;
    r[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * k;
    r[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k;
    r[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k;
    r[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * k;
    r[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * k;
    r[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k;
    r[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k;
    r[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * k;
    r[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * k;
    r[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k;
    r[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k;
    r[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * k;
    r[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * k;
    r[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k;
    r[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out->m[i][j] = static_cast<float>(r[i][j]);
        }
    }
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = m->m[j][i];
        }
    }
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    const float x = n.x, y = n.y, z = n.z;
    *out = D3DXMATRIX(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,
                      t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,
                      t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn, float zf) {
    const float ys = 1.0f / std::tan(fovY * 0.5f);
    const float xs = ys / aspect;
    const float q = zf / (zf - zn);
    *out = D3DXMATRIX(xs, 0, 0, 0, 0, ys, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t) {
    float dot = a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
    // Take the shorter arc: q and −q are the same rotation.
    float sign = 1.0f;
    if (dot < 0.0f) {
        sign = -1.0f;
        dot = -dot;
    }
    float ka = 1.0f - t;
    float kb = t;
    // Nearly parallel quaternions fall back to a straight blend (sin θ would be ~0).
    if (1.0f - dot > 0.001f) {
        const float theta = std::acos(dot);
        const float s = std::sin(theta);
        ka = std::sin((1.0f - t) * theta) / s;
        kb = std::sin(t * theta) / s;
    }
    kb *= sign;
    const D3DXQUATERNION r(a->x * ka + b->x * kb, a->y * ka + b->y * kb, a->z * ka + b->z * kb,
                           a->w * ka + b->w * kb);
    *out = r;
    return out;
}
