#pragma once

#include <QString>

// How brightness and black level are shown: in percent on the model that works in percent,
// otherwise in cd/m² (black level in tenths). Slider positions are the monitor's raw values.
namespace brightness_rules {

// The spin-box value for a brightness slider position between `minimum` and `maximum`.
double brightness_shown(int raw, int minimum, int maximum, bool percent);
// The slider position for a brightness spin-box value; fractions are cut.
int brightness_position(double shown, int minimum, int maximum, bool percent);
// The spin-box value for a black-level slider position (the slider starts at 0).
double black_level_shown(int raw, bool percent);
// The slider position for a black-level spin-box value; fractions are cut.
int black_level_position(double shown, int maximum, bool percent);

// The unit of absolute luminances: "cd/m²".
QString luminance_unit();

}  // namespace brightness_rules
