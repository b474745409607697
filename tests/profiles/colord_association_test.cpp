// Associations through a real colord: the daemon runs on a private system bus that
// tests/support/private_colord.sh starts for these tests (ORVALE_TEST_COLORD_DIR names its
// folder), and colord's own client, colormgr, reads back what the program did.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <memory>

#include "platform/color_system.h"
#include "platform/colord_client.h"
#include "platform/colord_display.h"
#include "platform/sim_display_services.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "sim/sim_config.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

using namespace profile_bytes;
using testing_support::read_file;

namespace {

QString colord_folder() {
    return qEnvironmentVariable("ORVALE_TEST_COLORD_DIR");
}

// What colormgr printed, as "Key: value" lines (the first value of each key) and whole.
struct CColormgrAnswer {
    int exitCode = -1;
    QString text;
    QMap<QString, QString> fields;
    QStringList metadata;  // "NAME=VALUE"
};

CColormgrAnswer colormgr(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("colormgr"), arguments);
    CColormgrAnswer answer;
    if (!process.waitForFinished(10000)) return answer;
    answer.exitCode = process.exitCode();
    answer.text =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    for (const QString& line : answer.text.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) continue;
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("Metadata")) answer.metadata.append(value);
        if (!answer.fields.contains(key)) answer.fields.insert(key, value);
    }
    return answer;
}

class ColordAssociation : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString folder = colord_folder();
        QString missing;
        if (folder.isEmpty())
            missing = QStringLiteral("ORVALE_TEST_COLORD_DIR is not set");
        else if (QFileInfo::exists(folder + QStringLiteral("/unavailable")))
            missing = QString::fromUtf8(read_file(folder + QStringLiteral("/unavailable")));
        else if (!QFileInfo::exists(folder + QStringLiteral("/system_bus_socket")))
            missing = QStringLiteral("no private system bus in ") + folder;
        if (!missing.isEmpty()) {
            if (!qEnvironmentVariableIsEmpty("CI"))
                FAIL() << "colord must run in CI: " << missing.toStdString();
            GTEST_SKIP() << missing.toStdString();
        }
        services_ = std::make_unique<platform::CSimDisplayServices>(sim::CSimConfig::default_set());
        platform::set_display_services(services_.get());
        QDir(platform::color_directory()).removeRecursively();
        QDir().mkpath(platform::color_directory());
    }
    void TearDown() override { platform::set_display_services(nullptr); }

    // The display device name of the simulated display on `connector`.
    QString device_on(const QString& connector) const {
        for (const auto& adapter : services_->adapters())
            for (const auto& monitor : adapter.monitors)
                if (monitor.device_name.endsWith(QLatin1Char('-') + connector))
                    return monitor.device_id;
        return QString();
    }

    // A profile written for the display into the colour directory, as the picture modes do.
    QString written_for(const QString& device, const QString& name, const QString& description) {
        ProfileSpec spec = sample_spec(platform::color_directory() + QLatin1Char('/') + name);
        spec.description = description;
        spec.displayDevice = device;
        EXPECT_EQ(writeDisplayProfile(spec, QString()), 0);
        return spec.path;
    }

    std::unique_ptr<platform::CSimDisplayServices> services_;
};

QString id_of(const QString& path) {
    return QStringLiteral("icc-") + QString::fromLatin1(read_file(path).mid(84, 16).toHex());
}

