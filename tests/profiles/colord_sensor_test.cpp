// An instrument through colord: the private daemon's dummy sensor (see
// tests/support/private_colord.sh) stands in for a colorimeter.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <cmath>

#include "comm/monitor_timing.h"
#include "core/verify_run.h"

#include "platform/colord_sensor.h"
#include "platform/fake_sleeper.h"

namespace {

using namespace platform::instrument_error;

class ColordSensor : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString folder = qEnvironmentVariable("ORVALE_TEST_COLORD_DIR");
        QString missing;
        if (folder.isEmpty())
            missing = QStringLiteral("ORVALE_TEST_COLORD_DIR is not set");
        else if (QFileInfo::exists(folder + QStringLiteral("/unavailable")))
            missing = QStringLiteral("no private colord");
        if (!missing.isEmpty()) {
            if (!qEnvironmentVariableIsEmpty("CI"))
                FAIL() << "colord must run in CI: " << missing.toStdString();
            GTEST_SKIP() << missing.toStdString();
        }
    }
};

TEST_F(ColordSensor, LocksReadsAnLcdSampleAndUnlocks) {
    platform::CColordSensor sensor;
    ASSERT_EQ(sensor.open(), 0) << qPrintable(sensor.error_text());
    EXPECT_FALSE(sensor.sensor_path().isEmpty());
    platform::CInstrumentSample a;
    ASSERT_EQ(sensor.read(a), 0) << qPrintable(sensor.error_text());
    for (double v : {a.X, a.Y, a.Z}) {
        EXPECT_TRUE(std::isfinite(v));
        EXPECT_GE(v, 0.0);
    }
    EXPECT_GT(a.X + a.Y + a.Z, 0.0);

    // While locked, another client finds it busy; once unlocked it is free again.
    platform::CColordSensor second;
    EXPECT_EQ(second.open(), kBusy) << qPrintable(second.error_text());
    sensor.close();
    EXPECT_TRUE(sensor.sensor_path().isEmpty());
    EXPECT_EQ(sensor.read(a), kNone);
    EXPECT_EQ(second.open(), 0) << qPrintable(second.error_text());
    second.cancel();
    EXPECT_EQ(second.read(a), kCancelled);
    second.close();
}

TEST_F(ColordSensor, VerificationRunReadsEveryPatchThroughTheSensor) {
    platform::CFakeSleeper sleeper;
    platform::CScopedSleeper guard(sleeper);
    platform::CColordSensor sensor;
    std::vector<verify::Patch> patches = verify::standard_patches();
    patches.resize(2);  // white and black are enough for the path; the sensor takes its time
    std::vector<const verify::Patch*> shown;
    verify::CVerificationRun run(sensor, [&](const verify::Patch* p) { shown.push_back(p); });
    std::vector<CCIEXYZ> readings;
    ASSERT_EQ(run.run(patches, readings), 0) << qPrintable(run.error_text());
    EXPECT_EQ(readings.size(), 2u);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.back(), nullptr);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{monitor_timing::kPatchSettleWaitMs,
                                                 monitor_timing::kPatchSettleWaitMs}));
    // The run let go of the sensor.
    platform::CColordSensor next;
    EXPECT_EQ(next.open(), 0) << qPrintable(next.error_text());
}

}  // namespace
