#include <gtest/gtest.h>

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>

#include "color/chromatic_adaptation.h"
#include "color/curve_builders.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "profiles/reference_profiles.h"
#include "support/test_environment.h"

using namespace profile_bytes;

// Every profile we write is read by another ICC reader (Argyll's iccdump), which must accept
// it without complaint and find in it what we meant to write.
namespace {

struct CDump {
    int exitCode = -1;
    QString text;
    QMap<QString, QString> header;    // "CMM" -> "'MSFT'"
    QStringList tagOrder;             // signatures in the order the reader found them
    QMap<QString, QStringList> tags;  // signature -> the tag's lines
};

CDump dump(const QString& iccdump, const QString& path) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(iccdump, {QStringLiteral("-v3"), path});
    CDump d;
    if (!process.waitForFinished(30000)) return d;
    d.exitCode = process.exitCode();
    d.text = QString::fromLocal8Bit(process.readAll());
    QString current;
    for (const QString& line : d.text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch field =
            QRegularExpression(QStringLiteral("^  (\\S.*?)\\s+= (.*)$")).match(line);
        const QRegularExpressionMatch sig =
            QRegularExpression(QStringLiteral("^  sig\\s+'(....)'")).match(line);
        if (sig.hasMatch()) {
            current = sig.captured(1);
            d.tagOrder.append(current);
        } else if (!current.isEmpty()) {
            d.tags[current].append(line);
        } else if (field.hasMatch()) {
            d.header.insert(field.captured(1), field.captured(2).trimmed());
        }
    }
    return d;
}

QList<double> numbers_after(const QStringList& lines, const QString& label) {
    QList<double> values;
    for (const QString& line : lines) {
        if (!line.trimmed().startsWith(label)) continue;
        const QString rest = line.trimmed().mid(label.size()).section(QLatin1Char('['), 0, 0);
        for (const QString& part : rest.split(QLatin1Char(','), Qt::SkipEmptyParts))
            values.append(part.trimmed().toDouble());
        break;
    }
    return values;
}

class IndependentReader : public ::testing::Test {
  protected:
    void SetUp() override {
        iccdump_ = QStandardPaths::findExecutable(QStringLiteral("iccdump"));
        if (iccdump_.isEmpty()) GTEST_SKIP() << "iccdump (Debian package argyll) is not installed";
    }

