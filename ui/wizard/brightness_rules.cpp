#include "ui/wizard/brightness_rules.h"

namespace brightness_rules {

namespace {
// A spin-box value is a decimal the double only approximates: 0.29 * 100 gives
// 28.999999999999996, which must still be position 29, not 28.
constexpr double kRepresentationSlack = 1e-9;

int cut(double position) {
    return static_cast<int>(position +
                            (position >= 0 ? kRepresentationSlack : -kRepresentationSlack));
}
}  // namespace

double brightness_shown(int raw, int minimum, int maximum, bool percent) {
    if (!percent) return raw;
    if (maximum <= minimum) return 0.0;
    return (raw - minimum) * 100.0 / (maximum - minimum);
}

int brightness_position(double shown, int minimum, int maximum, bool percent) {
    if (!percent) return cut(shown);
    return cut(minimum + shown * (maximum - minimum) / 100.0);
}

double black_level_shown(int raw, bool percent) {
    return percent ? raw * 2.0 : raw / 10.0;
}

int black_level_position(double shown, int maximum, bool percent) {
    return cut(percent ? shown * maximum / 100.0 : shown * 10.0);
}

QString luminance_unit() {
    return QStringLiteral("cd/m") + QChar(0x00B2);
}

}  // namespace brightness_rules
