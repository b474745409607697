#include <gtest/gtest.h>

#include <QFile>
#include <cmath>

#include "color/curve_builders.h"
#include "platform/color_matching.h"
#include "platform/icm_matchers.h"
#include "profile_bytes.h"
#include "profiles/display_profile.h"
#include "profiles/emulation_lut.h"

using namespace profile_bytes;

namespace {

const QString kPrinter = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
const QString kSrgb = QStringLiteral("/usr/share/color/icc/sRGB.icc");

std::int32_t identity_level(int i) {
    return static_cast<std::int32_t>(std::floor(0.5 + i * 1020.0 / 8));
}

bool is_identity(const EmulationLut& lut) {
    for (int b = 0; b < 9; ++b)
        for (int g = 0; g < 9; ++g)
            for (int r = 0; r < 9; ++r) {
                const EmulationLut::Node expected = {identity_level(r), identity_level(g),
                                                     identity_level(b)};
                if (lut.node(r, g, b) != expected) return false;
            }
    return true;
}

// The panel's native profile, as the wizard writes it: wide gamut, D65, gamma 2.2.
QString native_profile() {
    const QString path = fresh_folder(QStringLiteral("native")) + QStringLiteral("/full.icm");
    ProfileSpec spec = sample_spec(path);
    spec.description = QStringLiteral("full gamut");
    EXPECT_EQ(writeDisplayProfile(spec, QString()), 0);
    return path;
}

class EmulationLutWithProfiles : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const QString& path : {kPrinter, kSrgb})
            if (!QFile::exists(path)) GTEST_SKIP() << path.toStdString() << " is not installed";
        native_ = native_profile();
        lut_.setSourceProfile(kSrgb);
        lut_.setEmulatedProfile(kPrinter);
        lut_.setDisplayProfile(native_);
    }

    EmulationLut computed(bool adobe, bool paper, int intent = 4) {
        EmulationLut lut = lut_;
        lut.setUseAdobeCmm(adobe);
        lut.setSimulatePaper(paper);
        lut.setIntentIndex(intent);
        EXPECT_TRUE(lut.compute());
        return lut;
    }

    QString native_;
    EmulationLut lut_;
};

TEST(EmulationLutEncoding, AFreshTableIsTheIdentity) {
    const EmulationLut lut;
    EXPECT_FALSE(lut.isValid());
    EXPECT_EQ(lut.intentIndex(), 4);
    EXPECT_FALSE(lut.simulatePaper());
    EXPECT_TRUE(lut.useAdobeCmm());
    EXPECT_TRUE(is_identity(lut));
    EXPECT_EQ(lut.node(8, 8, 8), (EmulationLut::Node{1020, 1020, 1020}));
    EXPECT_EQ(lut.node(4, 4, 4), (EmulationLut::Node{510, 510, 510}));
    // Red runs fastest through the table.
    EXPECT_EQ(lut.table()[1], (EmulationLut::Node{128, 0, 0}));
    EXPECT_EQ(lut.table()[9], (EmulationLut::Node{0, 128, 0}));
    EXPECT_EQ(lut.table()[81], (EmulationLut::Node{0, 0, 128}));
    const std::int32_t levels[9] = {0, 128, 255, 383, 510, 638, 765, 893, 1020};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(lut.node(i, 0, 0)[0], levels[i]);
}

TEST(EmulationLutEncoding, GridLevelsAndOutputScale) {
    const std::uint16_t levels[9] = {0, 8192, 16384, 24576, 32768, 40959, 49151, 57343, 65535};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(EmulationLut::gridLevel(i), levels[i]) << i;
    EXPECT_EQ(EmulationLut::tableValue(0), 0);
    EXPECT_EQ(EmulationLut::tableValue(65535), 1020);
    EXPECT_EQ(EmulationLut::tableValue(32768), 510);
    // One table step is 65535 / 1020 (about 64.25) input steps, rounded to the nearest.
    EXPECT_EQ(EmulationLut::tableValue(32), 0);
    EXPECT_EQ(EmulationLut::tableValue(33), 1);
}

