#include "platform/color_matching.h"

#include <lcms2.h>

#include <QFile>
#include <atomic>
#include <climits>

#include "platform/icm_matchers.h"

namespace platform {

namespace {

std::atomic<std::uint32_t> g_selected_cmm{kCmmDefault};

QString signature_text(std::uint32_t signature) {
    const char text[4] = {char(signature >> 24), char(signature >> 16), char(signature >> 8),
                          char(signature)};
    return QString::fromLatin1(text, 4);
}

bool is_registered(std::uint32_t cmm) {
    QList<CMatcherValue> values;
    if (!read_icm_matchers(values)) return false;
    const QString name = signature_text(cmm);
    for (const CMatcherValue& value : values)
        if (value.name == name && value.is_string()) return true;
    return false;
}

}  // namespace

bool select_cmm(std::uint32_t cmm) {
    if (cmm != kCmmDefault && !is_registered(cmm)) return false;
    g_selected_cmm = cmm;
    return true;
}

std::uint32_t selected_cmm() {
    return g_selected_cmm;
}

std::unique_ptr<CColorProfile> CColorProfile::open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty() || bytes.size() > INT_MAX) return nullptr;
    cmsHPROFILE handle =
        cmsOpenProfileFromMem(bytes.constData(), static_cast<cmsUInt32Number>(bytes.size()));
    if (!handle) return nullptr;
    return std::unique_ptr<CColorProfile>(new CColorProfile(handle));
}

CColorProfile::~CColorProfile() {
    cmsCloseProfile(handle_);
}

// Both modules are Little CMS underneath; what differs is how each reads a request.
//
// A profile inside the chain is a destination first and then a source. Little CMS takes each
// profile in one role only, so such a profile appears twice in its chain: as the output of the
// step into it, then as the input of the step out of it.
//
// Intents keep their numbers (the colour system numbers them as ICC profiles and Little CMS
// do). One intent given stands for every profile.
//
// The default module takes one intent per profile, used in both of its roles, which is Little
// CMS's own reading: profile i's tables are those of intent i, and the step into profile i
// keeps or drops the white point as intent i says. Its hint kUseRelativeColorimetric ("do not
// preserve the white point") concerns the last step of a proofing chain (three or more
// profiles: the proofed device shown on the final one). Without the hint a relative
// colorimetric last step becomes absolute colorimetric, so the proofed device's white (paper)
// is kept on the final device; with it the step stays relative.
//
// The Adobe module takes one intent per step: intent i for the step from profile i to
// profile i + 1 (the last intent has no step after it). A profile inside the chain is entered
// with one intent and left with another. The intents alone say how white is handled; the hint
// is not used.
//
// Quality: kBestMode takes every colour through the whole chain rather than through a grid
// precalculated from it (cmsFLAGS_NOOPTIMIZE), which for a few hundred colours is also the
// fastest; kProofMode asks for the coarsest grid (cmsFLAGS_LOWRESPRECALC); kNormalMode is
// Little CMS's default grid.
// kEnableGamutChecking prepares a transform for gamut checks, which the program never asks
// for; Little CMS's gamut check instead paints out-of-gamut colours with an alarm colour in
// the translated output, so the hint is not passed on.
CTransformPlan plan_transform(std::uint32_t cmm, std::size_t profile_count,
                              const std::vector<std::uint32_t>& intents, std::uint32_t flags) {
    CTransformPlan plan;
    if (profile_count == 0 || (intents.size() != 1 && intents.size() != profile_count)) return plan;
    for (std::uint32_t intent : intents)
        if (intent > kIntentAbsoluteColorimetric) return plan;
    const auto intent_at = [&](std::size_t i) { return intents[intents.size() == 1 ? 0 : i]; };

    const bool adobe = cmm == kCmmAdobe;
    for (std::size_t i = 0; i < profile_count; ++i) {
        const bool first = i == 0, last = i + 1 == profile_count;
        // The step into profile i, then the step out of it.
        if (!first) {
            plan.profiles.push_back(i);
            plan.intents.push_back(adobe ? intent_at(i - 1) : intent_at(i));
        }
        if (!last || first) {
            plan.profiles.push_back(i);
            plan.intents.push_back(intent_at(i));
        }
    }
    if (!adobe && profile_count >= 3 && !(flags & kUseRelativeColorimetric) &&
        plan.intents.back() == kIntentRelativeColorimetric)
        plan.intents.back() = kIntentAbsoluteColorimetric;

    switch (flags & 0xFFFF) {
        case kBestMode:
            plan.flags |= cmsFLAGS_NOOPTIMIZE;
            break;
        case kProofMode:
            plan.flags |= cmsFLAGS_LOWRESPRECALC;
            break;
        default:
            break;
    }
    return plan;
}

std::unique_ptr<CColorTransform> CColorTransform::create(
    const std::vector<const CColorProfile*>& profiles, const std::vector<std::uint32_t>& intents,
    std::uint32_t flags) {
    CTransformPlan plan = plan_transform(selected_cmm(), profiles.size(), intents, flags);
    if (plan.profiles.empty() || plan.profiles.size() > 255) return nullptr;

    std::vector<cmsHPROFILE> handles;
    std::vector<cmsBool> black_point_compensation;
    std::vector<cmsFloat64Number> adaptation_states;
    for (std::size_t index : plan.profiles) {
        if (!profiles[index]) return nullptr;
        handles.push_back(profiles[index]->handle());
        // Little CMS's defaults: no black point compensation, full adaptation to each white.
        black_point_compensation.push_back(FALSE);
        adaptation_states.push_back(1.0);
    }
    const cmsHTRANSFORM transform = cmsCreateExtendedTransform(
        nullptr, static_cast<cmsUInt32Number>(handles.size()), handles.data(),
        black_point_compensation.data(), plan.intents.data(), adaptation_states.data(), nullptr, 0,
        TYPE_RGB_16, TYPE_RGB_16, plan.flags);
    if (!transform) return nullptr;
    return std::unique_ptr<CColorTransform>(new CColorTransform(transform));
}

CColorTransform::~CColorTransform() {
    cmsDeleteTransform(handle_);
}

bool CColorTransform::translate_rgb16(const std::uint16_t* in, std::uint16_t* out,
                                      std::size_t count) const {
    if (!in || !out || count > 0xFFFFFFFFu) return false;
    cmsDoTransform(handle_, in, out, static_cast<cmsUInt32Number>(count));
    return true;
}

}  // namespace platform
