#include "sim/sim_panel.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace sim {

namespace {

CSimTriple multiply(const CSimMatrix& m, const CSimTriple& v) {
    CSimTriple r{};
    for (std::size_t i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

bool invert(const CSimMatrix& m, CSimMatrix& out) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (det == 0.0) return false;
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            const std::size_t r1 = (c + 1) % 3, r2 = (c + 2) % 3;
            const std::size_t c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    }
    return true;
}

CSimTriple xyz_of(double x, double y) {
    if (y <= 0.0) return {0.0, 1.0, 0.0};
    return {x / y, 1.0, (1.0 - x - y) / y};
}

std::uint32_t le32(const QByteArray& m, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(m[at + i]);
    return v;
}

// The grayscale standard display function (JND index <-> cd/m²), as the monitor's DICOM mode
// follows it.
double gsdf_luminance(double j) {
    if (j <= 0.0) return 0.0;
    const double a = -1.3011877, b = -0.025840191, c = 0.080242636, d = -0.10320229, e = 0.13646699,
                 f = 0.028745620, g = -0.025468404, h = -0.0031978977, k = 0.00012992634,
                 m = 0.0013635334;
    const double x = std::log(j);
    const double num = a + x * (c + x * (e + x * (g + x * m)));
    const double den = 1.0 + x * (b + x * (d + x * (f + x * (h + x * k))));
    return std::pow(10.0, num / den);
}

double gsdf_jnd(double luminance) {
    if (luminance <= 0.0) return 0.0;
    const double coefficients[9] = {71.498068,  94.593053,   41.912053,  9.8247004,   0.28175407,
                                    -1.1878455, -0.18014349, 0.14710899, -0.017046845};
    const double l = std::log10(luminance);
    double sum = 0.0, power = 1.0;
    for (double k : coefficients) {
        sum += k * power;
        power *= l;
    }
    return sum;
}

double table_lookup(const std::vector<std::uint16_t>& table, double x) {
    if (table.size() < 2) return x;
    const double at = std::clamp(x, 0.0, 1.0) * static_cast<double>(table.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), table.size() - 2);
    const double t = at - static_cast<double>(i);
    return ((1.0 - t) * table[i] + t * table[i + 1]) / 65535.0;
}

int value_of(const std::map<int, int>& values, int code, int fallback) {
    const auto it = values.find(code);
    return it == values.end() ? fallback : it->second;
}

}  // namespace

CSimPanelFlaws panel_flaws(const QByteArray& serial) {
    // FNV-1a: the same serial gives the same flaws on every machine and run.
    std::uint32_t seed = 2166136261u;
    for (char ch : serial)
        seed = (seed ^ static_cast<std::uint8_t>(ch)) * 16777619u;
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    CSimPanelFlaws flaws;
    for (std::size_t c = 0; c < 3; ++c) {
        flaws.exponent[c] = kSimMaxExponentFlaw * unit(engine);
        flaws.gain[c] = kSimMaxGainFlaw * unit(engine);
    }
    return flaws;
}

CSimMatrix stored_native_primaries(const QByteArray& memory) {
    CSimMatrix m{};
    if (memory.size() < address::factory_primaries + 48) return m;
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) {
            m[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                le32(memory, address::factory_primaries + 16 * i + 4 + 4 * c) / 100.0;
        }
    }
    return m;
}

