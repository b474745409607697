#include <gtest/gtest.h>
#include <lcms2.h>

#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <tuple>

#include "platform/color_system.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "profiles/profile_list.h"
#include "support/test_environment.h"

using namespace profile_bytes;
using testing_support::read_file;
using testing_support::write_file;

namespace {

using testing_support::CScopedVariable;

const QString kSystemFolder = QStringLiteral("/usr/share/color/icc");

// What Little CMS itself says a profile describes itself as, in English.
QString lcms_description(const QString& path) {
    cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(path).constData(), "r");
    if (!profile) return QString();
    wchar_t text[512] = {};
    cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", text, 512);
    cmsCloseProfile(profile);
    return QString::fromWCharArray(text);
}

int class_bit(const QString& path) {
    cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(path).constData(), "r");
    if (!profile) return 0;
    const cmsProfileClassSignature c = cmsGetDeviceClass(profile);
    cmsCloseProfile(profile);
    return c == cmsSigOutputClass       ? kPrinterProfiles
           : c == cmsSigDisplayClass    ? kDisplayProfiles
           : c == cmsSigColorSpaceClass ? kColorSpaceProfiles
                                        : 0;
}

constexpr int kEveryClass = kPrinterProfiles | kDisplayProfiles | kColorSpaceProfiles;

TEST(SystemProfiles, DebiansProfilesAreListedWithTheirDescriptionsEachOnce) {
    // One of each package the machine's profiles come from.
    const QStringList packaged = {
        kSystemFolder + QStringLiteral("/sRGB.icc"),                     // icc-profiles-free
        kSystemFolder + QStringLiteral("/colord/AdobeRGB1998.icc"),      // colord-data
        kSystemFolder + QStringLiteral("/ghostscript/default_cmyk.icc")  // libgs-common
    };
    for (const QString& path : packaged)
        if (!QFileInfo::exists(path)) GTEST_SKIP() << path.toStdString() << " is not installed";

    // The test main hides the machine's folders from every other test.
    const CScopedVariable dirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    const QList<ProfileEntry> entries = listProfiles(kEveryClass);
    QMap<QString, ProfileEntry> byPath;
    QSet<QString> ids;
    for (const ProfileEntry& e : entries) {
        EXPECT_FALSE(byPath.contains(e.path)) << "listed twice: " << e.path.toStdString();
        byPath.insert(e.path, e);
        // Two files of the same profile are one profile to colord too.
        const QString id = QString::fromLatin1(read_file(e.path).mid(84, 16).toHex());
        if (id != QString(32, QLatin1Char('0'))) {
            EXPECT_FALSE(ids.contains(id)) << "same profile twice: " << e.path.toStdString();
        }
        ids.insert(id);
    }
    for (const QString& path : packaged) {
        ASSERT_TRUE(byPath.contains(path)) << path.toStdString();
        EXPECT_EQ(byPath.value(path).description, lcms_description(path)) << path.toStdString();
        EXPECT_FALSE(byPath.value(path).description.isEmpty());
    }

    // Every profile of a listed class under the system folder, subfolders included, is there
    // unless a file listed before holds the same profile.
    QDirIterator it(kSystemFolder, QDir::Files, QDirIterator::Subdirectories);
    int system = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(QLatin1String(".icc"), Qt::CaseInsensitive) &&
            !path.endsWith(QLatin1String(".icm"), Qt::CaseInsensitive))
            continue;
        if (!class_bit(path)) continue;
        ++system;
        const QString id = QString::fromLatin1(read_file(path).mid(84, 16).toHex());
        EXPECT_TRUE(byPath.contains(path) || ids.contains(id)) << path.toStdString();
    }
    EXPECT_GT(system, 20);

    // Each class alone lists its own profiles only.
    for (int bit : {kPrinterProfiles, kDisplayProfiles, kColorSpaceProfiles})
        for (const ProfileEntry& e : listProfiles(bit))
            EXPECT_EQ(class_bit(e.path), bit) << e.path.toStdString();
}

TEST(SystemProfiles, TheUsersCopyOfASystemProfileIsListedInsteadOfIt) {
    const QString system = kSystemFolder + QStringLiteral("/colord/sRGB.icc");
    if (!QFileInfo::exists(system)) GTEST_SKIP() << "colord-data is not installed";
    const QString folder = QDir::fromNativeSeparators(colorDirectory());
    QDir(folder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(system, folder + QStringLiteral("/my-srgb.icc")));

    QStringList found;
    for (const ProfileEntry& e : listProfiles(kDisplayProfiles))
        if (e.path.endsWith(QLatin1String("sRGB.icc")) ||
            e.path.endsWith(QLatin1String("my-srgb.icc")))
            found.append(e.path);
    EXPECT_TRUE(found.contains(folder + QStringLiteral("/my-srgb.icc")));
    EXPECT_FALSE(found.contains(system));
    QDir(folder).removeRecursively();
}

