#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The ".cube" 3D LUT text format that grading and calibration tools write, and its resampling
// to the monitor's 9 x 9 x 9 grid on the 0..1020 scale.
namespace cube {

constexpr int kMinimumSize = 2;
constexpr int kMaximumSize = 256;
// The monitor's grid: nine nodes per axis, three values from 0 to 1020 each.
constexpr int kMonitorNodes = 9;
constexpr int kMonitorScale = 1020;

struct CubeLut {
    QString title;
    int size = 0;
    std::array<double, 3> domain_min{0.0, 0.0, 0.0};
    std::array<double, 3> domain_max{1.0, 1.0, 1.0};
    // size³ rows of red, green, blue output, red input varying fastest.
    std::vector<std::array<float, 3>> rows;
};

// Parses the text of a ".cube" file. False with a one-line message naming the line and the
// problem: a missing or wrong LUT_3D_SIZE, a 1D table, a row that is not three numbers, a
// number outside 0..1 or not a number at all, too few or too many rows.
bool parse(std::string_view text, CubeLut& out, QString& error);

// The monitor's table: kMonitorNodes³ nodes of three values, red fastest, each the LUT's
// trilinear interpolation at the node's input level (i / 8), scaled to 0..1020 and rounded.
std::vector<std::int32_t> resample(const CubeLut& lut);

// A ".cube" text of a monitor table (nodes³ nodes of three values on the 0..1020 scale).
std::string write(std::span<const std::int32_t> points, int nodes, const QString& title);

}  // namespace cube
