#pragma once

#include <QString>
#include <array>
#include <vector>

namespace verify {

enum class PatchGroup { grayscale, primaries, checker };

// One colour the verification shows and measures: a device signal, each channel 0..1.
struct Patch {
    QString name;
    PatchGroup group = PatchGroup::grayscale;
    std::array<double, 3> signal{};
    double level = 0.0;  // the grayscale step or the primary's percentage, 0..1
};

// Grayscale 0..100 % in 5 % steps, then red, green, blue, cyan, magenta, yellow at 100, 75, 50
// and 25 %, then the 24 patches of the colour checker chart.
std::vector<Patch> standard_patches();

}  // namespace verify
