#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "ctl/cube_lut.h"

namespace {

using Color = std::array<double, 3>;

// A .cube text of `size` with the rows `f` gives, red fastest.
std::string cube_text(int size, const std::function<Color(Color)>& f,
                      const std::string& head = {}) {
    std::ostringstream text;
    text << "# made by the test\nTITLE \"test\"\n" << head << "LUT_3D_SIZE " << size << "\n";
    text.precision(9);
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r) {
                const double d = size - 1;
                const Color out = f({r / d, g / d, b / d});
                text << out[0] << ' ' << out[1] << ' ' << out[2] << "\n";
            }
    return text.str();
}

Color identity(Color c) {
    return c;
}

// Any function linear in each input is reproduced exactly by trilinear interpolation.
Color mixed(Color c) {
    return {0.8 * c[0] + 0.15 * c[1] + 0.05 * c[2], 0.1 * c[0] + 0.7 * c[1] + 0.2 * c[2],
            0.05 + 0.9 * c[2] * (0.5 + 0.5 * c[0])};
}

QString parse_error(const std::string& text) {
    cube::CubeLut lut;
    QString error;
    EXPECT_FALSE(cube::parse(text, lut, error));
    return error;
}

std::vector<std::int32_t> load(const std::string& text) {
    cube::CubeLut lut;
    QString error;
    EXPECT_TRUE(cube::parse(text, lut, error)) << error.toStdString();
    return cube::resample(lut);
}

TEST(CubeResample, AnIdentityOfAnySizeBecomesTheMonitorsIdentity) {
    for (int size : {2, 9, 17, 33}) {
        const std::vector<std::int32_t> points = load(cube_text(size, identity));
        ASSERT_EQ(points.size(), 3u * 729);
        for (int b = 0; b < 9; ++b)
            for (int g = 0; g < 9; ++g)
                for (int r = 0; r < 9; ++r) {
                    const std::size_t n = static_cast<std::size_t>((b * 9 + g) * 9 + r) * 3;
                    const int want[3] = {r, g, b};
                    for (int ch = 0; ch < 3; ++ch) {
                        ASSERT_EQ(points[n + ch],
                                  static_cast<int>(std::floor(want[ch] * 127.5 + 0.5)))
                            << "size " << size << " node " << r << "," << g << "," << b;
                    }
                }
    }
}

TEST(CubeResample, InterpolatesBetweenRowsThatMissTheNodesAndFollowsTheDomain) {
    // 13 rows per axis put most of the monitor's nodes between two rows.
    const std::vector<std::int32_t> points = load(cube_text(13, mixed));
    for (int b = 0; b < 9; ++b)
        for (int g = 0; g < 9; ++g)
            for (int r = 0; r < 9; ++r) {
                const Color want = mixed({r / 8.0, g / 8.0, b / 8.0});
                const std::size_t n = static_cast<std::size_t>((b * 9 + g) * 9 + r) * 3;
                for (std::size_t ch = 0; ch < 3; ++ch)
                    ASSERT_NEAR(points[n + ch], want[ch] * 1020, 0.51);
            }
    // A domain of 0..0.5 stretches the table over the lower half: the node at 0.25 reads the
    // LUT's middle row, and everything above 0.5 its last.
    const std::vector<std::int32_t> half =
        load(cube_text(3, identity, "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 0.5 0.5 0.5\n"));
    EXPECT_EQ(half[2 * 3], 510);
    EXPECT_EQ(half[8 * 3], 1020);
    EXPECT_EQ(half[4 * 3], 1020);
}

TEST(CubeFile, WrittenTablesReadBackToTheSameValues) {
    std::vector<std::int32_t> points = load(cube_text(13, mixed));
    const std::string text = cube::write(points, 9, QStringLiteral("KX271W \"x\" slot 2"));
    EXPECT_EQ(text.rfind("TITLE \"KX271W x slot 2\"\nLUT_3D_SIZE 9\n", 0), 0u)
        << text.substr(0, 60);
    EXPECT_EQ(load(text), points);
}

TEST(CubeFile, BrokenFilesAreRefusedWithTheLineAndTheProblem) {
    const std::string good = cube_text(3, identity);
    const auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    EXPECT_EQ(parse_error(replace("LUT_3D_SIZE 3", "LUT_3D_SIZE 1")),
              QStringLiteral("line 3: LUT_3D_SIZE must be a whole number from 2 to 256"));
    EXPECT_TRUE(parse_error(replace("LUT_3D_SIZE 3", "LUT_3D_SIZE 3.5")).contains("whole number"));
    EXPECT_TRUE(parse_error(replace("LUT_3D_SIZE 3", "LUT_3D_SIZE")).contains("whole number"));
    EXPECT_EQ(parse_error(replace("LUT_3D_SIZE 3\n", "")),
              QStringLiteral("line 3: a row of data before LUT_3D_SIZE"));
    EXPECT_EQ(parse_error(good.substr(0, good.rfind("1 1 1\n"))),
              QStringLiteral("26 rows of data where a 3 x 3 x 3 LUT has 27 (truncated file?)"));
    EXPECT_TRUE(parse_error(good + "1 1 1\n").contains("more rows than the 27"));
    EXPECT_EQ(parse_error(replace("0.5 0 0", "1.5 0 0")),
              QStringLiteral("line 5: 1.5 is outside 0..1"));
    EXPECT_EQ(parse_error(replace("0.5 0 0", "-0.01 0 0")),
              QStringLiteral("line 5: -0.01 is outside 0..1"));
    EXPECT_TRUE(parse_error(replace("0.5 0 0", "nan 0 0")).contains("line 5: nan is not a number"));
    EXPECT_TRUE(parse_error(replace("0.5 0 0", "0.5 inf 0")).contains("is not a number"));
    EXPECT_TRUE(
        parse_error(replace("0.5 0 0", "0.5 0")).startsWith("line 5: expected three numbers"));
    EXPECT_TRUE(parse_error(replace("0.5 0 0", "0.5 0 0x")).startsWith("line 5: expected three"));
    EXPECT_EQ(parse_error(replace("LUT_3D_SIZE 3", "LUT_1D_SIZE 3")),
              QStringLiteral("line 3: a 1D LUT; the monitor's slots hold 3D LUTs"));
    EXPECT_EQ(parse_error("TITLE \"empty\"\n"),
              QStringLiteral("no LUT_3D_SIZE line: not a 3D LUT"));
    EXPECT_EQ(parse_error(replace("TITLE", "LUT_IN_VIDEO_RANGE\nTITLE")),
              QStringLiteral("line 2: unknown keyword LUT_IN_VIDEO_RANGE"));
    EXPECT_TRUE(parse_error(replace("LUT_3D_SIZE 3\n", "LUT_3D_SIZE 3\nDOMAIN_MAX 0 1 1\n"))
                    .contains("DOMAIN_MIN must be below DOMAIN_MAX"));
    // Writers' rounding just past 1, blank lines and comments after values are fine.
    cube::CubeLut lut;
    QString error;
    EXPECT_TRUE(cube::parse(replace("1 1 1\n", "1.0000001 1 1 # white\n\n"), lut, error))
        << error.toStdString();
}

}  // namespace