TEST(SystemProfiles, FoldersThatCannotBeReadArePassedOver) {
    const QString root = fresh_folder(QStringLiteral("odd-folders"));
    // A data folder whose color/icc is a file, one that does not exist, and one whose profile
    // folder links back to itself.
    ASSERT_TRUE(write_file(root + QStringLiteral("/file/color/icc"), "not a folder"));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/loop/color/icc")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/loop/color/icc"),
                            root + QStringLiteral("/loop/color/icc/again")));
    ProfileSpec spec = sample_spec(root + QStringLiteral("/loop/color/icc/panel.icm"));
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    // A folder nobody may read (the superuser still may, so then it is read like any other).
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/closed/color/icc")));
    ProfileSpec hidden = sample_spec(root + QStringLiteral("/closed/color/icc/hidden.icm"));
    hidden.description = QStringLiteral("behind a closed folder");
    ASSERT_EQ(writeDisplayProfile(hidden, QString()), 0);
    ASSERT_TRUE(QFile::setPermissions(root + QStringLiteral("/closed/color/icc"), {}));

    const CScopedVariable dirs(
        "XDG_DATA_DIRS",
        QFile::encodeName(root + QStringLiteral("/missing:") + root + QStringLiteral("/file:") +
                          root + QStringLiteral("/closed:") + root + QStringLiteral("/loop")));
    const CScopedVariable home("HOME", QFile::encodeName(fresh_folder(QStringLiteral("odd-home"))));
    QDir(QDir::fromNativeSeparators(colorDirectory())).removeRecursively();

    QStringList paths;
    for (const ProfileEntry& e : listProfiles(kDisplayProfiles))
        paths.append(e.path);
    EXPECT_EQ(paths.count(root + QStringLiteral("/loop/color/icc/panel.icm")), 1);
    EXPECT_EQ(paths.size(), geteuid() == 0 ? 2 : 1) << paths.join(QLatin1Char(' ')).toStdString();
    QFile::setPermissions(root + QStringLiteral("/closed/color/icc"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(SystemProfiles, VersionFourDescriptionsShowTheirEnglishText) {
    const CScopedVariable dirs("XDG_DATA_DIRS",
                               QFile::encodeName(fresh_folder(QStringLiteral("v4-data"))));
    const CScopedVariable home("HOME", QFile::encodeName(fresh_folder(QStringLiteral("v4-home"))));
    const QString folder = QDir::fromNativeSeparators(colorDirectory());
    QDir(folder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto write_v4 = [&folder](
                              const QString& name,
                              const QList<std::tuple<const char*, const char*, QString>>& texts) {
        cmsHPROFILE profile = cmsCreate_sRGBProfile();
        cmsSetProfileVersion(profile, 4.3);
        cmsMLU* mlu = cmsMLUalloc(nullptr, 4);
        for (const auto& [language, country, text] : texts)
            cmsMLUsetWide(mlu, language, country, text.toStdWString().c_str());
        cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu);
        cmsMLUfree(mlu);
        const QString path = folder + QLatin1Char('/') + name;
        const bool saved = cmsSaveProfileToFile(profile, QFile::encodeName(path).constData());
        cmsCloseProfile(profile);
        EXPECT_TRUE(saved);
        return path;
    };
    write_v4(QStringLiteral("english.icc"), {{"fr", "FR", QStringLiteral("Écran")},
                                             {"en", "GB", QStringLiteral("Screen (GB)")},
                                             {"en", "US", QStringLiteral("Screen")}});
    write_v4(QStringLiteral("british.icc"), {{"de", "DE", QStringLiteral("Bildschirm")},
                                             {"en", "GB", QStringLiteral("Colour screen")}});
    write_v4(QStringLiteral("german.icc"), {{"de", "DE", QStringLiteral("Nur deutsch")}});
    QMap<QString, QString> descriptions;
    for (const ProfileEntry& e : listProfiles(kDisplayProfiles))
        descriptions.insert(QFileInfo(e.path).fileName(), e.description);
    EXPECT_EQ(descriptions.value(QStringLiteral("english.icc")), QStringLiteral("Screen"));
    EXPECT_EQ(descriptions.value(QStringLiteral("british.icc")), QStringLiteral("Colour screen"));
    EXPECT_EQ(descriptions.value(QStringLiteral("german.icc")), QStringLiteral("Nur deutsch"));
    QDir(folder).removeRecursively();
}

}  // namespace
