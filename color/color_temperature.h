#pragma once

#include <cstdint>

#include "color/chromaticity.h"

// The white of temperature `kelvin`: the Planckian locus below 4000 K, the CIE daylight locus
// from 4000 K up. Outside 1667..25000 K it fails and `white` becomes (0, 0).
bool whiteForTemperature(std::uint16_t kelvin, CChromaticity& white);

// Correlated colour temperature of a chromaticity and its distance from the locus in the CIE
// 1960 UCS, computed once on construction. cct 0 means no temperature: the chromaticity lies
// outside the box the table covers, or is bluer than the table or redder than 1562.5 K.
// Temperatures above 65535 K saturate at 65535.
class CColorTemperature {
  public:
    double x = 0.0;
    double y = 0.0;
    std::uint16_t cct = 0;
    double duv = 0.0;
    // Free for callers to mark a temperature; never read here.
    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;

    CColorTemperature() = default;
    CColorTemperature(double cx, double cy);
    explicit CColorTemperature(const CChromaticity& xy) : CColorTemperature(xy.x, xy.y) {}
    CColorTemperature(const CColorTemperature&) = default;
    CColorTemperature& operator=(const CColorTemperature&) = default;
    virtual ~CColorTemperature() = default;

  private:
    void compute();
    void take_exact_row(int n, double u, double v);
};
