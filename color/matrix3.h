#pragma once

#include <array>

// 3x3 matrices are row-major: m[row][column].
using Vector3 = std::array<double, 3>;
using Matrix3 = std::array<Vector3, 3>;

Vector3 mat3_multiply(const Matrix3& m, const Vector3& v);
Matrix3 mat3_multiply(const Matrix3& a, const Matrix3& b);
double mat3_determinant(const Matrix3& m);
// Leaves `inverse` untouched and returns false when the determinant is exactly zero.
bool mat3_invert(const Matrix3& m, Matrix3& inverse);
Matrix3 mat3_identity();
Matrix3 mat3_diagonal(const Vector3& d);
