#include "profiles/emulation_lut.h"

#include <QDir>
#include <cmath>
#include <vector>

#include "platform/color_matching.h"

EmulationLut::EmulationLut() {
    reset();
}

void EmulationLut::reset() {
    valid_ = false;
    for (int b = 0; b < kGridSize; ++b)
        for (int g = 0; g < kGridSize; ++g)
            for (int r = 0; r < kGridSize; ++r) {
                const auto level = [](int i) {
                    return static_cast<std::int32_t>(std::floor(0.5 + i * double(kMaxOutput) / 8));
                };
                table_[(b * kGridSize + g) * kGridSize + r] = {level(r), level(g), level(b)};
            }
}

void EmulationLut::set_path(QString& stored, const QString& path) {
    if (path != stored) reset();
    stored = path;
}

void EmulationLut::setSourceProfile(const QString& path) {
    set_path(sourceProfile_, path);
}

void EmulationLut::setDisplayProfile(const QString& path) {
    set_path(displayProfile_, path);
}

void EmulationLut::setEmulatedProfile(const QString& path) {
    set_path(emulatedProfile_, path);
}

bool EmulationLut::mappedIntent(int intentIndex, std::uint32_t& intent) {
    switch (intentIndex) {
        case 1:
            intent = platform::kIntentAbsoluteColorimetric;
            return true;
        case 2:
            intent = platform::kIntentSaturation;
            return true;
        case 3:
            intent = platform::kIntentRelativeColorimetric;
            return true;
        case 4:
            intent = platform::kIntentPerceptual;
            return true;
        default:
            return false;
    }
}

EmulationLut::TransformSetup EmulationLut::transformSetup(std::uint32_t mappedIntent,
                                                          bool adobeSelected, bool simulatePaper) {
    using namespace platform;
    TransformSetup setup;
    if (adobeSelected) {
        setup.intents[0] = mappedIntent;
        setup.intents[1] =
            simulatePaper ? kIntentAbsoluteColorimetric : kIntentRelativeColorimetric;
        setup.intents[2] = kIntentRelativeColorimetric;
        setup.flags = kBestMode | kEnableGamutChecking;
    } else {
        setup.intents[0] = kIntentRelativeColorimetric;
        setup.intents[1] = mappedIntent;
        setup.intents[2] = kIntentRelativeColorimetric;
        setup.flags = kBestMode | kEnableGamutChecking;
        if (!simulatePaper) setup.flags |= kUseRelativeColorimetric;
    }
    return setup;
}

std::uint16_t EmulationLut::gridLevel(int i) {
    return static_cast<std::uint16_t>(std::floor(0.5 + i * 65535.0 / 8));
}

std::int32_t EmulationLut::tableValue(std::uint16_t output) {
    return static_cast<std::int32_t>(std::floor(0.5 + double(kMaxOutput) * output / 65535.0));
}

bool EmulationLut::compute() {
    reset();
    if (sourceProfile_.isEmpty() || displayProfile_.isEmpty() || emulatedProfile_.isEmpty())
        return false;

    // Opened in this order; any failure closes those already open (by their owners).
    const auto emulated = platform::CColorProfile::open(QDir::toNativeSeparators(emulatedProfile_));
    if (!emulated) return false;
    const auto display = platform::CColorProfile::open(QDir::toNativeSeparators(displayProfile_));
    if (!display) return false;
    const auto source = platform::CColorProfile::open(QDir::toNativeSeparators(sourceProfile_));
    if (!source) return false;

    std::uint32_t intent = 0;
    if (!mappedIntent(intentIndex_, intent)) return false;
    // The Adobe branch needs the module both wanted and there; otherwise the default module
    // makes the transform, whatever an earlier call selected.
    const bool adobe = useAdobeCmm_ && platform::select_cmm(platform::kCmmAdobe);
    if (!adobe) platform::select_cmm(platform::kCmmDefault);
    const TransformSetup setup = transformSetup(intent, adobe, simulatePaper_);
    const auto transform = platform::CColorTransform::create(
        {source.get(), emulated.get(), display.get()},
        {setup.intents[0], setup.intents[1], setup.intents[2]}, setup.flags);
    if (!transform) return false;

    std::vector<std::uint16_t> in(3 * kNodeCount), out(3 * kNodeCount);
    for (int b = 0; b < kGridSize; ++b)
        for (int g = 0; g < kGridSize; ++g)
            for (int r = 0; r < kGridSize; ++r) {
                const std::size_t at = 3 * std::size_t((b * kGridSize + g) * kGridSize + r);
                in[at] = gridLevel(r);
                in[at + 1] = gridLevel(g);
                in[at + 2] = gridLevel(b);
            }
    // All 729 colours in one call.
    if (!transform->translate_rgb16(in.data(), out.data(), kNodeCount)) return false;
    for (int n = 0; n < kNodeCount; ++n)
        table_[n] = {tableValue(out[3 * n]), tableValue(out[3 * n + 1]),
                     tableValue(out[3 * n + 2])};
    valid_ = true;
    return true;
}
