#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <csignal>

#include "color/chromatic_adaptation.h"
#include "color/curve_builders.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "support/test_environment.h"

using namespace profile_bytes;
using testing_support::read_file;

namespace {

const QString kDefaultCopyright = QStringLiteral("Copyright (c) Kestrel. All rights reserved.");

QByteArray written(const ProfileSpec& spec) {
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    return read_file(spec.path);
}

QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

TEST(DisplayProfileWriter, HeaderCarriesTheDisplayProfileFields) {
    const QString folder = fresh_folder(QStringLiteral("header"));
    for (bool adobe : {false, true}) {
        ProfileSpec spec = sample_spec(folder + QStringLiteral("/header.icm"));
        spec.adobeCmm = adobe;
        const QByteArray p = written(spec);
        ASSERT_GE(p.size(), 128);
        EXPECT_EQ(be32(p, 0), std::uint32_t(p.size()));
        EXPECT_EQ(be32(p, 4), signature(adobe ? "ADBE" : "MSFT"));
        EXPECT_EQ(be32(p, 8), 0x02100000u);
        EXPECT_EQ(be32(p, 12), signature("mntr"));
        EXPECT_EQ(be32(p, 16), signature("RGB "));
        EXPECT_EQ(be32(p, 20), signature("XYZ "));
        // The creation date exactly as given: 2024-03-09 17:45:12.
        const std::uint16_t date[6] = {2024, 3, 9, 17, 45, 12};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(be16(p, 24 + 2 * i), date[i]) << "field " << i;
        EXPECT_EQ(be32(p, 36), signature("acsp"));
        EXPECT_EQ(be32(p, 40), signature("MSFT"));
        EXPECT_EQ(be32(p, 44), 0u);  // flags
        EXPECT_EQ(be32(p, 48), 0u);  // manufacturer
        EXPECT_EQ(be32(p, 52), 0u);  // model
        EXPECT_EQ(be32(p, 56), 1u);  // attributes, first half
        EXPECT_EQ(be32(p, 60), 0u);
        EXPECT_EQ(be32(p, 64), 0u);  // rendering intent
        // The PCS illuminant (0.9642, 1.0, 0.8249) to the nearest 1/65536.
        EXPECT_EQ(be32(p, 68), std::uint32_t(std::lround(0.9642 * 65536)));
        EXPECT_EQ(be32(p, 72), 65536u);
        EXPECT_EQ(be32(p, 76), std::uint32_t(std::lround(0.8249 * 65536)));
        EXPECT_EQ(be32(p, 80), signature("Vntr"));
        // colord names a profile after its ID: the MD5 of the file, which tells the two
        // headers apart; the reserved bytes stay zero.
        EXPECT_EQ(p.mid(84, 16), expected_profile_id(p));
        EXPECT_EQ(p.mid(100, 28), QByteArray(28, '\0'));
    }
}

TEST(DisplayProfileWriter, TagsComeInTheirOrderWithOptionalOnesOnlyWhenGiven) {
    const QString folder = fresh_folder(QStringLiteral("order"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/plain.icm"));
    const QList<std::uint32_t> plain = tag_signatures(written(spec));
    const QList<std::uint32_t> expected_plain = {
        signature("desc"), signature("cprt"), signature("rXYZ"), signature("gXYZ"),
        signature("bXYZ"), signature("chad"), signature("wtpt"), signature("rTRC"),
        signature("gTRC"), signature("bTRC"), signature("vcgt")};
    EXPECT_EQ(plain, expected_plain);

    spec.path = folder + QStringLiteral("/full.icm");
    spec.luminance = 250.0;
    spec.monitorId = 0x2E6F6C12;
    const QList<std::uint32_t> full = tag_signatures(written(spec));
    QList<std::uint32_t> expected_full = expected_plain;
    expected_full.insert(7, signature("lumi"));
    expected_full.append(signature("mmod"));
    EXPECT_EQ(full, expected_full);

    // Tag data lies inside the file, 4-byte aligned, after the tag table.
    const QByteArray p = read_file(spec.path);
    for (const CTagEntry& entry : tag_table(p)) {
        EXPECT_EQ(entry.offset % 4, 0u);
        EXPECT_GE(entry.offset, 132u + 12u * full.size());
        EXPECT_LE(qsizetype(entry.offset) + entry.size, p.size());
    }
}

TEST(DisplayProfileWriter, DescriptionHasAnEightBitAndAUnicodePart) {
    const QString folder = fresh_folder(QStringLiteral("desc"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/desc.icm"));
    spec.description = QString::fromUtf8("Écran KX272W – Mode 2 \xE8\xA1\xA8\xE7\xA4\xBA");
    const QByteArray desc = tag(written(spec), "desc");
    ASSERT_FALSE(desc.isEmpty());
    EXPECT_EQ(be32(desc, 0), signature("desc"));
    EXPECT_EQ(be32(desc, 4), 0u);

    // Every character beyond ASCII is one '?' in the 7-bit part, however many bytes it would
    // take in UTF-8; readers that show this part get plain text, not mojibake.
    const QByteArray ascii("?cran KX272W ? Mode 2 ??");
    const std::uint32_t asciiCount = be32(desc, 8);
    EXPECT_EQ(asciiCount, std::uint32_t(ascii.size() + 1));
    EXPECT_EQ(desc.mid(12, asciiCount), ascii + QByteArray(1, '\0'));

    const qsizetype unicodeAt = 12 + asciiCount;
    EXPECT_EQ(be32(desc, unicodeAt), 0u);  // language code
    const std::uint32_t units = be32(desc, unicodeAt + 4);
    ASSERT_EQ(units, std::uint32_t(spec.description.size() + 1));
    QString unicode;
    for (std::uint32_t i = 0; i + 1 < units; ++i)
        unicode.append(QChar(be16(desc, unicodeAt + 8 + 2 * i)));
    EXPECT_EQ(unicode, spec.description);
    EXPECT_EQ(be16(desc, unicodeAt + 8 + 2 * (units - 1)), 0u);

    // ScriptCode code, count and its 67 bytes, all zero.
    const qsizetype scriptAt = unicodeAt + 8 + 2 * units;
    EXPECT_EQ(desc.mid(scriptAt, 70), QByteArray(70, '\0'));
    EXPECT_GE(desc.size(), scriptAt + 70);
}

TEST(DisplayProfileWriter, CopyrightIsTheGivenTextOrTheDefaultNotice) {
    const QString folder = fresh_folder(QStringLiteral("cprt"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/cprt.icm"));
    spec.copyright = QString::fromUtf8("© 2024 Kestrel");
    QByteArray cprt = tag(written(spec), "cprt");
    EXPECT_EQ(be32(cprt, 0), signature("text"));
    EXPECT_EQ(cprt.mid(8), spec.copyright.toLocal8Bit() + QByteArray(1, '\0'));

    spec.copyright.clear();
    cprt = tag(written(spec), "cprt");
    EXPECT_EQ(cprt.mid(8), kDefaultCopyright.toLatin1() + QByteArray(1, '\0'));
}

TEST(DisplayProfileWriter, ColorantsAreThePrimariesAdaptedToD50) {
    const QString folder = fresh_folder(QStringLiteral("colorants"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/colorants.icm"));
    spec.whiteX = 0.2831;  // a cool white, so the adaptation is far from the identity
    spec.whiteY = 0.2971;
    spec.luminance = 163.5;
    const QByteArray p = written(spec);

    CChromaticAdaptation adaptation;
    ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(spec.whiteX, spec.whiteY)));
    CCIEXYZ c[3];
    ASSERT_TRUE(adaptation.colorants(spec.redX, spec.redY, spec.greenX, spec.greenY, spec.blueX,
                                     spec.blueY, c[0], c[1], c[2]));
    // Half a step of the encoding, plus single precision on the way.
    const double step = 0.5 / 65536 + 1e-7;
    const char* names[3] = {"rXYZ", "gXYZ", "bXYZ"};
    double sum[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const QByteArray xyz = tag(p, i == 0 ? "rXYZ" : i == 1 ? "gXYZ" : "bXYZ");
        ASSERT_EQ(be32(xyz, 0), signature("XYZ ")) << names[i];
        EXPECT_NEAR(s15Fixed16(xyz, 8), c[i].X, step) << names[i];
        EXPECT_NEAR(s15Fixed16(xyz, 12), c[i].Y, step) << names[i];
        EXPECT_NEAR(s15Fixed16(xyz, 16), c[i].Z, step) << names[i];
        for (int k = 0; k < 3; ++k)
            sum[k] += s15Fixed16(xyz, 8 + 4 * k);
    }
    // Full drive of all three channels is the D50 white the profile states.
    const QByteArray wtpt = tag(p, "wtpt");
    EXPECT_NEAR(s15Fixed16(wtpt, 8), 0.964188, step);
    EXPECT_NEAR(s15Fixed16(wtpt, 12), 1.0, step);
    EXPECT_NEAR(s15Fixed16(wtpt, 16), 0.82489, step);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(sum[k], s15Fixed16(wtpt, 8 + 4 * k), 4 * step);

    const QByteArray chad = tag(p, "chad");
    EXPECT_EQ(be32(chad, 0), signature("sf32"));
    ASSERT_EQ(chad.size(), 8 + 9 * 4);
    const Matrix3 m = adaptation.matrix();
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(s15Fixed16(chad, 8 + 4 * i), m[i / 3][i % 3], step);
    // The matrix takes the display's white to D50.
    const CCIEXYZ white(spec.whiteX, spec.whiteY);
    for (int row = 0; row < 3; ++row) {
        const double adapted = s15Fixed16(chad, 8 + 12 * row) * white.X +
                               s15Fixed16(chad, 12 + 12 * row) * white.Y +
                               s15Fixed16(chad, 16 + 12 * row) * white.Z;
        EXPECT_NEAR(adapted, row == 0 ? 0.964188 : row == 1 ? 1.0 : 0.82489, 1e-4);
    }

    const QByteArray lumi = tag(p, "lumi");
    EXPECT_EQ(be32(lumi, 0), signature("XYZ "));
    EXPECT_EQ(s15Fixed16(lumi, 8), 0.0);
    EXPECT_NEAR(s15Fixed16(lumi, 12), 163.5, step);
    EXPECT_EQ(s15Fixed16(lumi, 16), 0.0);
}

TEST(DisplayProfileWriter, ToneResponseIsOneGammaEntryOrTheSampledCurves) {
    const QString folder = fresh_folder(QStringLiteral("trc"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/trc.icm"));
    for (double gamma : {1.8, 2.2, 2.35}) {
        spec.gamma = gamma;
        const QByteArray p = written(spec);
        for (const char* name : {"rTRC", "gTRC", "bTRC"}) {
            const QByteArray trc = tag(p, name[0] == 'r'   ? "rTRC"
                                          : name[0] == 'g' ? "gTRC"
                                                           : "bTRC");
            EXPECT_EQ(be32(trc, 0), signature("curv")) << name;
            ASSERT_EQ(be32(trc, 8), 1u) << name;
            // One u8Fixed8 entry: the gamma to the nearest 1/256.
            EXPECT_LE(std::abs(be16(trc, 12) / 256.0 - gamma), 0.5 / 256) << name << " " << gamma;
        }
    }

    spec.useCurves = true;
    make_gamma_curve(spec.redCurve, 2.2);
    make_gamma_curve(spec.greenCurve, 1.8);
    make_lstar_curve(spec.blueCurve);
    const QByteArray p = written(spec);
    const QByteArray red = tag(p, "rTRC"), green = tag(p, "gTRC"), blue = tag(p, "bTRC");
    for (const QByteArray* trc : {&red, &green, &blue}) {
        ASSERT_EQ(be32(*trc, 8), 256u);
        EXPECT_EQ(be16(*trc, 12), 0);
        EXPECT_EQ(be16(*trc, 12 + 2 * 255), 65535);
    }
    for (int i = 0; i < 256; ++i) {
        const double x = i / 255.0;
        EXPECT_NEAR(be16(red, 12 + 2 * i), std::pow(x, 2.2) * 65535, 0.5 + 1e-9) << i;
        EXPECT_NEAR(be16(green, 12 + 2 * i), std::pow(x, 1.8) * 65535, 0.5 + 1e-9) << i;
        // CIE L* read backwards; the curve's own interpolation stays well within 20 steps.
        const double l = 100.0 * x;
        const double y = l > 8.0 ? std::pow((l + 16.0) / 116.0, 3.0) : l / 903.296;
        EXPECT_NEAR(be16(blue, 12 + 2 * i), y * 65535, 20.0) << i;
    }
}

TEST(DisplayProfileWriter, PrivateTagsHoldTheIdentityRampAndTheMonitorIdentifier) {
    const QString folder = fresh_folder(QStringLiteral("private"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/private.icm"));
    spec.monitorId = 0x2E6F6C12;  // b3 b2 b1 b0 = 2E 6F 6C 12
    const QByteArray p = written(spec);

    const QByteArray vcgt = tag(p, "vcgt");
    ASSERT_EQ(vcgt.size(), 18 + 3 * 256);
    EXPECT_EQ(be32(vcgt, 0), signature("vcgt"));
    EXPECT_EQ(be32(vcgt, 4), 0u);
    EXPECT_EQ(be32(vcgt, 8), 0u);  // table form
    EXPECT_EQ(be16(vcgt, 12), 3);
    EXPECT_EQ(be16(vcgt, 14), 256);
    EXPECT_EQ(be16(vcgt, 16), 1);
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(std::uint8_t(vcgt[18 + channel * 256 + i]), i) << channel << " " << i;

    const QByteArray mmod = tag(p, "mmod");
    ASSERT_EQ(mmod.size(), 40);
    EXPECT_EQ(be32(mmod, 0), signature("mmod"));
    EXPECT_EQ(be32(mmod, 4), 0u);
    EXPECT_EQ(mmod.mid(8, 4), QByteArray::fromHex("00006f2e"));
    EXPECT_EQ(mmod.mid(12, 4), QByteArray::fromHex("00006c12"));
    EXPECT_EQ(mmod.mid(16), QByteArray(24, '\0'));
}

TEST(DisplayProfileWriter, FailuresReportTheirCause) {
    const QString folder = fresh_folder(QStringLiteral("failures"));
    ProfileSpec spec = sample_spec(QString());
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileMissingPathOrDescription);
    spec = sample_spec(folder + QStringLiteral("/x.icm"));
    spec.description.clear();
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileMissingPathOrDescription);

    spec = sample_spec(folder + QStringLiteral("/missing/x.icm"));
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileCannotWrite);

    // Primaries on one line describe no display.
    spec = sample_spec(folder + QStringLiteral("/collinear.icm"));
    spec.greenX = 0.415;
    spec.greenY = 0.19;
    spec.blueX = 0.15;
    spec.blueY = 0.06;
    spec.redX = 0.68;
    spec.redY = 0.32;
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileCannotWrite);
    EXPECT_FALSE(QFile::exists(spec.path));

    // Something at the path that is neither an installed profile nor a deletable file.
    spec = sample_spec(folder + QStringLiteral("/occupied.icm"));
    ASSERT_TRUE(testing_support::write_file(spec.path + QStringLiteral("/inside"), "x"));
    EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileCannotReplace);
    EXPECT_TRUE(QFileInfo(spec.path).isDir());
    EXPECT_EQ(leftovers(folder), QStringList());
}

// A folder in which nothing can be created, removed or renamed for the object's life. The tests
// may run as the superuser, whom mode bits do not stop, so the folder is made immutable; where
// the file system or the user cannot do that, mode bits serve an ordinary user.
class LockedFolder {
  public:
    explicit LockedFolder(const QString& folder) : path_(QFile::encodeName(folder)) {
        fd_ = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!immutable_ && ::geteuid() != 0) moded_ = ::chmod(path_.constData(), 0555) == 0;
    }
    ~LockedFolder() {
        int flags = 0;
        if (immutable_ && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
        }
        if (moded_) ::chmod(path_.constData(), 0755);
        if (fd_ >= 0) ::close(fd_);
    }
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;
    bool locked() const { return immutable_ || moded_; }

  private:
    QByteArray path_;
    int fd_ = -1;
    bool immutable_ = false;
    bool moded_ = false;
};

TEST(DisplayProfileWriter, AProfileThatCannotBeRemovedIsKeptAndReported) {
    const QString folder = fresh_folder(QStringLiteral("locked"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/locked.icm"));
    ASSERT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    const QByteArray before = read_file(spec.path);
    spec.description = QStringLiteral("KX272W 12345678 ORV Mode 2");
    {
        LockedFolder lock(folder);
        if (!lock.locked()) GTEST_SKIP() << "this file system cannot lock a folder";
        // The old profile can be neither uninstalled nor deleted: the caller may offer to retry.
        EXPECT_EQ(writeDisplayProfile(spec, kDefaultCopyright), kProfileCannotReplace);
        EXPECT_EQ(read_file(spec.path), before);
        EXPECT_EQ(leftovers(folder), QStringList{QStringLiteral("locked.icm")});
        // Without an old profile the same folder is a plain write failure.
        ProfileSpec fresh = sample_spec(folder + QStringLiteral("/new.icm"));
        EXPECT_EQ(writeDisplayProfile(fresh, kDefaultCopyright), kProfileCannotWrite);
        EXPECT_FALSE(QFile::exists(fresh.path));
    }
    // Once the folder lets go, the retry succeeds.
    ASSERT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
    EXPECT_EQ(read.description, spec.description);
    EXPECT_EQ(leftovers(folder), QStringList{QStringLiteral("locked.icm")});
}

TEST(DisplayProfileWriter, RewritingReplacesTheInstalledCopy) {
    const QString directory = QDir::fromNativeSeparators(colorDirectory());
    ASSERT_TRUE(QDir().mkpath(directory));
    ProfileSpec spec = sample_spec(directory + QStringLiteral("/KX272W 12345678 ORV.icm"));
    ASSERT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    ASSERT_EQ(installAndAssociate(QStringLiteral("card0-DP-1"), spec.path), 0);
    QString name;
    associatedProfile(QStringLiteral("card0-DP-1"), name);
    ASSERT_EQ(name, QStringLiteral("KX272W 12345678 ORV.icm"));

    spec.description = QStringLiteral("KX272W 12345678 ORV Mode 3");
    ASSERT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    // The old copy was uninstalled (so the display lost it) and the new one is in its place.
    name = QStringLiteral("unchanged");
    associatedProfile(QStringLiteral("card0-DP-1"), name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    ProfileSpec read;
    ASSERT_EQ(readDisplayProfile(spec.path, read), 0);
    EXPECT_EQ(read.description, spec.description);
    EXPECT_EQ(
        QDir(directory).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
        QStringList());
}

TEST(DisplayProfileWriter, AFailedWriteKeepsThePreviousProfile) {
    const QString folder = fresh_folder(QStringLiteral("keep"));
    ProfileSpec spec = sample_spec(folder + QStringLiteral("/keep.icm"));
    ASSERT_EQ(writeDisplayProfile(spec, kDefaultCopyright), 0);
    const QByteArray before = read_file(spec.path);
    ASSERT_GT(before.size(), 1200);

    // A file size limit makes the new profile's write fail part way, as a full disk would.
    spec.useCurves = true;  // 256-entry curves: well over the limit
    make_gamma_curve(spec.redCurve, 2.4);
    make_gamma_curve(spec.greenCurve, 2.4);
    make_gamma_curve(spec.blueCurve, 2.4);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = writeDisplayProfile(spec, kDefaultCopyright);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous_handler);

    EXPECT_EQ(result, kProfileCannotWrite);
    EXPECT_EQ(read_file(spec.path), before);
    EXPECT_EQ(leftovers(folder), QStringList{QStringLiteral("keep.icm")});
}

}  // namespace
