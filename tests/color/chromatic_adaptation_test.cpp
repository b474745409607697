#include <gtest/gtest.h>

#include "color/chromatic_adaptation.h"

namespace {

const CCIEXYZ kD50(0.964188, 1.0, 0.82489);

void expect_xyz_near(const CCIEXYZ& actual, const CCIEXYZ& expected, double tolerance) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

TEST(ChromaticAdaptation, SrgbPrimariesGiveThePublishedD50Colorants) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(0.3127, 0.3290)));
    CCIEXYZ red, green, blue;
    ASSERT_TRUE(adaptation.colorants(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, red, green, blue));
    // The Bradford-adapted sRGB colorants as published for D50 profiles; our D50 white differs
    // from theirs in the fourth decimal of Z.
    expect_xyz_near(red, CCIEXYZ(0.4360747, 0.2225045, 0.0139322), 2e-4);
    expect_xyz_near(green, CCIEXYZ(0.3850649, 0.7168786, 0.0971045), 2e-4);
    expect_xyz_near(blue, CCIEXYZ(0.1430804, 0.0606169, 0.7141733), 4e-4);
}

TEST(ChromaticAdaptation, ColorantsAddUpToTheD50White) {
    const double whites[][2] = {{0.3127, 0.3290}, {0.2831, 0.2971}, {0.4476, 0.4074}};
    for (const auto& w : whites) {
        CChromaticAdaptation adaptation;
        ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(w[0], w[1])));
        CCIEXYZ r, g, b;
        ASSERT_TRUE(adaptation.colorants(0.68, 0.32, 0.265, 0.69, 0.15, 0.06, r, g, b));
        // Equal drive is the source white, which Bradford carries onto D50.
        const CCIEXYZ sum(r.X + g.X + b.X, r.Y + g.Y + b.Y, r.Z + g.Z + b.Z);
        expect_xyz_near(sum, kD50, 2e-5);
    }
}

TEST(ChromaticAdaptation, SourceWhiteIsNormalisedAndMappedToD50) {
    CChromaticAdaptation adaptation;
    const CCIEXYZ measured(95.05 * 1.2, 120.0, 108.9 * 1.2);
    ASSERT_TRUE(adaptation.setSourceWhite(measured));
    expect_xyz_near(adaptation.sourceWhite(), CCIEXYZ(0.9505, 1.0, 1.089), 1e-12);
    expect_xyz_near(adaptation.adapt(adaptation.sourceWhite()), kD50, 2e-5);
    // A white without luminance changes nothing.
    const Matrix3 before = adaptation.matrix();
    EXPECT_FALSE(adaptation.setSourceWhite(CCIEXYZ(0.5, 0.0, 0.5)));
    EXPECT_EQ(adaptation.matrix(), before);
    expect_xyz_near(adaptation.sourceWhite(), CCIEXYZ(0.9505, 1.0, 1.089), 1e-12);
}

TEST(ChromaticAdaptation, D50SourceAdaptsAlmostToIdentity) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(kD50));
    const Matrix3 m = adaptation.matrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(m[i][j], i == j ? 1.0 : 0.0, 2e-5);
}

TEST(ChromaticAdaptation, InverseFromWhiteMapsD50BackToTheSource) {
    CChromaticAdaptation adaptation;
    const CCIEXYZ d65(0.950455, 1.0, 1.089058);
    ASSERT_TRUE(adaptation.setSourceWhiteWithInverse(d65));
    expect_xyz_near(adaptation.adaptInverse(kD50), d65, 3e-5);
    const CCIEXYZ sample(0.2, 0.3, 0.4);
    expect_xyz_near(adaptation.adaptInverse(adaptation.adapt(sample)), sample, 1e-12);
    // The white is taken as given: the stored normalised white is not this one.
    EXPECT_EQ(adaptation.sourceWhite(), kD50);
}

TEST(ChromaticAdaptation, MatrixIsTakenAsGivenAndInverted) {
    CChromaticAdaptation adaptation;
    // The Bradford-derived D65-to-D50 matrix a profile would carry in its adaptation tag.
    const Matrix3 chad{{{1.0478112, 0.0228866, -0.0501270},
                        {0.0295424, 0.9904844, -0.0170491},
                        {-0.0092345, 0.0150436, 0.7521316}}};
    ASSERT_TRUE(adaptation.setMatrix(chad));
    EXPECT_EQ(adaptation.matrix(), chad);
    const Matrix3 product = mat3_multiply(adaptation.matrix(), adaptation.inverseMatrix());
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-14);
    // Its inverse takes the D50 it was made for back to that D65.
    expect_xyz_near(adaptation.adaptInverse(CCIEXYZ(0.96422, 1.0, 0.82521)),
                    CCIEXYZ(0.95047, 1.0, 1.08883), 1e-5);

    const Matrix3 singular{{{1.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}}};
    EXPECT_FALSE(adaptation.setMatrix(singular));
}

TEST(ChromaticAdaptation, CollinearPrimariesLeaveTheOutputs) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(0.3127, 0.3290)));
    const CCIEXYZ marker(7.0, 8.0, 9.0);
    CCIEXYZ r = marker, g = marker, b = marker;
    // Three points on the line y = x, then green equal to red.
    EXPECT_FALSE(adaptation.colorants(0.2, 0.2, 0.35, 0.35, 0.5, 0.5, r, g, b));
    EXPECT_FALSE(adaptation.colorants(0.64, 0.33, 0.64, 0.33, 0.15, 0.06, r, g, b));
    EXPECT_EQ(r, marker);
    EXPECT_EQ(g, marker);
    EXPECT_EQ(b, marker);
}

}  // namespace