CSimPanel::CSimPanel(const CSimModel& model, const CSimMonitorState& state,
                     const CSimPanelFlaws& flaws)
    : flaws_(flaws) {
    const std::size_t active = static_cast<std::size_t>(std::max(1, state.active_memory) - 1);
    if (active < state.memories.size()) memory_ = &state.memories[active];
    static const std::map<int, int> kNone;
    const std::map<int, int>& v = memory_ ? memory_->values : kNone;

    native_ = stored_native_primaries(state.memory);
    if (!invert(native_, native_inverse_)) {
        native_inverse_ = {};
        return;
    }

    const int preset = value_of(v, code::preset, preset::full);
    const int slot = value_of(v, code::lut_slot, 0);
    if (preset >= preset::programmable_first && preset <= preset::programmable_last && slot >= 1 &&
        static_cast<std::size_t>(slot) <= state.lut_slots.size()) {
        lut_ = state.lut_slots[static_cast<std::size_t>(slot - 1)];
    }
    gamma_type_ = value_of(v, code::gamma_type, gamma::value);
    gamma_ = value_of(v, code::gamma_value, 170) / 100.0 + 0.5;

    CSimMatrix primaries{};
    for (std::size_t i = 0; i < 3; ++i) {
        const CSimTriple p = xyz_of(value_of(v, code::red_x + 2 * int(i), 0) / 1000.0,
                                    value_of(v, code::red_y + 2 * int(i), 0) / 1000.0);
        for (std::size_t r = 0; r < 3; ++r)
            primaries[r][i] = p[r];
    }
    white_ =
        xyz_of(value_of(v, code::white_x, 313) / 1000.0, value_of(v, code::white_y, 329) / 1000.0);
    CSimMatrix primaries_inverse{};
    if (!invert(primaries, primaries_inverse)) {
        // Chromaticities the panel cannot take: it shows its native colours.
        target_ = native_;
        const CSimTriple full = multiply(native_, {1.0, 1.0, 1.0});
        for (auto& row : target_)
            for (double& x : row)
                x /= full[1];
        white_ = {full[0] / full[1], 1.0, full[2] / full[1]};
    } else {
        const CSimTriple scale = multiply(primaries_inverse, white_);
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c)
                target_[r][c] = primaries[r][c] * scale[c];
    }

    // The panel leaks light: its black never falls below the model's floor.
    black_ = std::max(value_of(v, code::black_level, 0), model.black_floor) / 10.0;
    double white = value_of(v, code::luminance, model.max_luminance);
    // The mode's white at that luminance may need more drive than a channel has.
    const CSimTriple drive = multiply(native_inverse_, white_);
    const double most = std::max({drive[0], drive[1], drive[2]});
    if (most > 0.0) white = std::min(white, 1.0 / most);
    span_ = std::max(0.0, white - black_);
    dicom_black_ = black_;
    dicom_white_ = white;
}

CSimTriple CSimPanel::lut3d(const CSimTriple& s) const {
    if (lut_.size() != static_cast<std::size_t>(3 * kLutPoints)) return s;
    const int last = kLutNodes - 1;
    int i0[3];
    double t[3];
    for (int c = 0; c < 3; ++c) {
        const double at = std::clamp(s[static_cast<std::size_t>(c)], 0.0, 1.0) * last;
        i0[c] = std::min(static_cast<int>(at), last - 1);
        t[c] = at - i0[c];
    }
    CSimTriple out{};
    for (int corner = 0; corner < 8; ++corner) {
        double weight = 1.0;
        int index[3];
        for (int c = 0; c < 3; ++c) {
            const int up = (corner >> c) & 1;
            index[c] = i0[c] + up;
            weight *= up ? t[c] : 1.0 - t[c];
        }
        const std::size_t p =
            static_cast<std::size_t>((index[2] * kLutNodes + index[1]) * kLutNodes + index[0]);
        for (std::size_t c = 0; c < 3; ++c)
            out[c] += weight * lut_[3 * p + c] / double(kLutMaxValue);
    }
    return out;
}

double CSimPanel::tone(int channel, double signal) const {
    const double s = std::clamp(signal, 0.0, 1.0);
    static const std::vector<std::uint16_t> kNoTable;
    const std::vector<std::uint16_t>& table =
        memory_ ? memory_->tables[static_cast<std::size_t>(channel)] : kNoTable;
    double y = 0.0;
    switch (gamma_type_) {
        case gamma::programmable:
            return table_lookup(table, s);
        case gamma::srgb:
            y = s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            break;
        case gamma::lstar: {
            const double f = (100.0 * s + 16.0) / 116.0;
            y = s > 0.08 ? f * f * f : 100.0 * s / 903.296;
            break;
        }
        case gamma::dicom: {
            const double j0 = gsdf_jnd(std::max(dicom_black_, 0.05));
            const double j1 = gsdf_jnd(dicom_white_);
            const double l0 = gsdf_luminance(j0);
            const double l1 = gsdf_luminance(j1);
            y = l1 > l0 ? (gsdf_luminance(j0 + s * (j1 - j0)) - l0) / (l1 - l0) : s;
            break;
        }
        case gamma::native:
        case gamma::value:
        default:
            y = std::pow(s, gamma_);
            break;
    }
    return table_lookup(table, y);
}

CSimTriple CSimPanel::xyz(const CSimTriple& signal) const {
    const CSimTriple s = lut3d(signal);
    CSimTriple linear{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double y = std::max(0.0, tone(static_cast<int>(c), s[c]));
        linear[c] = std::pow(y, 1.0 + flaws_.exponent[c]) * (1.0 + flaws_.gain[c]);
    }
    CSimTriple wanted = multiply(target_, linear);
    for (double& x : wanted)
        x *= span_;
    CSimTriple drive = multiply(native_inverse_, wanted);
    for (double& d : drive)
        d = std::clamp(d, 0.0, 1.0);
    CSimTriple out = multiply(native_, drive);
    for (std::size_t r = 0; r < 3; ++r)
        out[r] += black_ * white_[r];
    return out;
}

}  // namespace sim
