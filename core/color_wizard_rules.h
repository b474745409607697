#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

#include "color/spline.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"

struct ProfileSpec;

// The colour wizard's rules that need no window: which page follows which, the settings lists
// each commit writes, the acceptance limits of an emulated display and the slot-name format.
namespace color_wizard_rules {

// Page ids; 4 is not used.
enum PageId : int {
    kIntroPage = 0,
    kCustomTypePage = 1,
    kPrinterEmulationPage = 2,
    kRenderingIntentPage = 3,
    kDisplayEmulationPage = 5,
    kGammaPage = 6,
    kColorGamutPage = 7,
    kNamePresetPage = 8,
    kWhitePointPage = 9,
    kBrightnessPage = 10,
    kNoPage = -1,
};

// The picture modes by their short names.
using enum monitor_preset::PictureMode;
using monitor_preset::kSlotCount;
using monitor_preset::programmable_mode;

// The choices the page flow depends on: the wizard's fields of the same names.
struct FlowChoice {
    bool srgb = false, adobergb = false, dci = false, rec709 = false, dicom = false;
    bool highbright = false, full = false, ecirgb = false, custom = false;
    bool full_custom = false, emulate_display = false, emulate_printer = false;
};
// The page after `page` for these choices; kNoPage after the last.
int next_page(int page, const FlowChoice& choice);

// Luminances at or below this are not taken from an emulated display: too dark to be meant.
constexpr double kLowestEmulatedLuminance = 40.0;
constexpr int kGamma22Code = 170;

// The switch to a picture mode: the mode, metamerism as it was, and the three values every
// switch writes. Every entry reads first and writes only what differs.
CMonitorSettingList switch_list(int mode, int metamerism);

// Rendering gamuts of the rendering intent page.
enum RenderingGamut : int { kGamutFull = 0, kGamutAdobeRgb = 1, kGamutSrgb = 2 };
// The primaries (thousandths: red x, red y, green x, green y, blue x, blue y) the monitor takes
// for a printer emulation on this rendering gamut; `native` for the full gamut.
std::array<int, 6> printer_primaries(int rendering_gamut, const std::array<int, 6>& native);

// The printer-emulation list: with a stored record, the LUT mode, the gamut's primaries and
// (when one was chosen) the white point; then the tone curve of the rendering gamut.
CMonitorSettingList printer_emulation_list(bool record_loaded, int rendering_gamut,
                                           const std::array<int, 6>& native, unsigned white_x,
                                           unsigned white_y);

// What page 5 read from a display profile and page 8 writes into the monitor.
struct EmulationRecord {
    bool valid = false;  // read completely and within the acceptance limits
    double gamma = 0.0;
    double white_x = 0.0, white_y = 0.0;
    double red_x = 0.0, red_y = 0.0;
    double green_x = 0.0, green_y = 0.0;
    double blue_x = 0.0, blue_y = 0.0;
    CSpline red_curve, green_curve, blue_curve;
    bool curves_approximated = false;  // the gamma only approximates the profile's curves
    double luminance = 0.0;            // of white, cd/m²; 0 unknown
    QString description;
    QString copyright;
    QDateTime created;
};
// Fills a record from a profile read by the display-profile reader.
EmulationRecord emulation_from(const ProfileSpec& spec);

// The values the acceptance limits apply to, in the order the page shows them.
enum EmulatedValue : int {
    kWhiteX,
    kWhiteY,
    kRedX,
    kRedY,
    kGreenX,
    kGreenY,
    kBlueX,
    kBlueY,
    kGamma,
    kEmulatedValueCount
};
struct Limit {
    double minimum;
    double maximum;
};
Limit acceptance_limit(EmulatedValue value);
double value_of(const EmulationRecord& record, EmulatedValue value);
// Inside the limits, both ends included; NaN is never inside.
bool within_limits(const EmulationRecord& record, EmulatedValue value);
bool all_within_limits(const EmulationRecord& record);

// The display-emulation list up to the LUT mode going back to normal: made custom, LUT mode,
// primaries and white (rounded thousandths), the luminance when bright enough, and the gamma
// when the profile's curves are a plain gamma.
CMonitorSettingList display_emulation_list(const EmulationRecord& record);
// The full-custom commit: the mark that the mode is made by hand.
CMonitorSettingList custom_mode_list();
// The LUT mode back to normal, after the emulation colours or table have been written.
CMonitorSettingList lut_mode_normal_list();
// A chromaticity as the commit writes it: thousandths, rounded.
int rounded_thousandths(double value);

// The exponent of a gamma curve as the monitor holds it (mf::gamma_value), and back.
int gamma_code(double gamma);
double gamma_from_code(int code);

// The monitor's slot names: exactly this many Latin-1 characters.
constexpr int kSlotNameLength = 13;
// What is sent for a name: cut to 13 characters or padded with blanks.
QByteArray slot_name_bytes(const QString& name);
// Whether the monitor can store the name as typed: letters, digits and blanks only.
bool slot_name_storable(const QString& name);

}  // namespace color_wizard_rules
