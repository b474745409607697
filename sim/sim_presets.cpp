#include <algorithm>
#include <cmath>

#include "sim/sim_model.h"

namespace sim {

namespace {

int thousandths(double v) {
    return static_cast<int>(std::lround(v * 1000.0));
}

struct PresetTarget {
    std::array<int, 6> primaries;  // 0 = the panel's native primaries
    int white_x;                   // 0 = the panel's native white
    int white_y;
    int gamma_type;
    int gamma_code;
    int luminance;  // 0 = the panel's maximum
    int black_level;
};

constexpr std::array<int, 6> kNative{};
constexpr std::array<int, 6> kSrgb{640, 330, 300, 600, 150, 60};
constexpr std::array<int, 6> kAdobe{640, 330, 210, 710, 150, 60};
constexpr std::array<int, 6> kDci{680, 320, 265, 690, 150, 60};
constexpr std::array<int, 6> kEci{670, 330, 210, 710, 140, 80};

// gamma_code = (gamma - 0.5) * 100: 2.2 -> 170, 2.4 -> 190, 2.6 -> 210.
PresetTarget target_of(int preset) {
    switch (preset) {
        case preset::srgb:
            return {kSrgb, 313, 329, gamma::srgb, 170, 120, 0};
        case preset::adobe_rgb:
            return {kAdobe, 313, 329, gamma::value, 170, 160, 0};
        case preset::dci:
            return {kDci, 314, 351, gamma::value, 210, 48, 0};
        case preset::rec709:
            return {kSrgb, 313, 329, gamma::value, 190, 100, 0};
        case preset::high_bright:
            return {kNative, 0, 0, gamma::value, 170, 0, 0};
        case preset::full:
            return {kNative, 313, 329, gamma::value, 170, 200, 0};
        case preset::dicom:
            return {kNative, 313, 329, gamma::dicom, 170, 350, 5};
        case preset::eci_rgb:
            return {kEci, 346, 359, gamma::lstar, 170, 160, 0};
        default:
            return {kNative, 313, 329, gamma::value, 170, 120, 0};  // programmable
    }
}

}  // namespace

std::map<int, int> preset_settings(const CSimModel& model, int preset) {
    const PresetTarget t = target_of(preset);
    std::array<int, 6> primaries = t.primaries;
    if (primaries == kNative) {
        for (int i = 0; i < 6; ++i)
            primaries[static_cast<std::size_t>(i)] =
                thousandths(model.native[static_cast<std::size_t>(i)]);
    }
    const int luminance = t.luminance == 0 ? model.brightness_max : t.luminance;
    const bool programmable =
        preset >= preset::programmable_first && preset <= preset::programmable_last;
    std::map<int, int> s;
    s[code::preset] = preset;
    s[code::white_x] = t.white_x ? t.white_x : thousandths(model.native[6]);
    s[code::white_y] = t.white_y ? t.white_y : thousandths(model.native[7]);
    s[code::black_level] = std::min(t.black_level, model.black_max);
    for (int i = 0; i < 6; ++i)
        s[code::red_x + i] = primaries[static_cast<std::size_t>(i)];
    s[code::gamma_type] = t.gamma_type;
    s[code::gamma_value] = t.gamma_code;
    s[code::luminance] = std::clamp(luminance, model.brightness_floor, model.brightness_max);
    s[code::lut_use] = 1;
    s[code::lut_slot] = programmable ? preset - preset::programmable_first + 1 : 0;
    return s;
}

std::array<std::array<std::uint32_t, 3>, 3> factory_primaries_xyz(const CSimModel& model) {
    // Columns of the panel's primaries (XYZ with Y = 1), scaled so that they add up to the
    // native white at full luminance.
    double p[3][3];
    for (int i = 0; i < 3; ++i) {
        const double x = model.native[static_cast<std::size_t>(2 * i)];
        const double y = model.native[static_cast<std::size_t>(2 * i + 1)];
        p[0][i] = x / y;
        p[1][i] = 1.0;
        p[2][i] = (1.0 - x - y) / y;
    }
    const double wx = model.native[6];
    const double wy = model.native[7];
    const double w[3] = {wx / wy, 1.0, (1.0 - wx - wy) / wy};
    auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(p);
    std::array<std::array<std::uint32_t, 3>, 3> xyz{};
    const double white_luminance = model.max_luminance * 100.0;  // 0.01 cd/m2 units
    for (int i = 0; i < 3; ++i) {
        double m[3][3];
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] = c == i ? w[r] : p[r][c];
        }
        const double scale = det(m) / d;  // Cramer's rule
        for (int r = 0; r < 3; ++r) {
            xyz[static_cast<std::size_t>(i)][static_cast<std::size_t>(r)] =
                static_cast<std::uint32_t>(std::lround(p[r][i] * scale * white_luminance));
        }
    }
    return xyz;
}

}  // namespace sim
