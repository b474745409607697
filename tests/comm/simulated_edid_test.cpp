#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "comm/edid_record.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"

// The simulated monitors stand in for real ones: their EDIDs must read as a real monitor's do,
// both to our decoder and to the independent decoder of Debian's edid-decode.
namespace {

CEdidRecord decoded(const QByteArray& edid) {
    QByteArray padded = edid;
    padded.append(QByteArray(256 - padded.size(), '\0'));
    CEdidRecord r;
    EXPECT_EQ(r.decode(reinterpret_cast<const std::uint8_t*>(padded.constData())), 0);
    return r;
}

const char* const kSerials[] = {"7100012", "A1B2C3D4E5F6G"};

TEST(SimulatedEdid, EveryModelsLargestModeIsItsPanel) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        for (const char* serial : kSerials) {
            SCOPED_TRACE(model.name.toStdString() + " " + serial);
            const CEdidRecord r = decoded(sim::build_edid(model, serial));
            EXPECT_EQ(r.name_text, model.name.toStdString());
            EXPECT_EQ(r.max_width, model.width_px);
            EXPECT_EQ(r.max_height, model.height_px);
            EXPECT_EQ(r.preferred_width, model.width_px);
            EXPECT_EQ(r.preferred_height, model.height_px);
        }
    }
}

TEST(SimulatedEdid, EveryModelPassesEdidDecodesChecks) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("edid-decode"));
    if (tool.isEmpty()) GTEST_SKIP() << "edid-decode (Debian package edid-decode) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const sim::CSimModel& model : sim::sim_models()) {
        for (const char* serial : kSerials) {
            SCOPED_TRACE(model.name.toStdString() + " " + serial);
            const QString path = dir.filePath(model.name + QStringLiteral(".bin"));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(sim::build_edid(model, serial));
            file.close();

            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(tool, {QStringLiteral("--check"), path});
            ASSERT_TRUE(p.waitForFinished(10000));
            const QString out = QString::fromUtf8(p.readAll());
            EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
            EXPECT_FALSE(out.contains(QLatin1String("Warning"), Qt::CaseInsensitive))
                << out.toStdString();
            EXPECT_FALSE(out.contains(QLatin1String("Failure"), Qt::CaseInsensitive))
                << out.toStdString();
            EXPECT_TRUE(out.contains(model.name)) << out.toStdString();
        }
    }
}

}  // namespace
