#include "core/picture_mode_rules.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "color/curve_builders.h"
#include "color/display_info.h"
#include "comm/monitor_features.h"
#include "core/string_table.h"
#include "profiles/profile_file_name.h"

namespace picture_mode {

namespace {

constexpr int kFirstPresetString = 1000;
constexpr int kDicomSimString = 1013;
constexpr int kEciRgbString = 1012;

constexpr double kMinimumPercentStep = 0.1;
constexpr double kTooHighMargin = 1.02;
// Spin-box values are decimal fractions; without this, 2.3 * 10 could truncate to 22.
constexpr double kTruncationSlack = 1e-9;

QString page_tr(const char* text) {
    return QCoreApplication::translate("panel_picture_mode", text);
}

int truncate(double value) {
    return static_cast<int>(value < 0 ? std::ceil(value - kTruncationSlack)
                                      : std::floor(value + kTruncationSlack));
}

double percent_step(int range) {
    if (range <= 0) return kMinimumPercentStep;
    return std::max(100.0 / range, kMinimumPercentStep);
}

}  // namespace

QString preset_label(int preset, const CAdjustValue* record, bool simulated_dicom) {
    if (preset >= monitor_preset::kSrgb && preset <= monitor_preset::kFull)
        return string(kFirstPresetString + preset - 1);
    if (preset == monitor_preset::kDicom)
        return string(simulated_dicom ? kDicomSimString : kFirstPresetString + preset - 1);
    if (preset >= monitor_preset::kFirstProgrammable &&
        preset <= monitor_preset::kLastProgrammable) {
        if (record) {
            for (const CNamedEntry& entry : record->namedEntries) {
                if (entry.code == preset) return entry.name;
            }
        }
        return string(kFirstPresetString + preset - 1);
    }
    if (preset == monitor_preset::kEciRgb) return string(kEciRgbString);
    return page_tr("Mode %1").arg(preset);
}

QString default_button_label(int memory) {
    return page_tr("Mode %1").arg(memory);
}

QString unit_suffix(bool percent) {
    return percent ? QStringLiteral(" %") : QLatin1Char(' ') + string(kLuminanceUnitString);
}

double BrightnessScale::spin_minimum() const {
    return percent ? 0.0 : minimum;
}

double BrightnessScale::spin_maximum() const {
    return percent ? 100.0 : maximum;
}

double BrightnessScale::step() const {
    return percent ? percent_step(maximum - minimum) : 1.0;
}

double BrightnessScale::to_spin(int value) const {
    if (!percent) return value;
    if (maximum <= minimum) return 0.0;
    return (value - minimum) * 100.0 / (maximum - minimum);
}

int BrightnessScale::from_spin(double shown) const {
    if (!percent) return truncate(shown);
    return truncate(minimum + shown * (maximum - minimum) / 100.0);
}

double BlackLevelScale::spin_maximum() const {
    return percent ? 100.0 : maximum / 10.0;
}

double BlackLevelScale::step() const {
    return percent ? percent_step(maximum) : 0.1;
}

double BlackLevelScale::to_spin(int value) const {
    return percent ? value * 2.0 : value / 10.0;
}

int BlackLevelScale::from_spin(double shown) const {
    return percent ? truncate(shown * maximum / 100.0) : truncate(shown * 10.0);
}

QString blank_indicator() {
    return QStringLiteral(" <img src=\":/images/Resources/blank_12x11.png\">&nbsp;");
}

Indicator brightness_indicator(int value, int uniformity_limit, int contrast_limit) {
    if (value < 0) return {QStringLiteral("-"), QString()};
    if (uniformity_limit > 0 && value > uniformity_limit) return {string(813), string(814)};
    if (contrast_limit > 0 && value < contrast_limit) return {string(808), string(809)};
    return {blank_indicator(), QString()};
}

Indicator black_level_indicator(int value, int black_limit) {
    if (value < 0) return {QStringLiteral("-"), QString()};
    if (value == 0) return {QString(), QString()};
    if (black_limit > 0 && value < black_limit) return {string(811), string(812)};
    return {blank_indicator(), QString()};
}

Indicator brightness_too_high_indicator() {
    return {string(807), string(810)};
}

bool brightness_too_high(const std::array<Gain, 3>& gains, int brightness, int luminance_maximum) {
    const bool gain_at_maximum =
        std::any_of(gains.begin(), gains.end(), [](const Gain& g) { return g.value >= g.maximum; });
    return gain_at_maximum && brightness * kTooHighMargin > luminance_maximum;
}

bool limit_check_applies(bool application_active, bool operation_running, bool has_monitor,
                         bool percent) {
    return application_active && !operation_running && has_monitor && !percent;
}

bool mode_item_differs(const CModeSettings& item, const CModeSettings& reference) {
    for (int i : {4, 5, 6, 7, 8, 9, 11, 12}) {
        if (item.values[static_cast<std::size_t>(i)] !=
            reference.values[static_cast<std::size_t>(i)])
            return true;
    }
    return item.curve_type() == monitor_feature::gamma_type_value &&
           item.gamma_code() != reference.gamma_code();
}

bool has_colorimetry(const CModeSettings& item) {
    for (int i = 0; i < 4; ++i) {
        if (item.chromaticity_x(i) <= 0 || item.chromaticity_y(i) <= 0) return false;
    }
    return true;
}

std::optional<std::uint32_t> calibration_stamp(bool entry_found, std::uint32_t value) {
    if (!entry_found || value == 0) return std::nullopt;
    return value;
}

bool created_at_stamp(const QDateTime& created, std::uint32_t stamp) {
    if (!created.isValid()) return false;
    // The header holds UTC fields, whatever zone the reader attached to them.
    const QDateTime utc(created.date(), created.time(), QTimeZone::utc());
    return utc.toSecsSinceEpoch() == static_cast<qint64>(stamp);
}

int profile_for_stamp(const QList<ProfileEntry>& profiles, std::uint32_t stamp) {
    for (int i = 0; i < profiles.size(); ++i) {
        if (created_at_stamp(profiles[i].created, stamp)) return i;
    }
    return -1;
}

ToneCurve tone_curve_of(const CModeSettings& item) {
    switch (item.curve_type()) {
        case monitor_feature::gamma_type_value:
            return ToneCurve::gamma;
        case monitor_feature::gamma_type_dicom:
            return ToneCurve::dicom;
        case monitor_feature::gamma_type_programmable:
            return ToneCurve::programmable;
        case monitor_feature::gamma_type_lstar:
            return ToneCurve::lstar;
        default:
            return ToneCurve::srgb;
    }
}

double gamma_of(const CModeSettings& item) {
    return item.gamma_code() / 100.0 + 0.5;
}

QString mode_profile_path(const QString& folder, const QString& model, const QString& serial) {
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path + displayProfileFileName(model, serial);
}

QString mode_profile_description(const QString& model, const QString& serial, int memory) {
    return model + QLatin1Char(' ') + serial + QStringLiteral(" ORV Mode %1").arg(memory);
}

SpecResult mode_profile_spec(const ModeProfileInput& input, ProfileSpec& spec) {
    if (input.folder.isEmpty()) return SpecResult::no_folder;
    if (!has_colorimetry(input.item)) return SpecResult::no_colorimetry;

    ProfileSpec out;
    out.path = mode_profile_path(input.folder, input.model, input.serial);
    out.description = mode_profile_description(input.model, input.serial, input.memory);
    out.created = input.created;
    const CModeSettings& item = input.item;
    out.whiteX = item.chromaticity_x(0) / 1000.0;
    out.whiteY = item.chromaticity_y(0) / 1000.0;
    out.redX = item.chromaticity_x(1) / 1000.0;
    out.redY = item.chromaticity_y(1) / 1000.0;
    out.greenX = item.chromaticity_x(2) / 1000.0;
    out.greenY = item.chromaticity_y(2) / 1000.0;
    out.blueX = item.chromaticity_x(3) / 1000.0;
    out.blueY = item.chromaticity_y(3) / 1000.0;
    out.luminance = input.brightness;
    out.useCurves = true;

    switch (tone_curve_of(item)) {
        case ToneCurve::gamma:
            out.gamma = gamma_of(item);
            make_gamma_curve(out.redCurve, out.gamma);
            break;
        case ToneCurve::dicom:
            make_dicom_curve(out.redCurve,
                             dicom_black_luminance(input.black_level, input.black_limit),
                             static_cast<float>(input.brightness));
            break;
        case ToneCurve::programmable:
            if (!input.curves) return SpecResult::needs_curves;
            if (!input.curves->red.valid || !input.curves->green.valid ||
                !input.curves->blue.valid) {
                return SpecResult::invalid_curves;
            }
            out.redCurve = input.curves->red;
            out.greenCurve = input.curves->green;
            out.blueCurve = input.curves->blue;
            break;
        case ToneCurve::lstar:
            make_lstar_curve(out.redCurve);
            break;
        case ToneCurve::srgb:
            make_srgb_curve(out.redCurve);
            break;
    }
    if (tone_curve_of(item) != ToneCurve::programmable) {
        out.greenCurve = out.redCurve;
        out.blueCurve = out.redCurve;
    }
    spec = out;
    return SpecResult::ready;
}

ProfileTexts profile_texts() {
    return {string(15), string(11), string(1), string(9)};
}

QString display_device_name(const DisplayInfo& info) {
    return info.text5.isEmpty() ? info.text4 : info.text5;
}

}  // namespace picture_mode