TEST_F(ColordAssociation, WrittenProfileBecomesTheDisplaysDefaultAndLeavesAgain) {
    const QString device = device_on(QStringLiteral("DP-1"));
    ASSERT_FALSE(device.isEmpty());
    const platform::CColordDisplay display = platform::colord_display_for_device(device);
    // The id the desktop gives this monitor: vendor, model and serial from its EDID.
    ASSERT_TRUE(display.device_id.startsWith(QLatin1String("xrandr-")));
    EXPECT_TRUE(display.device_id.endsWith(QLatin1String("-KX271W-71000123")))
        << display.device_id.toStdString();

    const QString first = written_for(device, QStringLiteral("KX271W 71000123 ORV.icm"),
                                      QStringLiteral("KX271W calibrated"));
    ASSERT_EQ(installAndAssociate(device, first), 0);

    // colord's own client sees the device (made by us, as the session had none) with the
    // profile as its default, named after the profile ID, with the metadata the file carries.
    const CColormgrAnswer created = colormgr({QStringLiteral("find-device"), display.device_id});
    ASSERT_EQ(created.exitCode, 0) << created.text.toStdString();
    EXPECT_EQ(created.fields.value(QStringLiteral("Type")), QStringLiteral("display"));
    const CColormgrAnswer preferred =
        colormgr({QStringLiteral("device-get-default-profile"), display.device_id});
    ASSERT_EQ(preferred.exitCode, 0) << preferred.text.toStdString();
    EXPECT_EQ(preferred.fields.value(QStringLiteral("Filename")), first);
    EXPECT_EQ(preferred.fields.value(QStringLiteral("Profile ID")), id_of(first));
    EXPECT_EQ(preferred.fields.value(QStringLiteral("Title")), QStringLiteral("KX271W calibrated"));
    EXPECT_TRUE(
        preferred.metadata.contains(QStringLiteral("MAPPING_device_id=") + display.device_id));
    EXPECT_TRUE(preferred.metadata.contains(QStringLiteral("EDID_md5=") + display.edid_md5));
    EXPECT_TRUE(preferred.metadata.contains(QStringLiteral("DATA_source=calib")));

    // The status page reads the same place.
    QString name = QStringLiteral("unchanged");
    EXPECT_EQ(associatedProfile(device, name), 0);
    EXPECT_EQ(name, QFileInfo(first).fileName());

    // A second profile replaces the first as the default; the first stays on the device.
    const QString second =
        written_for(device, QStringLiteral("second ORV.icm"), QStringLiteral("KX271W second"));
    ASSERT_EQ(installAndAssociate(device, second), 0);
    EXPECT_EQ(colormgr({QStringLiteral("device-get-default-profile"), display.device_id})
                  .fields.value(QStringLiteral("Filename")),
              second);
    associatedProfile(device, name);
    EXPECT_EQ(name, QFileInfo(second).fileName());
    // Associating the first again brings it back to the front.
    ASSERT_EQ(installAndAssociate(device, first), 0);
    EXPECT_EQ(colormgr({QStringLiteral("device-get-default-profile"), display.device_id})
                  .fields.value(QStringLiteral("Filename")),
              first);

    // Disassociating leaves the device without profiles; the files stay.
    EXPECT_EQ(disassociateAll(device), 0);
    const CColormgrAnswer none =
        colormgr({QStringLiteral("device-get-default-profile"), display.device_id});
    EXPECT_EQ(none.fields.value(QStringLiteral("Filename")), QString()) << none.text.toStdString();
    name = QStringLiteral("unchanged");
    associatedProfile(device, name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second));
}

TEST_F(ColordAssociation, RewritingAProfileReplacesItInColord) {
    const QString device = device_on(QStringLiteral("DVI-D-1"));
    ASSERT_FALSE(device.isEmpty());
    const QString path =
        written_for(device, QStringLiteral("rewritten.icm"), QStringLiteral("old"));
    ASSERT_EQ(installAndAssociate(device, path), 0);
    const QString oldId = id_of(path);

    // The picture modes remove the display's profiles, write the file again and associate it.
    EXPECT_EQ(disassociateAll(device), 0);
    const QString again =
        written_for(device, QStringLiteral("rewritten.icm"), QStringLiteral("new"));
    ASSERT_EQ(again, path);
    ASSERT_NE(id_of(path), oldId);
    ASSERT_EQ(installAndAssociate(device, path), 0);

    // colord no longer knows the old contents under that file name.
    EXPECT_NE(colormgr({QStringLiteral("find-profile"), oldId}).exitCode, 0);
    const CColormgrAnswer found = colormgr({QStringLiteral("find-profile-by-filename"), path});
    EXPECT_EQ(found.fields.value(QStringLiteral("Profile ID")), id_of(path));
    EXPECT_EQ(found.fields.value(QStringLiteral("Title")), QStringLiteral("new"));
}

