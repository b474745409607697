#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/icm_matchers.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "profiles/profile_file_name.h"
#include "profiles/profile_list.h"
#include "profiles/reference_profiles.h"
#include "support/test_environment.h"

using namespace profile_bytes;
using testing_support::read_file;
using testing_support::write_file;

namespace {

using testing_support::CScopedVariable;

const ProfileTexts kTexts{QStringLiteral("Copyright (c) Kestrel. All rights reserved."),
                          QStringLiteral("Kestrel"), QStringLiteral("Orvale"),
                          QStringLiteral("/Targets/")};

QString color_folder() {
    const QString folder = QDir::fromNativeSeparators(colorDirectory());
    QDir().mkpath(folder);
    return folder;
}

// Listing sees the user's colour directory and nothing of the machine's.
struct COnlyUsersProfiles {
    CScopedVariable dataDirs{"XDG_DATA_DIRS",
                             QFile::encodeName(fresh_folder(QStringLiteral("no-system-data")))};
    CScopedVariable home{"HOME", QFile::encodeName(fresh_folder(QStringLiteral("no-home")))};
};

// The profile ID taken out again, as a copy edited by hand would have it.
void clear_profile_id(QByteArray& profile) {
    profile.replace(84, 16, QByteArray(16, '\0'));
}

// The colour directory with nothing installed, whatever tests before this one left there.
QString empty_color_folder() {
    QDir(QDir::fromNativeSeparators(colorDirectory())).removeRecursively();
    return color_folder();
}

// A written display profile outside the colour directory, ready to be installed.
QString display_profile(const QString& name, const QString& description) {
    ProfileSpec spec =
        sample_spec(fresh_folder(QStringLiteral("made-") + name) + QLatin1Char('/') + name);
    spec.description = description;
    EXPECT_EQ(writeDisplayProfile(spec, QString()), 0);
    return spec.path;
}

TEST(ColorManagementFolders, ColourDirectoryAndTargetsFolder) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_TRUE(data.startsWith(testing_support::sandbox_folder()));
    EXPECT_EQ(QDir::fromNativeSeparators(colorDirectory()), data + QStringLiteral("/icc"));