    // Checks one written profile against the record it was written from.
    void check(const ProfileSpec& spec) {
        SCOPED_TRACE(spec.path.toStdString());
        const CDump d = dump(iccdump_, spec.path);
        ASSERT_EQ(d.exitCode, 0) << d.text.toStdString();
        EXPECT_FALSE(d.text.contains(QLatin1String("Error"))) << d.text.toStdString();
        EXPECT_FALSE(d.text.contains(QLatin1String("Warning"))) << d.text.toStdString();

        EXPECT_EQ(d.header.value(QStringLiteral("Version")), QStringLiteral("2.1.0"));
        EXPECT_EQ(d.header.value(QStringLiteral("Device Class")), QStringLiteral("Display"));
        EXPECT_EQ(d.header.value(QStringLiteral("Color Space")), QStringLiteral("RGB"));
        EXPECT_EQ(d.header.value(QStringLiteral("Conn. Space")), QStringLiteral("XYZ"));
        EXPECT_EQ(d.header.value(QStringLiteral("Creator")), QStringLiteral("'Vntr'"));
        EXPECT_EQ(d.header.value(QStringLiteral("CMM")),
                  spec.adobeCmm ? QStringLiteral("'ADBE'") : QStringLiteral("'MSFT'"));

        QStringList order = {"desc", "cprt", "rXYZ", "gXYZ", "bXYZ", "chad", "wtpt"};
        if (spec.luminance > 0) order << QStringLiteral("lumi");
        order << QStringLiteral("rTRC") << QStringLiteral("gTRC") << QStringLiteral("bTRC")
              << QStringLiteral("vcgt");
        if (spec.monitorId != 0) order << QStringLiteral("mmod");
        EXPECT_EQ(d.tagOrder, order);

        // The Unicode part as the reader saw it, unit by unit.
        QString units;
        for (QChar c : spec.description)
            units += QStringLiteral("%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        units += QStringLiteral("0000");
        QString seen;
        bool unicode = false;
        for (const QString& line : d.tags.value(QStringLiteral("desc"))) {
            if (line.contains(QLatin1String("Unicode Data")))
                unicode = true;
            else if (line.contains(QLatin1String("ScriptCode")))
                unicode = false;
            else if (unicode)
                seen += line.section(QLatin1Char(':'), 1).trimmed() + QLatin1Char(' ');
        }
        EXPECT_EQ(seen.trimmed(), units);

        CChromaticAdaptation adaptation;
        ASSERT_TRUE(adaptation.setSourceWhite(CCIEXYZ(spec.whiteX, spec.whiteY)));
        CCIEXYZ c[3];
        ASSERT_TRUE(adaptation.colorants(spec.redX, spec.redY, spec.greenX, spec.greenY, spec.blueX,
                                         spec.blueY, c[0], c[1], c[2]));
        const char* names[3] = {"rXYZ", "gXYZ", "bXYZ"};
        for (int i = 0; i < 3; ++i) {
            const QList<double> xyz = numbers_after(d.tags.value(QLatin1String(names[i])), "0:");
            ASSERT_EQ(xyz.size(), 3) << names[i];
            EXPECT_NEAR(xyz[0], c[i].X, 1e-4) << names[i];
            EXPECT_NEAR(xyz[1], c[i].Y, 1e-4) << names[i];
            EXPECT_NEAR(xyz[2], c[i].Z, 1e-4) << names[i];
        }
        if (spec.luminance > 0) {
            const QList<double> lumi = numbers_after(d.tags.value(QStringLiteral("lumi")), "0:");
            ASSERT_EQ(lumi.size(), 3);
            EXPECT_NEAR(lumi[1], spec.luminance, 1e-4);
        }

        for (const char* name : {"rTRC", "gTRC", "bTRC"}) {
            const QStringList lines = d.tags.value(QLatin1String(name));
            const CSpline& curve = name[0] == 'r'   ? spec.redCurve
                                   : name[0] == 'g' ? spec.greenCurve
                                                    : spec.blueCurve;
            if (!spec.useCurves) {
                const QString line = lines.filter(QStringLiteral("Curve is gamma of")).value(0);
                EXPECT_NEAR(line.section(QStringLiteral("of"), 1).toDouble(), spec.gamma, 0.5 / 256)
                    << name;
                continue;
            }
            EXPECT_EQ(numbers_after(lines, "No. elements =").value(0), 256.0) << name;
            for (int i = 0; i < 256; i += 17) {
                const double y = numbers_after(lines, QStringLiteral("%1:").arg(i)).value(0, -1);
                EXPECT_NEAR(y, curve.evaluate(i / 255.0), 1e-4) << name << " " << i;
            }
        }

        const QStringList vcgt = d.tags.value(QStringLiteral("vcgt"));
        EXPECT_EQ(numbers_after(vcgt, "channels  =").value(0), 3.0);
        EXPECT_EQ(numbers_after(vcgt, "entries   =").value(0), 256.0);
        EXPECT_EQ(numbers_after(vcgt, "entrysize =").value(0), 1.0);
        for (int i : {0, 1, 128, 255})
            EXPECT_EQ(numbers_after(vcgt, QStringLiteral("%1:").arg(i)).value(0, -1), double(i));
    }

    QString iccdump_;
};

TEST_F(IndependentReader, AcceptsEveryKindOfDisplayProfileWeWrite) {
    const QString folder = fresh_folder(QStringLiteral("iccdump"));
    ProfileSpec plain = sample_spec(folder + QStringLiteral("/plain.icm"));
    ASSERT_EQ(writeDisplayProfile(plain, QString()), 0);
    check(plain);

    ProfileSpec rich = sample_spec(folder + QStringLiteral("/rich.icm"));
    rich.description = QString::fromUtf8("Écran KX272W – Mode 2");
    rich.adobeCmm = true;
    rich.luminance = 163.25;
    rich.monitorId = 0x2E6F6C12;
    rich.whiteX = 0.3457;
    rich.whiteY = 0.3585;
    rich.gamma = 1.8;
    ASSERT_EQ(writeDisplayProfile(rich, QString()), 0);
    check(rich);

    ProfileSpec curves = sample_spec(folder + QStringLiteral("/curves.icm"));
    curves.useCurves = true;
    make_srgb_curve(curves.redCurve);
    make_lstar_curve(curves.greenCurve);
    make_dicom_curve(curves.blueCurve, 0.5f, 350.0f);
    ASSERT_EQ(writeDisplayProfile(curves, QString()), 0);
    check(curves);
}

TEST_F(IndependentReader, AcceptsTheReferenceProfiles) {
    const ProfileTexts texts{QStringLiteral("Copyright (c) Kestrel. All rights reserved."),
                             QStringLiteral("Kestrel"), QStringLiteral("Orvale"),
                             QStringLiteral("/Targets/")};
    const QList<quint16> native = {0, 680, 320, 265, 690, 150, 60};
    ASSERT_EQ(makeReferenceProfiles(native, 0, 0, false, texts), 0);
    const QString folder = targetFolder(false, texts);
    ASSERT_FALSE(folder.isEmpty());
    struct {
        const char* file;
        const char* description;
        double primaries[6];
    } const references[] = {
        {kFullGamutProfile, "full gamut", {0.680, 0.320, 0.265, 0.690, 0.150, 0.060}},
        {kAdobeRgbProfile, "argb", {0.64, 0.33, 0.21, 0.71, 0.15, 0.06}},
        {kSrgbProfile, "srgb", {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},
    };
    for (const auto& reference : references) {
        ProfileSpec spec;
        spec.path = QDir(folder).filePath(QLatin1String(reference.file));
        spec.description = QLatin1String(reference.description);
        spec.whiteX = 0.313;
        spec.whiteY = 0.329;
        spec.redX = reference.primaries[0];
        spec.redY = reference.primaries[1];
        spec.greenX = reference.primaries[2];
        spec.greenY = reference.primaries[3];
        spec.blueX = reference.primaries[4];
        spec.blueY = reference.primaries[5];
        spec.gamma = 2.2;
        if (spec.path.endsWith(QLatin1String(kSrgbProfile))) {
            spec.useCurves = true;
            make_srgb_curve(spec.redCurve);
            make_srgb_curve(spec.greenCurve);
            make_srgb_curve(spec.blueCurve);
        }
        check(spec);
    }
}

}  // namespace
