#include <gtest/gtest.h>

#include "color/cie_xyz.h"
#include "color/cie_yxy.h"
#include "color/matrix3.h"

namespace {

TEST(CieValues, ChromaticityLuminanceAndDegenerateCases) {
    for (const auto& p : {CChromaticity{0.3127, 0.3290}, {0.64, 0.33}, {0.15, 0.06}}) {
        const CCIEXYZ unit(p.x, p.y);
        EXPECT_EQ(unit.Y, 1.0);
        EXPECT_NEAR(unit.chromaticity().x, p.x, 1e-15);
        EXPECT_NEAR(unit.chromaticity().y, p.y, 1e-15);
        const CCIEXYZ bright = CCIEYxy(120.0, p.x, p.y).toXYZ();
        EXPECT_NEAR(bright.X, unit.X * 120.0, 1e-12);
        EXPECT_NEAR(bright.Z, unit.Z * 120.0, 1e-12);
        EXPECT_EQ(bright.Y, 120.0);
    }
    EXPECT_EQ(CCIEXYZ(0.4, 0.0), CCIEXYZ(0.0, 1.0, 0.0));
    EXPECT_EQ(CCIEXYZ().chromaticity(), (CChromaticity{0.0, 0.0}));
    EXPECT_EQ(CCIEYxy(80.0, 0.3, 0.0).toXYZ(), CCIEXYZ(0.0, 80.0, 0.0));
}

TEST(Matrix3, InverseDeterminantAndSingularMatrices) {
    const Matrix3 m{{{2.0, -1.0, 0.5}, {0.3, 4.0, -2.0}, {1.0, 0.25, 3.0}}};
    const Matrix3 b{{{-2.0, 1.0, 0.0}, {3.0, 0.5, 1.0}, {1.0, 1.0, 1.0}}};
    Matrix3 inv;
    ASSERT_TRUE(mat3_invert(m, inv));
    const Matrix3 product = mat3_multiply(m, inv);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-14);
    const Vector3 v{0.7, -1.3, 2.1};
    const Vector3 back = mat3_multiply(inv, mat3_multiply(m, v));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(back[i], v[i], 1e-14);
    EXPECT_NEAR(mat3_determinant(mat3_multiply(m, b)), mat3_determinant(m) * mat3_determinant(b),
                1e-12);

    const Matrix3 singular{{{1.0, 2.0, 3.0}, {2.0, 4.0, 6.0}, {0.0, 1.0, 1.0}}};
    Matrix3 out = b;
    EXPECT_FALSE(mat3_invert(singular, out));
    EXPECT_EQ(out, b);
}

}  // namespace