    const QString expected = data + QStringLiteral("/Kestrel/Orvale/Targets/");
    EXPECT_EQ(targetFolder(false, kTexts), QString());
    EXPECT_FALSE(QFileInfo::exists(expected));
    EXPECT_EQ(targetFolder(true, kTexts), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(targetFolder(false, kTexts), expected);

    // A file where the folder should be cannot become the folder.
    ProfileTexts blocked = kTexts;
    blocked.applicationName = QStringLiteral("Blocked");
    ASSERT_TRUE(write_file(data + QStringLiteral("/Kestrel/Blocked"), "x"));
    EXPECT_EQ(targetFolder(true, blocked), QString());
}

TEST(ColorManagementAssociations, InstallAssociateAndRemove) {
    const QString device = QStringLiteral("card0-DP-1");
    const QString other = QStringLiteral("card0-HDMI-A-1");
    QString name = QStringLiteral("unchanged");

    // A display without associations: nothing to remove, nothing reported.
    EXPECT_EQ(disassociateAll(device), 0);
    EXPECT_EQ(associatedProfile(device, name), 0);
    EXPECT_EQ(name, QStringLiteral("unchanged"));

    const QString first = display_profile(QStringLiteral("first.icm"), QStringLiteral("first"));
    const QString second = display_profile(QStringLiteral("second.icm"), QStringLiteral("second"));
    ASSERT_EQ(installAndAssociate(device, first), 0);
    EXPECT_EQ(read_file(color_folder() + QStringLiteral("/first.icm")), read_file(first));
    ASSERT_EQ(installAndAssociate(device, second), 0);
    ASSERT_EQ(installAndAssociate(other, second), 0);
    EXPECT_EQ(associatedProfile(device, name), 0);
    EXPECT_EQ(name, QStringLiteral("first.icm"));

    EXPECT_EQ(disassociateAll(device), 0);
    name = QStringLiteral("unchanged");
    associatedProfile(device, name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    // The other display keeps its profile, and the files stay installed.
    associatedProfile(other, name);
    EXPECT_EQ(name, QStringLiteral("second.icm"));
    EXPECT_TRUE(QFileInfo::exists(color_folder() + QStringLiteral("/first.icm")));

    // Uninstalling deletes the file and takes it from every display.
    EXPECT_TRUE(uninstallProfile(color_folder() + QStringLiteral("/second.icm")));
    EXPECT_FALSE(QFileInfo::exists(color_folder() + QStringLiteral("/second.icm")));
    name = QStringLiteral("unchanged");
    associatedProfile(other, name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    // Only installed profiles can be uninstalled.
    EXPECT_FALSE(uninstallProfile(second));
    EXPECT_TRUE(QFileInfo::exists(second));
}

TEST(ColorManagementAssociations, FailuresGiveTheirCodes) {
    EXPECT_EQ(installAndAssociate(QStringLiteral("card0-DP-1"),
                                  fresh_folder(QStringLiteral("none")) + QStringLiteral("/no.icm")),
              kInstallFailed);
    const QString profile = display_profile(QStringLiteral("nameless.icm"), QStringLiteral("x"));
    EXPECT_EQ(installAndAssociate(QString(), profile), kAssociateFailed);
}

TEST(ColorManagementAssociations, OnlyDisplayProfilesCountForADisplay) {
    // A printer profile associated with the display is not its display profile.
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    if (!QFileInfo::exists(printer)) GTEST_SKIP() << "no printer profile installed";
    ASSERT_EQ(installAndAssociate(QStringLiteral("card0-DP-2"), printer), 0);
    QString name = QStringLiteral("unchanged");
    associatedProfile(QStringLiteral("card0-DP-2"), name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    const QString display = display_profile(QStringLiteral("panel.icm"), QStringLiteral("panel"));
    ASSERT_EQ(installAndAssociate(QStringLiteral("card0-DP-2"), display), 0);
    associatedProfile(QStringLiteral("card0-DP-2"), name);
    EXPECT_EQ(name, QStringLiteral("panel.icm"));
}

TEST(ProfileListing, ListsEachClassWithItsHeaderAndDescription) {
    const COnlyUsersProfiles onlyUsers;
    const QString folder = empty_color_folder();
    struct {
        const char* source;
        const char* name;
    } const installed[] = {
        {"/usr/share/color/icc/ghostscript/default_cmyk.icc", "printer.icc"},
        {"/usr/share/color/icc/ghostscript/ps_cmyk.icc", "printer2.icm"},
        {"/usr/share/color/icc/ITULab.icc", "space.icc"},
        {"/usr/share/color/icc/colord/x11-colors.icc", "named.icc"},
    };
    for (const auto& profile : installed) {
        if (!QFileInfo::exists(QLatin1String(profile.source)))
            GTEST_SKIP() << profile.source << " is not installed";
        ASSERT_TRUE(QFile::copy(QLatin1String(profile.source),
                                folder + QLatin1Char('/') + QLatin1String(profile.name)));
    }
    ProfileSpec display = sample_spec(folder + QStringLiteral("/display.icm"));
    display.created = QDateTime(QDate(2023, 11, 30), QTime(8, 5, 59));
    ASSERT_EQ(writeDisplayProfile(display, QString()), 0);
    ASSERT_TRUE(write_file(folder + QStringLiteral("/broken.icc"), QByteArray(300, 'x')));
    ASSERT_TRUE(QFile::copy(display.path, folder + QStringLiteral("/display.txt")));

    const auto names = [](const QList<ProfileEntry>& entries) {
        QStringList list;
        for (const ProfileEntry& e : entries)
            list.append(QFileInfo(e.path).fileName());
        list.sort();
        return list;
    };
    EXPECT_EQ(names(listProfiles(kPrinterProfiles)),
              (QStringList{QStringLiteral("printer.icc"), QStringLiteral("printer2.icm")}));
    EXPECT_EQ(names(listProfiles(kDisplayProfiles)), QStringList{QStringLiteral("display.icm")});
    EXPECT_EQ(names(listProfiles(kColorSpaceProfiles)), QStringList{QStringLiteral("space.icc")});
    EXPECT_EQ(names(listProfiles(kPrinterProfiles | kDisplayProfiles)).size(), 3);
    EXPECT_TRUE(listProfiles(0).isEmpty());

    const QList<ProfileEntry> displays = listProfiles(kDisplayProfiles);
    ASSERT_EQ(displays.size(), 1);
    const ProfileEntry& entry = displays.first();
    EXPECT_EQ(entry.description, display.description);
    EXPECT_EQ(entry.profileClass, signature("mntr"));
    EXPECT_EQ(entry.created, display.created);
    const QByteArray id = expected_profile_id(read_file(display.path));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(entry.profileId[i], be32(id, 4 * i));

    // Header fields straight from the file for a profile of another maker.
    const QList<ProfileEntry> printers = listProfiles(kPrinterProfiles);
    for (const ProfileEntry& printer : printers) {
        const QByteArray bytes = read_file(printer.path);
        EXPECT_EQ(printer.profileClass, be32(bytes, 12));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(printer.profileId[i], be32(bytes, 84 + 4 * i));
        EXPECT_EQ(printer.created.date(), QDate(be16(bytes, 24), be16(bytes, 26), be16(bytes, 28)));
        // Version 2 and version 4 descriptions alike give a text.
        EXPECT_FALSE(printer.description.isEmpty()) << printer.path.toStdString();
    }
}

TEST(ProfileListing, DescriptionPrefersAUnicodePartWithText) {
    const COnlyUsersProfiles onlyUsers;
    const QString folder = empty_color_folder();
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/unicode.icm"));
    spec.description = QString::fromUtf8("Écran – 表示");
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    QByteArray bytes = read_file(spec.path);

    // The same profile with a byte-order mark before the Unicode text, as some writers put it.
    const CTagEntry desc = [&] {
        for (const CTagEntry& e : tag_table(bytes))
            if (e.signature == signature("desc")) return e;
        return CTagEntry();
    }();
    const qsizetype unicodeAt = desc.offset + 12 + be32(bytes, desc.offset + 8);
    const std::uint32_t units = be32(bytes, unicodeAt + 4);
    QByteArray marked = bytes;
    const qsizetype textAt = unicodeAt + 8;
    // The text moves one unit on, over its terminator, and the mark goes in front.
    marked.replace(textAt + 2, 2 * (units - 1), bytes.mid(textAt, 2 * (units - 1)));
    marked[textAt] = char(0xFE);
    marked[textAt + 1] = char(0xFF);
    clear_profile_id(marked);
    ASSERT_TRUE(write_file(folder + QStringLiteral("/marked.icm"), marked));

    // And one whose Unicode part holds only the terminator: the 8-bit part counts then.
    ProfileSpec ascii = sample_spec(folder + QStringLiteral("/ascii.icm"));
    ascii.description = QStringLiteral("Plain panel");
    ASSERT_EQ(writeDisplayProfile(ascii, QString()), 0);
    QByteArray plain = read_file(ascii.path);
    for (const CTagEntry& e : tag_table(plain)) {
        if (e.signature != signature("desc")) continue;
        const qsizetype at = e.offset + 12 + be32(plain, e.offset + 8);
        plain[at + 4] = 0;
        plain[at + 5] = 0;
        plain[at + 6] = 0;
        plain[at + 7] = 1;  // one unit: the terminator alone
        plain[at + 8] = 0;
        plain[at + 9] = 0;
    }
    clear_profile_id(plain);
    ASSERT_TRUE(write_file(ascii.path, plain));

    QMap<QString, QString> descriptions;
    for (const ProfileEntry& e : listProfiles(kDisplayProfiles))
        descriptions.insert(QFileInfo(e.path).fileName(), e.description);
    EXPECT_EQ(descriptions.value(QStringLiteral("unicode.icm")), spec.description);
    EXPECT_EQ(descriptions.value(QStringLiteral("marked.icm")), spec.description);
    EXPECT_EQ(descriptions.value(QStringLiteral("ascii.icm")), QStringLiteral("Plain panel"));
}

TEST(AdobeCmmRegistration, OnlyATextValueWhoseNameSaysSoCounts) {
    EXPECT_FALSE(isAdobeCmmRegistered());  // nothing registered by default

    ASSERT_TRUE(platform::write_icm_matcher(QStringLiteral("Win "), QStringLiteral("ADBE module")));
    EXPECT_FALSE(isAdobeCmmRegistered());  // the data mentions it, the name does not
    ASSERT_TRUE(platform::write_icm_matcher(QStringLiteral("ADBE"), 42));
    EXPECT_FALSE(isAdobeCmmRegistered());  // not a text value
    ASSERT_TRUE(platform::write_icm_matcher(QStringLiteral("ADBE"), QStringLiteral("acecmm")));
    EXPECT_TRUE(isAdobeCmmRegistered());

    ASSERT_TRUE(write_file(platform::icm_matchers_file(), "{\"my adbe module\": \"x\"}"));
    EXPECT_TRUE(isAdobeCmmRegistered());  // any letter case, anywhere in the name
    ASSERT_TRUE(write_file(platform::icm_matchers_file(), "not a registry"));
    EXPECT_FALSE(isAdobeCmmRegistered());
}

TEST(ReferenceProfiles, WrittenInTheTargetsFolderAndRemovedAgain) {
    const QList<quint16> native = {0, 690, 305, 205, 730, 151, 55};
    ASSERT_EQ(makeReferenceProfiles(native, 0, 0, true, kTexts), 0);
    const QString folder = targetFolder(false, kTexts);
    ASSERT_FALSE(folder.isEmpty());

    struct {
        const char* file;
        const char* description;
        double primaries[6];
    } const expected[] = {
        {kFullGamutProfile, "full gamut", {0.690, 0.305, 0.205, 0.730, 0.151, 0.055}},
        {kAdobeRgbProfile, "argb", {0.64, 0.33, 0.21, 0.71, 0.15, 0.06}},
        {kSrgbProfile, "srgb", {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.file);
        const QString path = folder + QLatin1String(e.file);
        ProfileSpec read;
        ASSERT_EQ(readDisplayProfile(path, read), 0);
        EXPECT_EQ(read.description, QLatin1String(e.description));
        EXPECT_EQ(read.copyright, kTexts.copyright);
        EXPECT_NEAR(read.whiteX, 0.313, 5e-5);  // white x 0 stands for (0.313, 0.329)
        EXPECT_NEAR(read.whiteY, 0.329, 5e-5);
        const double got[6] = {read.redX,   read.redY,  read.greenX,
                               read.greenY, read.blueX, read.blueY};
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(got[i], e.primaries[i], 5e-5) << i;
        EXPECT_EQ(be32(read_file(path), 4), signature("ADBE"));
        if (QLatin1String(e.file) == QLatin1String(kSrgbProfile)) {
            EXPECT_TRUE(read.useCurves);
            // The sRGB response: linear near black, then the 2.4 power.
            EXPECT_NEAR(read.redCurve.evaluate(0.5), std::pow((0.5 + 0.055) / 1.055, 2.4), 2e-3);
        } else {
            EXPECT_FALSE(read.useCurves);
            EXPECT_NEAR(read.gamma, 2.2, 0.5 / 256);
        }
    }

    // A chosen white replaces the default one.
    ASSERT_EQ(makeReferenceProfiles(native, 345, 358, false, kTexts), 0);
    ProfileSpec warm;
    ASSERT_EQ(readDisplayProfile(folder + QLatin1String(kAdobeRgbProfile), warm), 0);
    EXPECT_NEAR(warm.whiteX, 0.345, 5e-5);
    EXPECT_NEAR(warm.whiteY, 0.358, 5e-5);

    removeReferenceProfiles(kTexts);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(ProfileFileName, ReportedNamesCannotLeaveTheColourDirectory) {
    EXPECT_EQ(displayProfileFileName(QStringLiteral("KX272W"), QStringLiteral("12345678")),
              QStringLiteral("KX272W 12345678 ORV.icm"));
    EXPECT_EQ(displayProfileFileName(QStringLiteral("../../etc"), QStringLiteral("x/y\\z")),
              QStringLiteral("_._.._etc x_y_z ORV.icm"));
    EXPECT_EQ(displayProfileFileName(QStringLiteral(".hidden"), QStringLiteral("1")),
              QStringLiteral("_hidden 1 ORV.icm"));
    EXPECT_EQ(displayProfileFileName(QStringLiteral("KX\n272W\x01"),
                                     QString(QChar(0x7F)) + QChar(0x9B) + QChar(0)),
              QStringLiteral("KX_272W_ ___ ORV.icm"));

    // Whatever a monitor reports, the profile lands inside the colour directory.
    const QString folder = color_folder();
    const QString path =
        folder + QLatin1Char('/') +
        displayProfileFileName(QStringLiteral("../KX/.."), QStringLiteral("/tmp/x"));
    ProfileSpec spec = sample_spec(path);
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    EXPECT_EQ(QFileInfo(path).canonicalPath(), QDir(folder).canonicalPath());
}

}  // namespace
