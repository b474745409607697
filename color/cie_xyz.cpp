#include "color/cie_xyz.h"

CCIEXYZ::CCIEXYZ(double x, double y) : Y(1.0) {
    if (y == 0.0) return;
    X = x / y;
    Z = (1.0 - x - y) / y;
}

CChromaticity CCIEXYZ::chromaticity() const {
    const double sum = X + Y + Z;
    if (sum == 0.0) return {};
    return {X / sum, Y / sum};
}
