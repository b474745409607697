#pragma once

// A CIE 1931 chromaticity (x, y).
struct CChromaticity {
    double x = 0.0;
    double y = 0.0;

    bool operator==(const CChromaticity&) const = default;
};
