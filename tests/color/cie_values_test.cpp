#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

#include "color/cie_xyz.h"
#include "color/cie_yxy.h"
#include "color/display_info.h"
#include "color/matrix3.h"

namespace {

TEST(CieValues, XyzFromChromaticityAndBack) {
    // The sRGB white and primaries round-trip through XYZ at unit luminance.
    const double points[][2] = {{0.3127, 0.3290}, {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}};
    for (const auto& p : points) {
        const CCIEXYZ xyz(p[0], p[1]);
        EXPECT_DOUBLE_EQ(xyz.Y, 1.0);
        EXPECT_NEAR(xyz.X + xyz.Y + xyz.Z, 1.0 / p[1], 1e-12);
        const CChromaticity back = xyz.chromaticity();
        EXPECT_NEAR(back.x, p[0], 1e-15);
        EXPECT_NEAR(back.y, p[1], 1e-15);
    }
}

TEST(CieValues, DegenerateChromaticitiesStayFinite) {
    EXPECT_EQ(CCIEXYZ(0.4, 0.0), CCIEXYZ(0.0, 1.0, 0.0));
    EXPECT_EQ(CCIEXYZ().chromaticity(), (CChromaticity{0.0, 0.0}));
    // A sum of zero from mixed signs is black as far as chromaticity goes.
    EXPECT_EQ(CCIEXYZ(1.0, -1.0, 0.0).chromaticity(), (CChromaticity{0.0, 0.0}));
    EXPECT_EQ(CCIEYxy(80.0, 0.3, 0.0).toXYZ(), CCIEXYZ(0.0, 80.0, 0.0));
}

TEST(CieValues, YxyKeepsLuminanceThroughXyz) {
    const CCIEYxy white(120.0, 0.3127, 0.3290);
    const CCIEXYZ xyz = white.toXYZ();
    EXPECT_DOUBLE_EQ(xyz.Y, 120.0);
    // Same chromaticity as the unit-luminance colour, scaled.
    const CCIEXYZ unit(0.3127, 0.3290);
    EXPECT_NEAR(xyz.X, unit.X * 120.0, 1e-12);
    EXPECT_NEAR(xyz.Z, unit.Z * 120.0, 1e-12);
    EXPECT_NEAR(xyz.chromaticity().x, 0.3127, 1e-15);
    EXPECT_EQ(white.chromaticity(), (CChromaticity{0.3127, 0.3290}));
    EXPECT_EQ(CCIEYxy(), CCIEYxy(0.0, 0.0, 0.0));
}

TEST(CieValues, ValueClassesCopyThroughTheDisplayRecord) {
    static_assert(std::has_virtual_destructor_v<CCIEXYZ>);
    static_assert(std::has_virtual_destructor_v<CCIEYxy>);
    DisplayInfo info;
    info.primaries[3] = CCIEXYZ(0.9505, 1.0, 1.089);
    const DisplayInfo copy = info;
    EXPECT_EQ(copy.primaries[3].X, 0.9505);
    EXPECT_EQ(copy.primaries[0], CCIEXYZ());
}

TEST(Matrix3, InverseUndoesTheMatrix) {
    const Matrix3 m{{{2.0, -1.0, 0.5}, {0.3, 4.0, -2.0}, {1.0, 0.25, 3.0}}};
    Matrix3 inv;
    ASSERT_TRUE(mat3_invert(m, inv));
    for (const Matrix3& product : {mat3_multiply(m, inv), mat3_multiply(inv, m)})
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-14);
    // Solving m v = b through the inverse.
    const Vector3 v{0.7, -1.3, 2.1};
    const Vector3 back = mat3_multiply(inv, mat3_multiply(m, v));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(back[i], v[i], 1e-14);
}

TEST(Matrix3, DeterminantIsMultiplicative) {
    const Matrix3 a{{{1.0, 2.0, 3.0}, {0.0, 1.0, 4.0}, {5.0, 6.0, 0.0}}};
    const Matrix3 b{{{-2.0, 1.0, 0.0}, {3.0, 0.5, 1.0}, {1.0, 1.0, 1.0}}};
    // det(a) by expansion along the first row.
    EXPECT_DOUBLE_EQ(mat3_determinant(a), 1.0 * (0 - 24) - 2.0 * (0 - 20) + 3.0 * (0 - 5));
    EXPECT_NEAR(mat3_determinant(mat3_multiply(a, b)), mat3_determinant(a) * mat3_determinant(b),
                1e-12);
}

TEST(Matrix3, SingularMatrixLeavesOutputUntouched) {
    const Matrix3 singular{{{1.0, 2.0, 3.0}, {2.0, 4.0, 6.0}, {0.0, 1.0, 1.0}}};
    Matrix3 out = mat3_identity();
    out[0][1] = 42.0;
    const Matrix3 before = out;
    EXPECT_FALSE(mat3_invert(singular, out));
    EXPECT_EQ(out, before);
}

}  // namespace
