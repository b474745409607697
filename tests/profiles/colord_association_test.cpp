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

#include "comm/ddc_monitor.h"
#include "core/mode_profile.h"
#include "core/picture_mode_rules.h"
#include "platform/color_system.h"
#include "platform/colord_client.h"
#include "platform/colord_display.h"
#include "platform/platform_timing.h"
#include "platform/sim_display_services.h"
#include "profile_bytes.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "sim/sim_config.h"
#include "support/desktop_display_services.h"
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
        services_ = std::make_unique<testing_support::CDesktopDisplayServices>(
            sim::CSimConfig::default_set());
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

    std::unique_ptr<testing_support::CDesktopDisplayServices> services_;
    std::unique_ptr<platform::CSimDisplayServices> sim_services_;
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
    EXPECT_LT(waited, 3 * platform_timing::kColordCallTimeoutMs);
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

// A monitor that reports no calibration of its own, so that the picture modes build their
// profile from the mode's values; nothing else of it is used.
class UncalibratedMonitor : public CDDCMonitor {
  public:
    int find_memory_entry(int, int, std::uint32_t& value) override {
        value = 0;
        return 0;
    }
};

// A mode item with colorimetry: gamma 2.2, sRGB primaries, D65.
CModeSettings mode_item(int memory) {
    CModeSettings item;
    const std::pair<int, int> values[] = {
        {0x1050, memory}, {0x1051, 1},   {0x1052, 313}, {0x1053, 329}, {0x1055, 640},
        {0x1056, 330},    {0x1057, 300}, {0x1058, 600}, {0x1059, 150}, {0x105A, 60},
        {0x268, 9},       {0x2E8, 170},  {0x2B3, 120},  {0x1054, 3}};
    for (const auto& [feature, value] : values)
        item.set_feature(feature, static_cast<std::int16_t>(value));
    return item;
}

// The picture modes making the active mode's profile through colord: what a failure leaves on
// the display, and which colord devices a simulated monitor may touch.
class ColordModeProfile : public ColordAssociation {
  protected:
    void SetUp() override {
        ColordAssociation::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(client_.presence(), platform::CColordClient::Presence::present);
    }

    picture_mode::ProfileRequest request(const QString& device, int memory) const {
        picture_mode::ProfileRequest r;
        r.device = device;
        r.model = QStringLiteral("KX271W");
        r.serial = QStringLiteral("71000123");
        r.memory = memory;
        r.preset = 1;
        r.item = mode_item(memory);
        r.brightness = 120;
        r.black_level = 3;
        return r;
    }
    // The device's profiles by file name, the default first.
    QStringList profiles_of(const QString& colord_device) {
        QStringList profiles;
        EXPECT_TRUE(client_.device_profiles(colord_device, profiles))
            << client_.error().toStdString();
        QStringList names;
        for (const QString& profile : profiles)
            names.append(QFileInfo(client_.profile_filename(profile)).fileName());
        return names;
    }
    // A display that already has a profile of its own from elsewhere, as its default.
    QString with_old_profile(const QString& device) {
        const QString old = written_for(device, QStringLiteral("old-calibration.icm"),
                                        QStringLiteral("calibrated elsewhere"));
        EXPECT_EQ(installAndAssociate(device, old), 0);
        // Whatever earlier cases left on the device goes (their files are gone already).
        const QString colord = client_.find_device(platform::colord_display_for_device(device));
        QStringList profiles;
        EXPECT_TRUE(client_.device_profiles(colord, profiles));
        for (const QString& profile : profiles) {
            if (QFileInfo(client_.profile_filename(profile)).fileName() !=
                QFileInfo(old).fileName()) {
                EXPECT_TRUE(client_.remove_profile(colord, profile));
            }
        }
        return QFileInfo(old).fileName();
    }

    UncalibratedMonitor monitor_;
    platform::CColordClient client_;
};

TEST_F(ColordModeProfile, AProfileThatCannotBeWrittenLeavesTheOldOneOnTheDisplay) {
    const QString device = device_on(QStringLiteral("DP-2"));
    ASSERT_FALSE(device.isEmpty());
    const QString old = with_old_profile(device);
    const QString colord = client_.find_device(platform::colord_display_for_device(device));
    ASSERT_FALSE(colord.isEmpty());
    ASSERT_EQ(profiles_of(colord), QStringList{old});

    // A serial longer than a file name may be: the profile cannot be written.
    picture_mode::ProfileRequest failing = request(device, 1);
    failing.serial = QString(300, QLatin1Char('9'));
    const picture_mode::ProfileResult written =
        picture_mode::make_active_mode_profile(monitor_, failing);
    EXPECT_EQ(written.outcome, picture_mode::ProfileOutcome::write_failed);
    EXPECT_EQ(profiles_of(colord), QStringList{old});

    // The old profile cannot be replaced and the user chooses Ignore.
    picture_mode::ProfileRequest locked = request(device, 1);
    const QString path =
        picture_mode::mode_profile_path(platform::color_directory(), locked.model, locked.serial);
    ASSERT_TRUE(QDir().mkpath(path));
    int asked = 0;
    locked.retry_locked = [&asked](const QString&) {
        ++asked;
        return false;
    };
    const picture_mode::ProfileResult ignored =
        picture_mode::make_active_mode_profile(monitor_, locked);
    EXPECT_EQ(ignored.outcome, picture_mode::ProfileOutcome::ignored);
    EXPECT_EQ(ignored.code, kProfileCannotReplace);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(profiles_of(colord), QStringList{old});
    ASSERT_TRUE(QDir(path).removeRecursively());

    // Once the profile can be written, it replaces the old one.
    const picture_mode::ProfileResult made =
        picture_mode::make_active_mode_profile(monitor_, request(device, 1));
    ASSERT_EQ(made.outcome, picture_mode::ProfileOutcome::updated);
    EXPECT_EQ(profiles_of(colord), QStringList{QFileInfo(made.path).fileName()});
}

