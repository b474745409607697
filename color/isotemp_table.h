#pragma once

#include <array>

// One row of the isotemperature table: the Planckian locus in CIE 1960 (u, v) at a reciprocal
// temperature, and the isotemperature line through it, (u - u_n) - t_n (v - v_n) = 0.
struct IsotempRow {
    double u;
    double v;
    double t;
};

// Row n stands for 10 n mired: row 0 is infinite temperature, row 64 is 1562.5 K.
inline constexpr int kIsotempRows = 65;
extern const std::array<IsotempRow, kIsotempRows> kIsotempTable;
