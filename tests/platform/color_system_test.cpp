#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/color_matching.h"
#include "platform/color_system.h"
#include "platform/color_system_store.h"
#include "platform/icm_matchers.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

using namespace platform;
using testing_support::read_file;
using testing_support::write_file;

namespace {

constexpr std::uint32_t kMntr = 0x6D6E7472;
constexpr std::uint32_t kPrtr = 0x70727472;

// Enough of a profile for the colour system: a header with the given class.
QString fake_profile(const QString& name, std::uint32_t profileClass) {
    QByteArray bytes(128, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[12 + i] = char(profileClass >> (24 - 8 * i));
    const QString path = testing_support::sandbox_folder() + QStringLiteral("/source/") + name;
    EXPECT_TRUE(write_file(path, bytes));
    return path;
}

// Each test starts with nothing installed, associated or registered.
class ColorSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(color_directory()).removeRecursively();
        QDir(QFileInfo(icm_matchers_file()).absolutePath()).removeRecursively();
        QDir(QFileInfo(CColorAssociationStore::file_path()).absolutePath()).removeRecursively();
        select_cmm(kCmmDefault);
    }
};

CColorProfileQuery display_query(const QString& device) {
    CColorProfileQuery query;
    query.fields = CColorProfileQuery::kDeviceName | CColorProfileQuery::kProfileClass |
                   CColorProfileQuery::kDeviceClass;
    query.device_name = device;
    query.profile_class = kMntr;
    query.device_class = kMntr;
    return query;
}

TEST_F(ColorSystemTest, InstallsIntoTheUsersIccFolder) {
    const QString directory = color_directory();
    EXPECT_EQ(directory, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/icc"));
    EXPECT_TRUE(directory.startsWith(testing_support::sandbox_folder()));

    const QString source = fake_profile(QStringLiteral("a.icm"), kMntr);
    ASSERT_TRUE(install_color_profile(source));
    EXPECT_EQ(read_file(directory + QStringLiteral("/a.icm")), read_file(source));
    // Installing the installed file itself, or a newer file of that name, keeps one copy.
    EXPECT_TRUE(install_color_profile(directory + QStringLiteral("/a.icm")));
    ASSERT_TRUE(write_file(source, QByteArray(128, 'n')));
    ASSERT_TRUE(install_color_profile(source));
    EXPECT_EQ(read_file(directory + QStringLiteral("/a.icm")), QByteArray(128, 'n'));
    EXPECT_FALSE(install_color_profile(source + QStringLiteral(".missing")));
}

TEST_F(ColorSystemTest, AssociationsPersistPerDeviceInOrder) {
    for (const char* name : {"one.icm", "two.icm", "three.icm"})
        ASSERT_TRUE(install_color_profile(fake_profile(QLatin1String(name), kMntr)));
    ASSERT_TRUE(install_color_profile(fake_profile(QStringLiteral("ink.icc"), kPrtr)));

    EXPECT_FALSE(associate_color_profile(QString(), QStringLiteral("one.icm")));
    EXPECT_FALSE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("none.icm")));
    EXPECT_FALSE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("../one.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("two.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("ink.icc")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("one.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("two.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("HDMI-A-1"), QStringLiteral("three.icm")));

    // A fresh store reads what the last one saved.
    EXPECT_EQ(CColorAssociationStore().profiles(QStringLiteral("DP-1")),
              (QStringList{QStringLiteral("two.icm"), QStringLiteral("ink.icc"),
                           QStringLiteral("one.icm")}));
    EXPECT_EQ(enum_color_profiles(display_query(QStringLiteral("DP-1"))),
              (QStringList{QStringLiteral("two.icm"), QStringLiteral("one.icm")}));
    CColorProfileQuery any_class = display_query(QStringLiteral("DP-1"));
    any_class.fields &= ~CColorProfileQuery::kProfileClass;
    EXPECT_EQ(enum_color_profiles(any_class).size(), 3);
    CColorProfileQuery printer_device = display_query(QStringLiteral("DP-1"));
    printer_device.device_class = kPrtr;
    EXPECT_TRUE(enum_color_profiles(printer_device).isEmpty());
    CColorProfileQuery no_device = display_query(QStringLiteral("DP-1"));
    no_device.fields = CColorProfileQuery::kProfileClass;
    EXPECT_TRUE(enum_color_profiles(no_device).isEmpty());

    EXPECT_TRUE(disassociate_color_profile(QStringLiteral("DP-1"), QStringLiteral("two.icm")));
    EXPECT_FALSE(disassociate_color_profile(QStringLiteral("DP-1"), QStringLiteral("two.icm")));
    EXPECT_EQ(enum_color_profiles(display_query(QStringLiteral("DP-1"))),
              QStringList{QStringLiteral("one.icm")});

    // A profile deleted behind the colour system's back is no longer listed.
    ASSERT_TRUE(QFile::remove(color_directory() + QStringLiteral("/one.icm")));
    EXPECT_TRUE(enum_color_profiles(display_query(QStringLiteral("DP-1"))).isEmpty());
    EXPECT_EQ(enum_color_profiles(display_query(QStringLiteral("HDMI-A-1"))),
              QStringList{QStringLiteral("three.icm")});
}