TEST_F(ColordModeProfile, AProfileColordRefusesLeavesTheOldOneAsTheDefault) {
    const QString device = device_on(QStringLiteral("DVI-D-1"));
    ASSERT_FALSE(device.isEmpty());
    const QString old = with_old_profile(device);
    const QString colord = client_.find_device(platform::colord_display_for_device(device));
    ASSERT_FALSE(colord.isEmpty());

    // colord reads a profile before it takes it: one that is no ICC profile is refused after
    // it was installed.
    const QString broken = platform::color_directory() + QStringLiteral("/broken.icm");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(512, 'x'));
    file.close();
    EXPECT_EQ(installAndReplaceAssociations(device, broken), kAssociateFailed);
    EXPECT_EQ(profiles_of(colord), QStringList{old});

    // A file that cannot be installed never gets as far as the old associations.
    EXPECT_EQ(installAndReplaceAssociations(device, QStringLiteral("/nonexistent/none.icm")),
              kInstallFailed);
    EXPECT_EQ(profiles_of(colord), QStringList{old});
}

TEST_F(ColordModeProfile, ASimulatedMonitorNeverTouchesTheDesktopsDeviceForItsOutput) {
    // The simulator's desktop, as scripts/run and the program in simulation have it.
    sim_services_ = std::make_unique<platform::CSimDisplayServices>(sim::CSimConfig::default_set());
    platform::set_display_services(sim_services_.get());
    QString device;
    for (const auto& adapter : sim_services_->adapters())
        for (const auto& monitor : adapter.monitors)
            if (monitor.device_name.endsWith(QStringLiteral("-DP-1"))) device = monitor.device_id;
    ASSERT_FALSE(device.isEmpty());

    // No device earlier cases made for the simulated EDID: only the output's name is left to
    // lead to the real monitor's device.
    const platform::CColordDisplay by_edid =
        platform::colord_display(QString(), sim_services_->monitor_edid(device));
    for (const QString& id : by_edid.candidate_ids)
        colormgr({QStringLiteral("delete-device"), id});

    // A real monitor on an output of the same name, as the desktop's colour plugin made it,
    // with a profile of its own.
    platform::CColordDisplay real;
    real.connector = QStringLiteral("DP-1");
    real.device_id = QStringLiteral("xrandr-DP-1");
    real.candidate_ids = {real.device_id};
    const QString real_device = client_.create_device(real);
    ASSERT_FALSE(real_device.isEmpty()) << client_.error().toStdString();
    ProfileSpec spec = sample_spec(platform::color_directory() + QStringLiteral("/real.icm"));
    spec.description = QStringLiteral("the real monitor");
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    const QString real_profile = client_.profile_for_file(spec.path);
    ASSERT_FALSE(real_profile.isEmpty()) << client_.error().toStdString();
    ASSERT_TRUE(client_.add_profile(real_device, real_profile));
    ASSERT_TRUE(client_.make_profile_default(real_device, real_profile));
    const QStringList before = profiles_of(real_device);
    ASSERT_EQ(before, QStringList{QStringLiteral("real.icm")});

    // Two mode changes of the simulated monitor on DP-1.
    for (const int memory : {1, 2}) {
        const picture_mode::ProfileResult made =
            picture_mode::make_active_mode_profile(monitor_, request(device, memory));
        ASSERT_EQ(made.outcome, picture_mode::ProfileOutcome::updated) << memory;
    }
    EXPECT_EQ(profiles_of(real_device), before);

    // The simulated monitor's profile went to a device of the simulator's own, which carries
    // neither the output's name nor an EDID.
    const CColormgrAnswer own =
        colormgr({QStringLiteral("find-device"), QStringLiteral("orvale-sim-KX271W-71000123")});
    ASSERT_EQ(own.exitCode, 0) << own.text.toStdString();
    EXPECT_FALSE(own.text.contains(QLatin1String("XRANDR_name"))) << own.text.toStdString();
    EXPECT_FALSE(own.text.contains(QLatin1String("OutputEdidMd5"))) << own.text.toStdString();
    const QString own_device = own.fields.value(QStringLiteral("Object Path"));
    EXPECT_EQ(profiles_of(own_device),
              QStringList{QFileInfo(picture_mode::mode_profile_path(platform::color_directory(),
                                                                    QStringLiteral("KX271W"),
                                                                    QStringLiteral("71000123")))
                              .fileName()});
}

}  // namespace