TEST(EmulationLutEncoding, IntentsAndFlagsOfBothBranches) {
    using namespace platform;
    const std::uint32_t mapped[5] = {0, kIntentAbsoluteColorimetric, kIntentSaturation,
                                     kIntentRelativeColorimetric, kIntentPerceptual};
    std::uint32_t intent = 99;
    EXPECT_FALSE(EmulationLut::mappedIntent(0, intent));
    EXPECT_FALSE(EmulationLut::mappedIntent(5, intent));
    for (int index = 1; index <= 4; ++index) {
        ASSERT_TRUE(EmulationLut::mappedIntent(index, intent));
        EXPECT_EQ(intent, mapped[index]) << index;
        for (bool paper : {false, true}) {
            const auto adobe = EmulationLut::transformSetup(intent, true, paper);
            EXPECT_EQ(adobe.intents[0], intent);
            EXPECT_EQ(adobe.intents[1],
                      paper ? kIntentAbsoluteColorimetric : kIntentRelativeColorimetric);
            EXPECT_EQ(adobe.intents[2], kIntentRelativeColorimetric);
            EXPECT_EQ(adobe.flags, 0x10003u);

            const auto system = EmulationLut::transformSetup(intent, false, paper);
            EXPECT_EQ(system.intents[0], kIntentRelativeColorimetric);
            EXPECT_EQ(system.intents[1], intent);
            EXPECT_EQ(system.intents[2], kIntentRelativeColorimetric);
            EXPECT_EQ(system.flags, paper ? 0x10003u : 0x30003u);
        }
    }
}

TEST_F(EmulationLutWithProfiles, PrinterEmulationIsComputedWithinRange) {
    ASSERT_TRUE(lut_.compute());
    EXPECT_TRUE(lut_.isValid());
    EXPECT_FALSE(is_identity(lut_));
    for (const EmulationLut::Node& node : lut_.table())
        for (std::int32_t value : node) {
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 1020);
        }
    // What a print looks like: paper white stays near full, black ink is no display black,
    // and a pure sRGB red is beyond the inks.
    for (std::int32_t value : lut_.node(8, 8, 8))
        EXPECT_GT(value, 900);
    const EmulationLut::Node black = lut_.node(0, 0, 0);
    EXPECT_GT(black[0] + black[1] + black[2], 30);
    const EmulationLut::Node red = lut_.node(8, 0, 0);
    EXPECT_LT(red[0], 1020);
    EXPECT_GT(red[1] + red[2], 0);
}

TEST_F(EmulationLutWithProfiles, ADeviceEmulatingItselfGivesNearlyTheIdentity) {
    // Every step through the same matrix display profile: what goes in comes out.
    EmulationLut lut;
    lut.setSourceProfile(native_);
    lut.setEmulatedProfile(native_);
    lut.setDisplayProfile(native_);
    lut.setUseAdobeCmm(false);
    ASSERT_TRUE(lut.compute());
    for (int b = 0; b < 9; ++b)
        for (int g = 0; g < 9; ++g)
            for (int r = 0; r < 9; ++r) {
                const EmulationLut::Node node = lut.node(r, g, b);
                EXPECT_NEAR(node[0], identity_level(r), 2) << r << g << b;
                EXPECT_NEAR(node[1], identity_level(g), 2) << r << g << b;
                EXPECT_NEAR(node[2], identity_level(b), 2) << r << g << b;
            }
}

