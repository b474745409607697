#include "color/cie_yxy.h"

CCIEXYZ CCIEYxy::toXYZ() const {
    if (y == 0.0) return {0.0, Y, 0.0};
    return {x / y * Y, Y, (1.0 - x - y) / y * Y};
}
