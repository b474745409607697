#include "core/color_wizard_rules.h"

#include <cmath>

#include "comm/monitor_features.h"
#include "profiles/profile_spec.h"

namespace mf = monitor_feature;

namespace color_wizard_rules {

namespace {

CMonitorSetting entry(int code, int value) {
    CMonitorSetting setting;
    setting.flags = CMonitorSetting::kWriteIfDifferent;
    setting.code = code;
    setting.value = value;
    return setting;
}

void add_primaries(CMonitorSettingList& list, const std::array<int, 6>& primaries) {
    for (std::size_t i = 0; i < primaries.size(); ++i)
        list.append(entry(mf::red_x + static_cast<int>(i), primaries[i]));
}

constexpr std::array<int, 6> kAdobeRgbPrimaries = {640, 330, 210, 710, 150, 60};
constexpr std::array<int, 6> kSrgbPrimaries = {640, 330, 300, 600, 150, 60};

constexpr Limit kLimits[kEmulatedValueCount] = {
    {0.25, 0.48},   // white x
    {0.25, 0.43},   // white y
    {0.55, 0.7},    // red x
    {0.25, 0.4},    // red y
    {0.15, 0.35},   // green x
    {0.5, 0.75},    // green y
    {0.1, 0.25},    // blue x
    {0.039, 0.15},  // blue y
    {0.5, 4.0},     // gamma
};

}  // namespace

int next_page(int page, const FlowChoice& c) {
    switch (page) {
        case kIntroPage:
            if (c.dicom) return kColorGamutPage;
            if (c.highbright || c.full) return kGammaPage;
            if (c.ecirgb || c.srgb || c.dci || c.rec709 || c.adobergb) return kBrightnessPage;
            return kCustomTypePage;
        case kCustomTypePage:
            if (c.full_custom) return kNamePresetPage;
            if (c.emulate_display) return kDisplayEmulationPage;
            return kPrinterEmulationPage;
        case kPrinterEmulationPage:
            return kRenderingIntentPage;
        case kRenderingIntentPage:
            return kWhitePointPage;
        case kDisplayEmulationPage:
            return kNamePresetPage;
        case kGammaPage:
            return kColorGamutPage;
        case kColorGamutPage:
            return c.highbright ? kBrightnessPage : kWhitePointPage;
        case kNamePresetPage:
            return c.full_custom || c.emulate_display ? kGammaPage : kBrightnessPage;
        case kWhitePointPage:
            return c.emulate_printer && c.custom ? kNamePresetPage : kBrightnessPage;
        default:
            return kNoPage;
    }
}

CMonitorSettingList switch_list(int mode, int metamerism) {
    return {entry(mf::preset, mode), entry(mf::metamerism, metamerism),
            entry(mf::prepare_254, mf::prepare_254_value),
            entry(mf::prepare_233, mf::prepare_233_value),
            entry(mf::prepare_105d, mf::prepare_105d_value)};
}

std::array<int, 6> printer_primaries(int rendering_gamut, const std::array<int, 6>& native) {
    if (rendering_gamut == kGamutAdobeRgb) return kAdobeRgbPrimaries;
    if (rendering_gamut == kGamutSrgb) return kSrgbPrimaries;
    return native;
}

CMonitorSettingList printer_emulation_list(bool record_loaded, int rendering_gamut,
                                           const std::array<int, 6>& native, unsigned white_x,
                                           unsigned white_y) {
    CMonitorSettingList list;
    if (record_loaded) {
        list.append(entry(mf::lut_mode, mf::lut_mode_access));
        add_primaries(list, printer_primaries(rendering_gamut, native));
        if (white_x != 0) {
            list.append(entry(mf::white_x, static_cast<int>(white_x)));
            list.append(entry(mf::white_y, static_cast<int>(white_y)));
        }
    }
    if (rendering_gamut == kGamutSrgb) {
        list.append(entry(mf::gamma_type, mf::gamma_type_srgb));
    } else {
        list.append(entry(mf::gamma_type, mf::gamma_type_value));
        list.append(entry(mf::gamma_value, kGamma22Code));
    }
    return list;
}

EmulationRecord emulation_from(const ProfileSpec& spec) {
    EmulationRecord r;
    r.gamma = spec.gamma;
    r.white_x = spec.whiteX;
    r.white_y = spec.whiteY;
    r.red_x = spec.redX;
    r.red_y = spec.redY;
    r.green_x = spec.greenX;
    r.green_y = spec.greenY;
    r.blue_x = spec.blueX;
    r.blue_y = spec.blueY;
    r.red_curve = spec.redCurve;
    r.green_curve = spec.greenCurve;
    r.blue_curve = spec.blueCurve;
    r.curves_approximated = spec.useCurves;
    r.luminance = spec.luminance;
    r.description = spec.description;
    r.copyright = spec.copyright;
    r.created = spec.created;
    return r;
}

Limit acceptance_limit(EmulatedValue value) {
    return kLimits[value];
}

double value_of(const EmulationRecord& r, EmulatedValue value) {
    switch (value) {
        case kWhiteX:
            return r.white_x;
        case kWhiteY:
            return r.white_y;
        case kRedX:
            return r.red_x;
        case kRedY:
            return r.red_y;
        case kGreenX:
            return r.green_x;
        case kGreenY:
            return r.green_y;
        case kBlueX:
            return r.blue_x;
        case kBlueY:
            return r.blue_y;
        case kGamma:
            return r.gamma;
        default:
            return 0.0;
    }
}

bool within_limits(const EmulationRecord& record, EmulatedValue value) {
    const double v = value_of(record, value);
    const Limit limit = acceptance_limit(value);
    return v >= limit.minimum && v <= limit.maximum;
}

bool all_within_limits(const EmulationRecord& record) {
    for (int v = 0; v < kEmulatedValueCount; ++v) {
        if (!within_limits(record, static_cast<EmulatedValue>(v))) return false;
    }
    return true;
}

int rounded_thousandths(double value) {
    return static_cast<int>(std::trunc(value * 1000.0 + 0.5));
}

CMonitorSettingList display_emulation_list(const EmulationRecord& r) {
    CMonitorSettingList list = {entry(mf::lut_use, mf::lut_use_custom),
                                entry(mf::lut_mode, mf::lut_mode_access)};
    add_primaries(list, {rounded_thousandths(r.red_x), rounded_thousandths(r.red_y),
                         rounded_thousandths(r.green_x), rounded_thousandths(r.green_y),
                         rounded_thousandths(r.blue_x), rounded_thousandths(r.blue_y)});
    list.append(entry(mf::white_x, rounded_thousandths(r.white_x)));
    list.append(entry(mf::white_y, rounded_thousandths(r.white_y)));
    if (r.luminance > kLowestEmulatedLuminance) {
        list.append(entry(mf::luminance, static_cast<int>(std::trunc(r.luminance))));
    }
    if (!r.curves_approximated) {
        list.append(entry(mf::gamma_type, mf::gamma_type_value));
        list.append(entry(mf::gamma_value, gamma_code(r.gamma)));
    }
    return list;
}

CMonitorSettingList custom_mode_list() {
    return {entry(mf::lut_use, mf::lut_use_custom)};
}

CMonitorSettingList lut_mode_normal_list() {
    return {entry(mf::lut_mode, mf::lut_mode_normal)};
}

int gamma_code(double gamma) {
    // The monitor takes the exponent in steps of 0.1, held as hundredths above 0.5.
    return static_cast<int>(std::trunc((gamma - 0.5) * 10.0 + 0.5)) * 10;
}

double gamma_from_code(int code) {
    return code / 100.0 + 0.5;
}

QByteArray slot_name_bytes(const QString& name) {
    QByteArray bytes = name.toLatin1().left(kSlotNameLength);
    return bytes + QByteArray(kSlotNameLength - bytes.size(), ' ');
}

bool slot_name_storable(const QString& name) {
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        const bool digit = u >= u'0' && u <= u'9';
        if (!letter && !digit && u != u' ') return false;
    }
    return true;
}

}  // namespace color_wizard_rules
