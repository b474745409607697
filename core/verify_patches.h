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

// The patches as a screen of `bits_per_channel` draws them: each signal rounded to the nearest
// code (Gray 5 % is 13/255 on an 8-bit screen), and a grey's level with it, so that targets
// are computed from what the instrument sees.
std::vector<Patch> as_drawn(std::vector<Patch> patches, int bits_per_channel = 8);

}  // namespace verify
