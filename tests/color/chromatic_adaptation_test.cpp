#include <gtest/gtest.h>

#include "color/chromatic_adaptation.h"

namespace {

const CCIEXYZ kD50(0.964188, 1.0, 0.82489);

void expect_near(const CCIEXYZ& a, const CCIEXYZ& b, double tolerance) {
    EXPECT_NEAR(a.X, b.X, tolerance);
    EXPECT_NEAR(a.Y, b.Y, tolerance);
    EXPECT_NEAR(a.Z, b.Z, tolerance);
}

TEST(ChromaticAdaptation, SrgbPrimariesGiveThePublishedD50Colorants) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(0.3127, 0.3290)));
    CCIEXYZ r, g, b;
    ASSERT_TRUE(adaptation.colorants(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, r, g, b));
    // Published Bradford D50 colorants of sRGB; their D50 differs from ours in Z's 4th decimal.
    expect_near(r, CCIEXYZ(0.4360747, 0.2225045, 0.0139322), 2e-4);
    expect_near(g, CCIEXYZ(0.3850649, 0.7168786, 0.0971045), 2e-4);
    expect_near(b, CCIEXYZ(0.1430804, 0.0606169, 0.7141733), 4e-4);
}

TEST(ChromaticAdaptation, EqualDriveOfAnyPrimariesIsTheD50White) {
    for (const auto& w : {CChromaticity{0.3127, 0.3290}, {0.2831, 0.2971}, {0.4476, 0.4074}}) {
        CChromaticAdaptation adaptation;
        ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(w.x, w.y)));
        CCIEXYZ r, g, b;
        ASSERT_TRUE(adaptation.colorants(0.68, 0.32, 0.265, 0.69, 0.15, 0.06, r, g, b));
        expect_near(CCIEXYZ(r.X + g.X + b.X, r.Y + g.Y + b.Y, r.Z + g.Z + b.Z), kD50, 2e-5);
    }
}

TEST(ChromaticAdaptation, SourceWhitesAndInverses) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(114.06, 120.0, 130.68)));
    expect_near(adaptation.sourceWhite(), CCIEXYZ(0.9505, 1.0, 1.089), 1e-12);
    const Matrix3 before = adaptation.matrix();
    EXPECT_FALSE(adaptation.setSourceWhite(CCIEXYZ(0.5, 0.0, 0.5)));
    EXPECT_EQ(adaptation.matrix(), before);

    CChromaticAdaptation inverse;
    const CCIEXYZ d65(0.950455, 1.0, 1.089058);
    ASSERT_TRUE(inverse.setSourceWhiteWithInverse(d65));
    expect_near(inverse.adaptInverse(kD50), d65, 3e-5);
    expect_near(inverse.adaptInverse(inverse.adapt(CCIEXYZ(0.2, 0.3, 0.4))), CCIEXYZ(0.2, 0.3, 0.4),
                1e-12);
    EXPECT_EQ(inverse.sourceWhite(), kD50);  // taken as given, not stored

    // A profile's published Bradford D65-to-D50 matrix takes its D50 back to its D65.
    const Matrix3 chad{{{1.0478112, 0.0228866, -0.0501270},
                        {0.0295424, 0.9904844, -0.0170491},
                        {-0.0092345, 0.0150436, 0.7521316}}};
    ASSERT_TRUE(inverse.setMatrix(chad));
    EXPECT_EQ(inverse.matrix(), chad);
    expect_near(inverse.adaptInverse(CCIEXYZ(0.96422, 1.0, 0.82521)),
                CCIEXYZ(0.95047, 1.0, 1.08883), 1e-5);
    EXPECT_FALSE(inverse.setMatrix(Matrix3{{{1, 0, 0}, {0, 0, 0}, {0, 0, 1}}}));
}

TEST(ChromaticAdaptation, CollinearPrimariesLeaveTheOutputs) {
    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(0.3127, 0.3290)));
    const CCIEXYZ marker(7.0, 8.0, 9.0);
    CCIEXYZ r = marker, g = marker, b = marker;
    EXPECT_FALSE(adaptation.colorants(0.2, 0.2, 0.35, 0.35, 0.5, 0.5, r, g, b));
    EXPECT_FALSE(adaptation.colorants(0.64, 0.33, 0.64, 0.33, 0.15, 0.06, r, g, b));
    EXPECT_TRUE(r == marker && g == marker && b == marker);
}

}  // namespace