TEST_F(ColorSystemTest, UninstallDropsAssociationsAndDeletes) {
    ASSERT_TRUE(install_color_profile(fake_profile(QStringLiteral("gone.icm"), kMntr)));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("gone.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-2"), QStringLiteral("gone.icm")));

    // Only installed profiles, by name or by their path in the colour directory.
    EXPECT_FALSE(uninstall_color_profile(
        testing_support::sandbox_folder() + QStringLiteral("/source/gone.icm"), true));
    EXPECT_FALSE(uninstall_color_profile(QStringLiteral("other.icm"), true));

    // Without deleting, the file stays but no device has it.
    ASSERT_TRUE(uninstall_color_profile(QStringLiteral("gone.icm"), false));
    EXPECT_TRUE(QFileInfo::exists(color_directory() + QStringLiteral("/gone.icm")));
    EXPECT_TRUE(enum_color_profiles(display_query(QStringLiteral("DP-2"))).isEmpty());

    ASSERT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("gone.icm")));
    ASSERT_TRUE(uninstall_color_profile(color_directory() + QStringLiteral("/gone.icm"), true));
    EXPECT_FALSE(QFileInfo::exists(color_directory() + QStringLiteral("/gone.icm")));
    EXPECT_TRUE(CColorAssociationStore().profiles(QStringLiteral("DP-1")).isEmpty());
}

TEST_F(ColorSystemTest, ADamagedAssociationStoreReadsAsEmptyKeepsACopyAndSaysSo) {
    const QString path = CColorAssociationStore::file_path();
    ASSERT_TRUE(write_file(path, "{ not json"));
    {
        testing_support::LogCapture log("orvale.colorstore");
        const CColorAssociationStore store;
        EXPECT_TRUE(store.damaged());
        EXPECT_TRUE(store.profiles(QStringLiteral("DP-1")).isEmpty());
        EXPECT_TRUE(log.text().contains(path + QStringLiteral(" is damaged")))
            << qPrintable(log.text());
    }
    ASSERT_TRUE(install_color_profile(fake_profile(QStringLiteral("fresh.icm"), kMntr)));
    EXPECT_TRUE(associate_color_profile(QStringLiteral("DP-1"), QStringLiteral("fresh.icm")));
    const CColorAssociationStore saved;
    EXPECT_FALSE(saved.damaged());
    EXPECT_EQ(saved.profiles(QStringLiteral("DP-1")), QStringList{QStringLiteral("fresh.icm")});
    // The damaged bytes survived the save, once, however often the store was read meanwhile.
    QFile copy(path + QStringLiteral(".damaged"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("{ not json"));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".damaged-2")));

    // Valid JSON of the wrong shape is damage too; the first copy stays as it was.
    ASSERT_TRUE(write_file(path, "[1, 2]"));
    EXPECT_TRUE(CColorAssociationStore().damaged());
    QFile second(path + QStringLiteral(".damaged-2"));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), QByteArray("[1, 2]"));
}

TEST_F(ColorSystemTest, EmptyByDefaultAndKeepsValueKinds) {
    QList<CMatcherValue> values;
    EXPECT_FALSE(read_icm_matchers(values));  // no registry at all
    EXPECT_FALSE(QFileInfo::exists(icm_matchers_file()));

    ASSERT_TRUE(write_icm_matcher(QStringLiteral("ADBE"), QStringLiteral("acecmm")));
    ASSERT_TRUE(write_icm_matcher(QStringLiteral("LINO"), 7));
    ASSERT_TRUE(read_icm_matchers(values));
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].name, QStringLiteral("ADBE"));
    EXPECT_TRUE(values[0].is_string());
    EXPECT_EQ(values[0].data.toString(), QStringLiteral("acecmm"));
    EXPECT_EQ(values[1].name, QStringLiteral("LINO"));
    EXPECT_FALSE(values[1].is_string());
}

TEST_F(ColorSystemTest, OnlyRegisteredModulesCanBeSelected) {
    EXPECT_EQ(selected_cmm(), kCmmDefault);
    EXPECT_FALSE(select_cmm(kCmmAdobe));
    EXPECT_EQ(selected_cmm(), kCmmDefault);
    ASSERT_TRUE(write_icm_matcher(QStringLiteral("ADBE"), 1));  // not a text value
    EXPECT_FALSE(select_cmm(kCmmAdobe));
    ASSERT_TRUE(write_icm_matcher(QStringLiteral("ADBE"), QStringLiteral("acecmm")));
    EXPECT_TRUE(select_cmm(kCmmAdobe));
    EXPECT_EQ(selected_cmm(), kCmmAdobe);
    EXPECT_TRUE(select_cmm(kCmmDefault));
    EXPECT_EQ(selected_cmm(), kCmmDefault);
}

