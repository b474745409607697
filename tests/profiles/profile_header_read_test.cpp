#include <gtest/gtest.h>

#include <lcms2.h>

#include <QCryptographicHash>
#include <QFile>

#include "profile_bytes.h"
#include "profiles/display_profile.h"
#include "profiles/icc_numbers.h"
#include "profiles/profile_header_read.h"
#include "support/test_environment.h"

using namespace profile_bytes;

namespace {

QString written_display_profile(const QString& name) {
    const QString path = fresh_folder(name) + QStringLiteral("/display.icc");
    EXPECT_EQ(writeDisplayProfile(sample_spec(path), QString()), 0);
    return path;
}

QString saved(const QString& name, const QByteArray& bytes) {
    const QString path = fresh_folder(name) + QStringLiteral("/profile.icc");
    EXPECT_TRUE(testing_support::write_file(path, bytes));
    return path;
}

// A display-class profile with a description and a white but no colorants or tone curves.
QByteArray profile_without_colorants() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigXYZData);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "no colorants");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    const cmsCIEXYZ white = {0.9642, 1.0, 0.8249};
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, &white);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

void put_profile_id(QByteArray& bytes) {
    QByteArray copy = bytes;
    for (const auto& [at, length] : {std::pair{44, 4}, {64, 4}, {84, 16}})
        copy.replace(at, length, QByteArray(length, '\0'));
    bytes.replace(84, 16, QCryptographicHash::hash(copy, QCryptographicHash::Md5));
}

TEST(ProfileHeaderRead, ADisplayProfileOfOursGivesItsClassTextsAndDate) {
    ProfileHeaderInfo info;
    ASSERT_EQ(readProfileHeader(written_display_profile(QStringLiteral("ours")), info),
              kHeaderRead);
    const ProfileSpec spec = sample_spec(QString());
    EXPECT_EQ(info.deviceClass, icc_signature("mntr"));
    EXPECT_EQ(info.colorSpace, icc_signature("RGB "));
    EXPECT_EQ(info.description, spec.description);
    EXPECT_EQ(info.copyright, spec.copyright);
    EXPECT_EQ(info.created, spec.created);
    EXPECT_TRUE(info.hasDisplayColorimetry);
}

TEST(ProfileHeaderRead, HeadersThatDisagreeWithTheBytesReadWithWarnings) {
    const QByteArray good =
        testing_support::read_file(written_display_profile(QStringLiteral("source")));
    ProfileHeaderInfo info;

    QByteArray with_id = good;
    put_profile_id(with_id);
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("id"), with_id), info), kHeaderRead);

    QByteArray wrong_id = with_id;
    wrong_id[90] = char(wrong_id[90] ^ 0x55);
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("wrong-id"), wrong_id), info),
              kHeaderReadWithWarnings);

    QByteArray padded = good + QByteArray(64, '\0');
    info = ProfileHeaderInfo();
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("padded"), padded), info),
              kHeaderReadWithWarnings);
    EXPECT_EQ(info.deviceClass, icc_signature("mntr")) << "a warning still fills the record";
    EXPECT_TRUE(profileHeaderUsable(kHeaderReadWithWarnings));
}

TEST(ProfileHeaderRead, FilesThatAreNoProfileAreRefusedAndLeaveTheRecordAlone) {
    const QByteArray good =
        testing_support::read_file(written_display_profile(QStringLiteral("base")));
    ProfileHeaderInfo info;
    info.description = QStringLiteral("untouched");

    EXPECT_EQ(
        readProfileHeader(fresh_folder(QStringLiteral("none")) + QStringLiteral("/x.icc"), info),
        kHeaderCannotOpen);
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("text"), QByteArray(400, 'a')), info),
              kHeaderNotAProfile);
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("short"), good.left(100)), info),
              kHeaderNotAProfile);
    QByteArray no_acsp = good;
    no_acsp.replace(36, 4, "xxxx");
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("acsp"), no_acsp), info), kHeaderNotAProfile);
    QByteArray huge_table = good;
    put_be32(huge_table, 128, 0xFFFFFFF0u);
    EXPECT_EQ(readProfileHeader(saved(QStringLiteral("table"), huge_table), info),
              kHeaderNotAProfile);
    EXPECT_EQ(info.description, QStringLiteral("untouched"));
    for (int refused : {kHeaderCannotOpen, kHeaderNotAProfile})
        EXPECT_FALSE(profileHeaderUsable(refused));
}

TEST(ProfileHeaderRead, ADisplayProfileWithoutColorantsSaysSo) {
    ProfileHeaderInfo info;
    ASSERT_EQ(readProfileHeader(saved(QStringLiteral("bare"), profile_without_colorants()), info),
              kHeaderRead);
    EXPECT_EQ(info.deviceClass, icc_signature("mntr"));
    EXPECT_EQ(info.description, QStringLiteral("no colorants"));
    EXPECT_FALSE(info.hasDisplayColorimetry);
}

TEST(ProfileHeaderRead, InstalledPrinterProfilesAreOfThePrinterClass) {
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    if (!QFile::exists(printer)) GTEST_SKIP() << "libgs-common is not installed";
    ProfileHeaderInfo info;
    ASSERT_TRUE(profileHeaderUsable(readProfileHeader(printer, info)));
    EXPECT_EQ(info.deviceClass, icc_signature("prtr"));
    EXPECT_EQ(info.colorSpace, icc_signature("CMYK"));
    EXPECT_FALSE(info.description.isEmpty());
    EXPECT_FALSE(info.hasDisplayColorimetry);
}

}  // namespace
