#pragma once

#include <cstdint>

// The grayscale standard display function between two luminances, in single precision: the
// output levels that space `steps` intervals evenly in just-noticeable differences.
class CDICOMCalc {
  public:
    float lMin = 0.0f;      // cd/m²
    float lMax = 0.0f;      // cd/m²
    float jndRange = 0.0f;  // jMax - jMin
    float jndStep = 0.0f;   // jndRange / steps
    float jMin = 0.0f;
    float jMax = 0.0f;
    std::int32_t steps = 0;

    // Non-positive luminances or steps leave the range empty, and every level 0.
    CDICOMCalc(float black, float white, std::int32_t stepCount);
    CDICOMCalc(const CDICOMCalc&) = default;
    CDICOMCalc& operator=(const CDICOMCalc&) = default;
    virtual ~CDICOMCalc() = default;

    // Level i of 0..steps scaled to 0..fullScale, rounded half up; 0 outside that range.
    int level(int i, int fullScale) const;

    // JND index of a luminance; 0 for L <= 0.
    static float jnd(float luminance);
    // Luminance of a JND index; 0 for j <= 0.
    static float luminance(float jndIndex);
};
