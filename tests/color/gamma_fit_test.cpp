#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "color/spline.h"

namespace {

// The fit as its rule states it, summing every proposal over every point: what the fast search
// must reproduce bit for bit.
double plain_fit(const CSpline& s) {
    const int n = s.size();
    if (n == 0) return 0.0;
    const auto inner = [](const QPointF& p) { return p.x() > 0.0 && p.x() < 1.0; };
    std::vector<double> g(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        const QPointF& p = s.points[i];
        if (!inner(p)) continue;
        const double exponent = std::log(p.y()) / std::log(p.x());
        if (std::isfinite(exponent)) g[std::size_t(i)] = exponent;
    }
    double best = 9999.0;
    int picked = -1;
    for (int i = 0; i < n; ++i) {
        if (g[std::size_t(i)] == 0.0) continue;
        double error = 0.0;
        for (const QPointF& p : s.points) {
            if (!inner(p)) continue;
            const double diff = p.y() - std::pow(p.x(), g[std::size_t(i)]);
            error += diff * diff;
        }
        if (error < best) {
            best = error;
            picked = i;
        }
    }
    return g[std::size_t(picked < 0 ? 0 : picked)];
}

void expect_same_fit(const CSpline& s, const std::string& what) {
    const double fast = s.fitGamma();
    const double plain = plain_fit(s);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(plain))
        << what << ": " << fast << " against " << plain;
}

// A curve of `values` as the profile reader samples one: x = i / (n - 1), y = v / 65535.
CSpline sampled_curve(const std::vector<std::uint16_t>& values) {
    CSpline s;
    const int n = static_cast<int>(values.size());
    s.init(CSpline::kCatmullRom, n, 0.0, 1.0);
    for (int i = 0; i < n; ++i)
        s.setPointAt(i, i / double(n - 1), values[std::size_t(i)] / 65535.0);
    return s;
}

std::uint32_t be32(const QByteArray& b, qsizetype at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}

// The 'curv' tone curves of a profile file, read straight from its tag table.
std::vector<std::vector<std::uint16_t>> profile_curves(const QString& name) {
    QFile file(QStringLiteral(ORVALE_SOURCE_DIR "/tests/data/icc/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QByteArray b = file.readAll();
    std::vector<std::vector<std::uint16_t>> curves;
    if (b.size() < 132) return curves;
    const std::uint32_t tags = be32(b, 128);
    for (std::uint32_t t = 0; t < tags && 144 + 12 * qsizetype(t) <= b.size(); ++t) {
        const qsizetype entry = 132 + 12 * qsizetype(t);
        const std::uint32_t signature = be32(b, entry), offset = be32(b, entry + 4);
        if (signature != 0x72545243 && signature != 0x67545243 && signature != 0x62545243)
            continue;                                 // rTRC, gTRC, bTRC
        if (be32(b, offset) != 0x63757276) continue;  // 'curv'
        const std::uint32_t count = be32(b, offset + 8);
        std::vector<std::uint16_t> values;
        for (std::uint32_t i = 0; i < count; ++i) {
            const qsizetype at = offset + 12 + 2 * qsizetype(i);
            values.push_back(std::uint16_t(std::uint8_t(b[at]) << 8 | std::uint8_t(b[at + 1])));
        }
        curves.push_back(values);
    }
    return curves;
}

TEST(GammaFit, RealProfileCurvesFitAsThePlainSumDoes) {
    struct Case {
        const char* file;
        std::size_t entries;
    };
    for (const Case& c : {Case{"colord-Rec709.icc", 4096}, Case{"free-sRGB.icc", 1024},
                          Case{"free-CineonLog_M.icc", 256}}) {
        const auto curves = profile_curves(QString::fromLatin1(c.file));
        ASSERT_EQ(curves.size(), 3u) << c.file;
        for (std::size_t channel = 0; channel < curves.size(); ++channel) {
            ASSERT_EQ(curves[channel].size(), c.entries) << c.file;
            const CSpline s = sampled_curve(curves[channel]);
            expect_same_fit(s, std::string(c.file) + " channel " + std::to_string(channel));
            const double gamma = s.fitGamma();
            EXPECT_TRUE(gamma > 0.3 && gamma < 4.0) << c.file << ": " << gamma;
        }
    }
}

// Curves no real profile holds, where a search that drops proposals by bounds could go wrong:
// noise around a power, exponent ties, values above 1 (negative exponents), black and
// non-finite points, proposals whose sums overflow.
TEST(GammaFit, UnusualCurvesFitAsThePlainSumDoes) {
    std::mt19937 random(20240309);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto noisy = [&](int n, double gamma, double noise) {
        std::vector<std::uint16_t> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const double y = std::pow(i / double(n - 1), gamma) + noise * (unit(random) - 0.5);
            v[std::size_t(i)] = std::uint16_t(std::lround(std::clamp(y, 0.0, 1.0) * 65535));
        }
        return sampled_curve(v);
    };
    for (int n : {40, 100, 700}) {
        for (double noise : {0.0, 1e-4, 0.02, 0.3, 1.0})
            expect_same_fit(noisy(n, 2.2, noise), "noise " + std::to_string(noise));
    }
    // Random points anywhere, also beyond 1 and below 0.
    for (int round = 0; round < 20; ++round) {
        CSpline s;
        s.init(CSpline::kHermite, 0, 0.0, 1.0);
        const int n = 60 + round * 13;
        for (int i = 0; i < n; ++i)
            s.append(QPointF(unit(random) * 1.2 - 0.1, unit(random) * 3.0 - 0.5));
        expect_same_fit(s, "random " + std::to_string(round));
    }
    // Every proposal the same exponent: the first one wins (bit patterns alike anyway), and
    // many exact ties between a pure power's points.
    std::vector<std::uint16_t> identity(300);
    for (std::size_t i = 0; i < identity.size(); ++i)
        identity[i] = std::uint16_t(std::lround(i / 299.0 * 65535));
    expect_same_fit(sampled_curve(identity), "identity");
    CSpline power;
    power.init(CSpline::kCatmullRom, 500, 0.0, 1.0);
    power.makeGamma(1.8);
    expect_same_fit(power, "pure power");
    EXPECT_EQ(power.fitGamma(), plain_fit(power));
    // Sums that overflow for some proposals, and curves nothing can fit.
    CSpline steep;
    steep.init(CSpline::kCatmullRom, 0, 0.0, 1.0);
    for (int i = 1; i < 200; ++i)
        steep.append(QPointF(i / 200.0, i % 3 == 0 ? 1e-300 : (i % 3 == 1 ? 1e200 : 0.5)));
    expect_same_fit(steep, "steep");
    CSpline poisoned = noisy(200, 2.4, 0.01);
    poisoned.setYAt(77, std::nan(""));
    expect_same_fit(poisoned, "NaN value");
    poisoned.setYAt(77, std::numeric_limits<double>::infinity());
    expect_same_fit(poisoned, "infinite value");
}

}  // namespace
