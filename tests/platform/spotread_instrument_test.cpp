#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "platform/spotread_instrument.h"

namespace {

using namespace platform::instrument_error;
using platform::CInstrumentSample;
using platform::CSpotreadInstrument;

// A stand-in for spotread that prints what spotread prints in emissive mode: the prompt,
// then for each key a result line and the prompt again; MODE picks a failure instead.
constexpr const char* kStandIn = R"SH(#!/bin/sh
case "$MODE" in
  none) echo "Diagnostic: No instrument at port 1"; echo "Failed to find any instrument"; exit 1;;
  busy) echo "Instrument open failed: the instrument is busy or in use"; exit 1;;
esac
echo "Place instrument on spot to be measured,"
echo "and hit [A-Z] to read white and setup FWA compensation (keyed to letter)"
echo "Hit ESC or Q to exit, any other key to take a reading:"
n=0
while true; do
  key=$(dd bs=1 count=1 2>/dev/null)
  if [ "$key" = q ] || [ -z "$key" ]; then exit 0; fi
  if [ "$MODE" = silent ]; then sleep 30; exit 0; fi
  n=$((n + 1))
  echo ""
  echo " Result is XYZ: 95.2$n 100.1$n 108.9$n, D50 Lab: 100.000 0.000 0.000"
  echo ""
  echo "Place instrument on spot to be measured,"
  echo "Hit ESC or Q to exit, any other key to take a reading:"
done
)SH";

class SpotreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = dir_.filePath(QStringLiteral("spotread"));
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kStandIn);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override { qunsetenv("MODE"); }

    // Short limits: the stand-in answers at once or never.
    std::unique_ptr<CSpotreadInstrument> instrument(const char* mode = "") {
        qputenv("MODE", mode);
        return std::make_unique<CSpotreadInstrument>(path_, QStringList{"-e", "-N"}, 5000, 400);
    }

    QTemporaryDir dir_;
    QString path_;
};

TEST_F(SpotreadTest, ResultLinesParseAndOtherTextDoesNot) {
    const auto s = CSpotreadInstrument::parse_result(
        " Result is XYZ: 109.416624 115.208641 125.226853, D50 Lab: 104.99 -0.31 -0.58\n");
    ASSERT_TRUE(s.has_value());
    EXPECT_DOUBLE_EQ(s->X, 109.416624);
    EXPECT_DOUBLE_EQ(s->Y, 115.208641);
    EXPECT_DOUBLE_EQ(s->Z, 125.226853);
    EXPECT_TRUE(CSpotreadInstrument::parse_result("Result is XYZ: 1.0e-2 2 3\n").has_value());
    EXPECT_FALSE(CSpotreadInstrument::parse_result("Result is XYZ: n/a\n").has_value());
    EXPECT_FALSE(CSpotreadInstrument::parse_result("Place instrument on spot").has_value());
}

TEST_F(SpotreadTest, OneReadingPerPatchFromOneProcess) {
    auto meter = instrument();
    ASSERT_EQ(meter->open(), 0) << qPrintable(meter->error_text());
    CInstrumentSample a, b;
    ASSERT_EQ(meter->read(a), 0) << qPrintable(meter->error_text());
    ASSERT_EQ(meter->read(b), 0);
    // The stand-in counts the key presses: the second reading is a reading of its own.
    EXPECT_DOUBLE_EQ(a.Y, 100.11);
    EXPECT_DOUBLE_EQ(b.Y, 100.12);
    meter->close();
    EXPECT_EQ(meter->read(a), kNone);
}

TEST_F(SpotreadTest, EveryFailureEndsWithItsOwnResultAndText) {
    {
        CSpotreadInstrument missing(dir_.filePath(QStringLiteral("not-installed")));
        EXPECT_EQ(missing.open(), kMissing);
        EXPECT_TRUE(missing.error_text().contains(QStringLiteral("argyll")));
    }
    {
        auto meter = instrument("none");
        EXPECT_EQ(meter->open(), kNone);
        EXPECT_TRUE(meter->error_text().contains(QStringLiteral("no measuring instrument")));
    }
    {
        auto meter = instrument("busy");
        EXPECT_EQ(meter->open(), kBusy);
    }
    {
        auto meter = instrument("silent");
        ASSERT_EQ(meter->open(), 0);
        CInstrumentSample s;
        EXPECT_EQ(meter->read(s), kTimeout);
        EXPECT_FALSE(meter->error_text().isEmpty());
        meter->close();  // the stand-in that never answers is ended, not waited for
    }
    {
        auto meter = instrument("silent");
        ASSERT_EQ(meter->open(), 0);
        std::thread user([&meter] { meter->cancel(); });
        user.join();
        CInstrumentSample s;
        EXPECT_EQ(meter->read(s), kCancelled);
    }
}

}  // namespace
