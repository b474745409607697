#include "color/matrix3.h"

Vector3 mat3_multiply(const Matrix3& m, const Vector3& v) {
    Vector3 r{};
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

Matrix3 mat3_multiply(const Matrix3& a, const Matrix3& b) {
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}

double mat3_determinant(const Matrix3& m) {
    // Rule of Sarrus.
    return m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0] + m[0][2] * m[1][0] * m[2][1] -
           m[0][2] * m[1][1] * m[2][0] - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
}

bool mat3_invert(const Matrix3& m, Matrix3& inverse) {
    const double det = mat3_determinant(m);
    if (det == 0.0) return false;
    Matrix3 r{};
    // Transposed cofactors (the adjugate) over the determinant.
    r[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    inverse = r;
    return true;
}

Matrix3 mat3_identity() {
    return mat3_diagonal({1.0, 1.0, 1.0});
}

Matrix3 mat3_diagonal(const Vector3& d) {
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        r[i][i] = d[i];
    return r;
}