TEST(TransformPlan, EachModuleReadsIntentsItsOwnWay) {
    using V = std::vector<std::uint32_t>;
    using P = std::vector<std::size_t>;
    const V intents = {kIntentRelativeColorimetric, kIntentPerceptual, kIntentRelativeColorimetric};

    // Default module: one intent per profile, the middle profile in both of its roles.
    CTransformPlan plan =
        plan_transform(kCmmDefault, 3, intents, kBestMode | kUseRelativeColorimetric);
    EXPECT_EQ(plan.profiles, (P{0, 1, 1, 2}));
    EXPECT_EQ(plan.intents, (V{1, 0, 0, 1}));
    // Without the hint the proofed device's white is kept on the last step.
    plan = plan_transform(kCmmDefault, 3, intents, kBestMode | kEnableGamutChecking);
    EXPECT_EQ(plan.intents, (V{1, 0, 0, 3}));
    // ... but a two-profile transform is no proof.
    plan = plan_transform(kCmmDefault, 2, {1, 1}, kBestMode);
    EXPECT_EQ(plan.profiles, (P{0, 1}));
    EXPECT_EQ(plan.intents, (V{1, 1}));

    // Adobe module: one intent per step; the hint is not its business.
    const V steps = {kIntentPerceptual, kIntentAbsoluteColorimetric, kIntentRelativeColorimetric};
    plan = plan_transform(kCmmAdobe, 3, steps, kBestMode | kEnableGamutChecking);
    EXPECT_EQ(plan.profiles, (P{0, 1, 1, 2}));
    EXPECT_EQ(plan.intents, (V{0, 0, 3, 3}));

    // One intent stands for all; malformed requests plan nothing.
    plan =
        plan_transform(kCmmDefault, 3, {kIntentSaturation}, kBestMode | kUseRelativeColorimetric);
    EXPECT_EQ(plan.intents, (V{2, 2, 2, 2}));
    EXPECT_TRUE(plan_transform(kCmmDefault, 0, {}, 0).profiles.empty());
    EXPECT_TRUE(plan_transform(kCmmDefault, 3, {0, 0}, 0).profiles.empty());
    EXPECT_TRUE(plan_transform(kCmmDefault, 2, {0, 4}, 0).profiles.empty());
}

TEST(TransformPlan, QualityFlagsBecomeLittleCmsFlags) {
    const std::vector<std::uint32_t> one = {kIntentPerceptual};
    EXPECT_NE(plan_transform(kCmmDefault, 2, one, kBestMode).flags, 0u);
    EXPECT_NE(plan_transform(kCmmDefault, 2, one, kProofMode).flags, 0u);
    EXPECT_NE(plan_transform(kCmmDefault, 2, one, kBestMode).flags,
              plan_transform(kCmmDefault, 2, one, kProofMode).flags);
    EXPECT_EQ(plan_transform(kCmmDefault, 2, one, kNormalMode).flags, 0u);
    // Gamut checking would paint colours with an alarm: it does not reach the transform.
    EXPECT_EQ(plan_transform(kCmmDefault, 2, one, kNormalMode | kEnableGamutChecking).flags, 0u);
}

TEST(ColorTransform, TranslatesThroughRealProfiles) {
    const QString srgb = QStringLiteral("/usr/share/color/icc/sRGB.icc");
    if (!QFileInfo::exists(srgb)) GTEST_SKIP() << "no sRGB profile installed";
    const auto profile = CColorProfile::open(srgb);
    ASSERT_TRUE(profile);
    EXPECT_FALSE(CColorProfile::open(srgb + QStringLiteral(".missing")));
    ASSERT_TRUE(
        write_file(testing_support::sandbox_folder() + QStringLiteral("/junk.icc"), "junk"));
    EXPECT_FALSE(
        CColorProfile::open(testing_support::sandbox_folder() + QStringLiteral("/junk.icc")));

    // sRGB to itself: colours come back.
    const auto transform = CColorTransform::create({profile.get(), profile.get()},
                                                   {kIntentRelativeColorimetric}, kBestMode);
    ASSERT_TRUE(transform);
    const std::uint16_t in[6] = {0, 32768, 65535, 1000, 20000, 50000};
    std::uint16_t out[6] = {};
    ASSERT_TRUE(transform->translate_rgb16(in, out, 2));
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(out[i], in[i], 64) << i;
    EXPECT_FALSE(CColorTransform::create({profile.get(), nullptr}, {0}, kBestMode));
}

}  // namespace