TEST_F(EmulationLutWithProfiles, ChangingAPathDiscardsTheTableKeepingItDoesNot) {
    ASSERT_TRUE(lut_.compute());
    const EmulationLut::Table computed = lut_.table();
    lut_.setSourceProfile(kSrgb);
    lut_.setEmulatedProfile(kPrinter);
    lut_.setDisplayProfile(native_);
    lut_.setIntentIndex(1);
    lut_.setSimulatePaper(true);
    lut_.setUseAdobeCmm(false);
    EXPECT_TRUE(lut_.isValid());
    EXPECT_EQ(lut_.table(), computed);

    for (int which = 0; which < 3; ++which) {
        ASSERT_TRUE(lut_.compute());
        const QString other = QStringLiteral("/elsewhere/other.icc");
        if (which == 0) lut_.setSourceProfile(other);
        if (which == 1) lut_.setEmulatedProfile(other);
        if (which == 2) lut_.setDisplayProfile(other);
        EXPECT_FALSE(lut_.isValid()) << which;
        EXPECT_TRUE(is_identity(lut_)) << which;
        EXPECT_FALSE(lut_.compute()) << which;  // no such profile
        lut_.setSourceProfile(kSrgb);
        lut_.setEmulatedProfile(kPrinter);
        lut_.setDisplayProfile(native_);
    }
}

TEST_F(EmulationLutWithProfiles, FailuresLeaveTheIdentity) {
    for (int intent : {0, 5}) {
        ASSERT_TRUE(lut_.compute());
        lut_.setIntentIndex(intent);
        EXPECT_FALSE(lut_.compute()) << intent;
        EXPECT_FALSE(lut_.isValid());
        EXPECT_TRUE(is_identity(lut_));
        lut_.setIntentIndex(4);
    }

    EmulationLut empty = lut_;
    empty.setEmulatedProfile(QString());
    EXPECT_FALSE(empty.compute());

    // A file that is no profile, and a display profile that is not RGB.
    const QString junk = fresh_folder(QStringLiteral("junk")) + QStringLiteral("/junk.icc");
    ASSERT_TRUE(QFile(junk).open(QIODevice::WriteOnly));
    EmulationLut broken = lut_;
    broken.setEmulatedProfile(junk);
    EXPECT_FALSE(broken.compute());
    EmulationLut cmyk_display = lut_;
    cmyk_display.setDisplayProfile(kPrinter);
    EXPECT_FALSE(cmyk_display.compute());
    EXPECT_TRUE(is_identity(cmyk_display));
}

TEST_F(EmulationLutWithProfiles, TheAdobeBranchNeedsARegisteredModule) {
    // Requested but not registered: the default module makes the transform, with the default
    // branch's intents and flags (both branches emulate the same print, so the tables agree).
    const EmulationLut system = computed(false, false);
    EXPECT_EQ(platform::selected_cmm(), platform::kCmmDefault);
    const EmulationLut unregistered = computed(true, false);
    EXPECT_EQ(platform::selected_cmm(), platform::kCmmDefault);
    EXPECT_EQ(unregistered.table(), system.table());

    ASSERT_TRUE(platform::write_icm_matcher(QStringLiteral("ADBE"), QStringLiteral("acecmm")));
    const EmulationLut adobe = computed(true, true);
    EXPECT_EQ(platform::selected_cmm(), platform::kCmmAdobe);
    EXPECT_EQ(adobe.table(), computed(false, true).table());
    // Not wanted, though registered: back to the default module.
    EXPECT_EQ(platform::selected_cmm(), platform::kCmmDefault);
}

TEST_F(EmulationLutWithProfiles, PaperSimulationKeepsThePaperWhite) {
    for (bool adobe : {false, true}) {
        if (adobe) {
            ASSERT_TRUE(
                platform::write_icm_matcher(QStringLiteral("ADBE"), QStringLiteral("acecmm")));
        }
        const EmulationLut relative = computed(adobe, false);
        const EmulationLut paper = computed(adobe, true);
        const auto sum = [](const EmulationLut::Node& n) { return n[0] + n[1] + n[2]; };
        // The paper is darker than the display's white.
        EXPECT_LT(sum(paper.node(8, 8, 8)), sum(relative.node(8, 8, 8))) << adobe;
        EXPECT_NE(paper.table(), relative.table()) << adobe;
    }
}

}  // namespace
