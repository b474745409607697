#include <gtest/gtest.h>

#include "platform/colord_sensor.h"

namespace {

using platform::CColordSensor;

QString kind(const QStringList& capabilities) {
    return CColordSensor::choose_sample_kind(capabilities);
}

TEST(ColordSampleKind, AnLcdKindComesFirstThenADisplayThenWhatIsOffered) {
    EXPECT_EQ(kind({"ambient", "crt", "projector", "lcd", "led"}), QStringLiteral("lcd"));
    EXPECT_EQ(kind({"spot", "crt", "led"}), QStringLiteral("led"));
    EXPECT_EQ(kind({"crt", "lcd-ccfl", "lcd-white-led"}), QStringLiteral("lcd-white-led"));
    EXPECT_EQ(kind({"printer", "crt", "display"}), QStringLiteral("display"));
    // No LCD kind: the first display kind the sensor offers, in its order.
    EXPECT_EQ(kind({"ambient", "plasma", "crt"}), QStringLiteral("plasma"));
}

TEST(ColordSampleKind, ASensorThatCannotMeasureADisplayGetsNoKind) {
    EXPECT_TRUE(kind({"ambient", "printer", "spot", "calibration", "calibration-dark",
                      "calibration-irradiance", "unknown"})
                    .isEmpty());
    EXPECT_TRUE(kind({}).isEmpty());
    // What the caller prefers decides among display kinds only.
    EXPECT_EQ(CColordSensor::choose_sample_kind({"lcd", "crt"}, {"crt"}), QStringLiteral("crt"));
    EXPECT_EQ(CColordSensor::choose_sample_kind({"ambient", "led"}, {"ambient"}),
              QStringLiteral("led"));
    EXPECT_TRUE(CColordSensor::choose_sample_kind({"ambient"}, {"ambient"}).isEmpty());
}

}  // namespace
