#include "color/dicom_calc.h"

#include <cmath>

float CDICOMCalc::jnd(float luminance) {
    if (luminance <= 0.0f) return 0.0f;
    const float a = 71.498068f, b = 94.593053f, c = 41.912053f, d = 9.8247004f, e = 0.28175407f,
                f = -1.1878455f, g = -0.18014349f, h = 0.14710899f, i = -0.017046845f;
    const float l1 = std::log10(luminance);
    const float l2 = l1 * l1, l3 = l2 * l1, l4 = l3 * l1, l5 = l4 * l1, l6 = l5 * l1, l7 = l6 * l1,
                l8 = l7 * l1;
    return a + b * l1 + c * l2 + d * l3 + e * l4 + f * l5 + g * l6 + h * l7 + i * l8;
}

float CDICOMCalc::luminance(float jndIndex) {
    if (jndIndex <= 0.0f) return 0.0f;
    const float a = -1.3011877f, b = -0.025840191f, c = 0.080242636f, d = -0.10320229f,
                e = 0.13646699f, f = 0.028745620f, g = -0.025468404f, h = -0.0031978977f,
                k = 0.00012992634f, m = 0.0013635334f;
    const float j1 = std::log(jndIndex);
    const float j2 = j1 * j1, j3 = j2 * j1, j4 = j3 * j1, j5 = j4 * j1;
    const float numerator = a + c * j1 + e * j2 + g * j3 + m * j4;
    const float denominator = 1.0f + b * j1 + d * j2 + f * j3 + h * j4 + k * j5;
    if (denominator == 0.0f) return 0.0f;
    return std::pow(10.0f, numerator / denominator);
}

CDICOMCalc::CDICOMCalc(float black, float white, std::int32_t stepCount)
    : lMin(black), lMax(white), jMin(jnd(black)), jMax(jnd(white)), steps(stepCount) {
    if (jMin > 0.0f && jMax > 0.0f && steps > 0) {
        jndRange = jMax - jMin;
        jndStep = jndRange / static_cast<float>(steps);
    }
}

int CDICOMCalc::level(int i, int fullScale) const {
    if (i < 0 || i > steps) return 0;
    const float base = luminance(jMin);
    const float span = luminance(jMin + static_cast<float>(steps) * jndStep) - base;
    const float ratio = (luminance(jMin + static_cast<float>(i) * jndStep) - base) / span;
    const float scaled = ratio * static_cast<float>(fullScale);
    // An empty range (invalid inputs) or lMin = lMax has no levels to spread.
    if (!std::isfinite(scaled)) return 0;
    return static_cast<int>(std::floor(scaled + 0.5f));
}
