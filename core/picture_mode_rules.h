#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "color/adjust_value.h"
#include "profiles/profile_list.h"
#include "profiles/profile_spec.h"
#include "profiles/profile_texts.h"

struct DisplayInfo;

// The rules of the picture-mode memories that need no window: what a memory's button reads,
// how brightness and black level are shown, when the limit warnings apply, when the active
// mode needs a new display profile and what that profile holds.
namespace picture_mode {

// The label of a preset: the named entry whose number is the preset, the table's name, or
// "Mode %1". `simulated_dicom` picks "DICOM Sim" for the DICOM preset.
QString preset_label(int preset, const CAdjustValue* record, bool simulated_dicom);
// What a memory's button reads without a stored record.
QString default_button_label(int memory);

// The unit suffix of both spin boxes.
QString unit_suffix(bool percent);

// Brightness: slider minimum..maximum in cd/m²; the spin box shows cd/m² or 0..100 %.
struct BrightnessScale {
    int minimum = 0;
    int maximum = 0;
    bool percent = false;

    double spin_minimum() const;
    double spin_maximum() const;
    int decimals() const { return percent ? 1 : 0; }
    double step() const;
    double to_spin(int value) const;
    // The slider value for a spin-box value, truncated.
    int from_spin(double shown) const;
};

// Black level: slider 0..maximum in tenths of cd/m²; the spin box shows cd/m² or percent.
struct BlackLevelScale {
    int maximum = 0;
    bool percent = false;

    double spin_minimum() const { return 0.0; }
    double spin_maximum() const;
    int decimals() const { return percent ? 0 : 1; }
    double step() const;
    double to_spin(int value) const;
    int from_spin(double shown) const;
};

// The text of an indicator label and its tool tip.
struct Indicator {
    QString text;
    QString tool_tip;
    bool operator==(const Indicator&) const = default;
};
// The spacer the indicators show when there is nothing to warn about.
QString blank_indicator();
Indicator brightness_indicator(int value, int uniformity_limit, int contrast_limit);
Indicator black_level_indicator(int value, int black_limit);
Indicator brightness_too_high_indicator();

struct Gain {
    int value = 0;
    int maximum = 0;
};
// A gain already at its maximum cannot lift the white any further: the brightness asked for
// is out of reach when it exceeds what the panel reaches by more than 2 %.
bool brightness_too_high(const std::array<Gain, 3>& gains, int brightness, int luminance_maximum);
// The limit check runs only for the active application, between operations, with a monitor,
// and never in percent mode (the percent model has no absolute limit).
bool limit_check_applies(bool application_active, bool operation_running, bool has_monitor,
                         bool percent);

// Whether a mode item describes other colours than the item a profile was made for: the four
// chromaticities except the blue x, the tone-curve type, and the gamma for the gamma type.
bool mode_item_differs(const CModeSettings& item, const CModeSettings& reference);
// Whether an item carries usable chromaticities; a memory the monitor did not report holds
// zeros, and a profile from those would describe a black display.
bool has_colorimetry(const CModeSettings& item);

// The change table's entry as a calibration time stamp: a value of 0 marks a change on the
// monitor's own controls, not a calibration.
std::optional<std::uint32_t> calibration_stamp(bool entry_found, std::uint32_t value);
// Whether a profile header's creation time (UTC fields) is the time stamp.
bool created_at_stamp(const QDateTime& created, std::uint32_t stamp);
// The first listed profile created at the stamp, or -1.
int profile_for_stamp(const QList<ProfileEntry>& profiles, std::uint32_t stamp);

enum class ToneCurve { gamma, dicom, programmable, lstar, srgb };
ToneCurve tone_curve_of(const CModeSettings& item);
// The exponent of a gamma-type item.
double gamma_of(const CModeSettings& item);

// The profile of a picture mode: file, description and where the colours come from.
QString mode_profile_path(const QString& folder, const QString& model, const QString& serial);
QString mode_profile_description(const QString& model, const QString& serial, int memory);

struct ModeProfileInput {
    QString folder;  // the colour directory
    QString model;
    QString serial;
    int memory = 0;
    CModeSettings item;
    int brightness = 0;    // the brightness slider, cd/m²
    int black_level = 0;   // the black-level slider, tenths of cd/m²
    int black_limit = -1;  // the lowest black the monitor reaches, tenths; -1 unknown
    // The record's curves of a programmable mode, when it has them.
    std::optional<CCurveSet> curves;
    QDateTime created;  // UTC
};

enum class SpecResult {
    ready,
    needs_curves,    // a programmable mode whose curves the record does not hold
    invalid_curves,  // a programmable mode whose curves are not all valid
    no_colorimetry,  // the item has no usable chromaticities
    no_folder,       // the colour directory is unknown
};
SpecResult mode_profile_spec(const ModeProfileInput& input, ProfileSpec& spec);

// The texts the profile layer needs, from the string table.
ProfileTexts profile_texts();
// The name the colour system knows the display by.
QString display_device_name(const DisplayInfo& info);

}  // namespace picture_mode
