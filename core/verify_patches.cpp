#include "core/verify_patches.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace verify {

namespace {

struct CheckerPatch {
    const char* name;
    int red;
    int green;
    int blue;
};

// The chart's 24 patches as 8-bit sRGB: the values its maker publishes for the formulation
// made since November 2014.
constexpr std::array<CheckerPatch, 24> kChecker = {{
    {QT_TRANSLATE_NOOP("Verify", "Dark skin"), 115, 82, 68},
    {QT_TRANSLATE_NOOP("Verify", "Light skin"), 194, 150, 130},
    {QT_TRANSLATE_NOOP("Verify", "Blue sky"), 98, 122, 157},
    {QT_TRANSLATE_NOOP("Verify", "Foliage"), 87, 108, 67},
    {QT_TRANSLATE_NOOP("Verify", "Blue flower"), 133, 128, 177},
    {QT_TRANSLATE_NOOP("Verify", "Bluish green"), 103, 189, 170},
    {QT_TRANSLATE_NOOP("Verify", "Orange"), 214, 126, 44},
    {QT_TRANSLATE_NOOP("Verify", "Purplish blue"), 80, 91, 166},
    {QT_TRANSLATE_NOOP("Verify", "Moderate red"), 193, 90, 99},
    {QT_TRANSLATE_NOOP("Verify", "Purple"), 94, 60, 108},
    {QT_TRANSLATE_NOOP("Verify", "Yellow green"), 157, 188, 64},
    {QT_TRANSLATE_NOOP("Verify", "Orange yellow"), 224, 163, 46},
    {QT_TRANSLATE_NOOP("Verify", "Blue"), 56, 61, 150},
    {QT_TRANSLATE_NOOP("Verify", "Green"), 70, 148, 73},
    {QT_TRANSLATE_NOOP("Verify", "Red"), 175, 54, 60},
    {QT_TRANSLATE_NOOP("Verify", "Yellow"), 231, 199, 31},
    {QT_TRANSLATE_NOOP("Verify", "Magenta"), 187, 86, 149},
    {QT_TRANSLATE_NOOP("Verify", "Cyan"), 8, 133, 161},
    {QT_TRANSLATE_NOOP("Verify", "White 9.5"), 243, 243, 242},
    {QT_TRANSLATE_NOOP("Verify", "Neutral 8"), 200, 200, 200},
    {QT_TRANSLATE_NOOP("Verify", "Neutral 6.5"), 160, 160, 160},
    {QT_TRANSLATE_NOOP("Verify", "Neutral 5"), 122, 122, 121},
    {QT_TRANSLATE_NOOP("Verify", "Neutral 3.5"), 85, 85, 85},
    {QT_TRANSLATE_NOOP("Verify", "Black 2"), 52, 52, 52},
}};

struct Primary {
    const char* name;
    std::array<double, 3> signal;
};

constexpr std::array<Primary, 6> kPrimaries = {{
    {QT_TRANSLATE_NOOP("Verify", "Red"), {1, 0, 0}},
    {QT_TRANSLATE_NOOP("Verify", "Green"), {0, 1, 0}},
    {QT_TRANSLATE_NOOP("Verify", "Blue"), {0, 0, 1}},
    {QT_TRANSLATE_NOOP("Verify", "Cyan"), {0, 1, 1}},
    {QT_TRANSLATE_NOOP("Verify", "Magenta"), {1, 0, 1}},
    {QT_TRANSLATE_NOOP("Verify", "Yellow"), {1, 1, 0}},
}};

QString tr(const char* text) {
    return QCoreApplication::translate("Verify", text);
}

}  // namespace

std::vector<Patch> standard_patches() {
    std::vector<Patch> patches;
    for (int step = 0; step <= 20; ++step) {
        const double v = step / 20.0;
        patches.push_back({tr("Gray %1 %").arg(step * 5), PatchGroup::grayscale, {v, v, v}, v});
    }
    for (const Primary& p : kPrimaries) {
        for (int percent : {100, 75, 50, 25}) {
            const double f = percent / 100.0;
            patches.push_back({QStringLiteral("%1 %2 %").arg(tr(p.name)).arg(percent),
                               PatchGroup::primaries,
                               {p.signal[0] * f, p.signal[1] * f, p.signal[2] * f},
                               f});
        }
    }
    for (const CheckerPatch& c : kChecker) {
        patches.push_back({tr(c.name),
                           PatchGroup::checker,
                           {c.red / 255.0, c.green / 255.0, c.blue / 255.0},
                           1.0});
    }
    return patches;
}

std::vector<Patch> as_drawn(std::vector<Patch> patches, int bits_per_channel) {
    const double top = double((1 << std::clamp(bits_per_channel, 1, 16)) - 1);
    for (Patch& p : patches) {
        for (double& v : p.signal)
            v = std::round(std::clamp(v, 0.0, 1.0) * top) / top;
        if (p.group == PatchGroup::grayscale) p.level = p.signal[0];
    }
    return patches;
}

}  // namespace verify