TEST_F(ColordAssociation, ADisplayTheDesktopAlreadyNamedIsUsedAsItIs) {
    // The desktop's colour plugin made the device for the output, under its own id.
    const QString device = device_on(QStringLiteral("HDMI-A-1"));
    ASSERT_FALSE(device.isEmpty());
    const platform::CColordDisplay display = platform::colord_display_for_device(device);
    ASSERT_EQ(colormgr({QStringLiteral("create-device"), QStringLiteral("xrandr-desktop-own-name"),
                        QStringLiteral("normal"), QStringLiteral("display")})
                  .exitCode,
              0);
    platform::CColordClient client;
    ASSERT_EQ(client.presence(), platform::CColordClient::Presence::present);
    const CColormgrAnswer own =
        colormgr({QStringLiteral("find-device"), QStringLiteral("xrandr-desktop-own-name")});
    const QString path = own.fields.value(QStringLiteral("Object Path"));
    ASSERT_FALSE(path.isEmpty());
    // Tagged with the EDID's MD5, as the plugins tag their devices.
    QProcess tag;
    tag.start(
        QStringLiteral("dbus-send"),
        {QStringLiteral("--system"), QStringLiteral("--print-reply"),
         QStringLiteral("--dest=org.freedesktop.ColorManager"), path,
         QStringLiteral("org.freedesktop.ColorManager.Device.SetProperty"),
         QStringLiteral("string:OutputEdidMd5"), QStringLiteral("string:") + display.edid_md5});
    ASSERT_TRUE(tag.waitForFinished(10000));
    ASSERT_EQ(tag.exitCode(), 0) << tag.readAllStandardError().toStdString();

    const QString profile = written_for(device, QStringLiteral("generic.icm"), QStringLiteral("g"));
    ASSERT_EQ(installAndAssociate(device, profile), 0);
    EXPECT_EQ(colormgr({QStringLiteral("device-get-default-profile"),
                        QStringLiteral("xrandr-desktop-own-name")})
                  .fields.value(QStringLiteral("Filename")),
              profile);
    // No second device of ours for the same monitor.
    EXPECT_NE(colormgr({QStringLiteral("find-device"), display.device_id}).exitCode, 0);
}

TEST_F(ColordAssociation, AColordThatDoesNotAnswerFailsTheAssociationAndKeepsTheFile) {
    const QString device = device_on(QStringLiteral("DP-2"));
    ASSERT_FALSE(device.isEmpty());
    const QString path = written_for(device, QStringLiteral("stalled.icm"), QStringLiteral("s"));
    const QByteArray bytes = read_file(path);
    bool ok = false;
    const pid_t colord =
        QString::fromLatin1(read_file(colord_folder() + QStringLiteral("/colord.pid")).trimmed())
            .toInt(&ok);
    ASSERT_TRUE(ok);

    testing_support::LogCapture log("orvale.colord");
    ASSERT_EQ(kill(colord, SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    const int result = installAndAssociate(device, path);
    const qint64 waited = clock.elapsed();
    kill(colord, SIGCONT);

    EXPECT_EQ(result, kAssociateFailed);
    // Within the few seconds of one D-Bus time-out, and with colord's reason in the log.
    EXPECT_LT(waited, 3 * platform::CColordClient::kColordTimeoutMs);
    EXPECT_TRUE(log.text().contains(QLatin1String("NoReply"))) << log.text().toStdString();
    EXPECT_EQ(read_file(path), bytes);

    // Once colord answers again, the same association goes through.
    EXPECT_EQ(installAndAssociate(device, path), 0);
}

TEST_F(ColordAssociation, ADeviceThatVanishedIsRefusedWithColordsReason) {
    const QString device = device_on(QStringLiteral("DP-1"));
    const QString path = written_for(device, QStringLiteral("vanish.icm"), QStringLiteral("v"));
    ASSERT_TRUE(platform::install_color_profile(path));
    platform::CColordClient client;
    ASSERT_EQ(client.presence(), platform::CColordClient::Presence::present);
    const QString profile = client.profile_for_file(path);
    ASSERT_FALSE(profile.isEmpty()) << client.error().toStdString();
    EXPECT_FALSE(
        client.add_profile(QStringLiteral("/org/freedesktop/ColorManager/devices/gone"), profile));
    EXPECT_FALSE(client.error().isEmpty());
    QStringList profiles;
    EXPECT_FALSE(client.device_profiles(
        QStringLiteral("/org/freedesktop/ColorManager/devices/gone"), profiles));
}

}  // namespace
