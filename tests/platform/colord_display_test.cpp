#include <gtest/gtest.h>

#include <QCryptographicHash>

#include "platform/color_system.h"
#include "platform/colord_display.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

using namespace platform;
using testing_support::write_file;

namespace {

QByteArray edid_of(const char* model, const QByteArray& serial) {
    return sim::build_edid(*sim::find_sim_model(QLatin1String(model)), serial);
}

TEST(ColordDisplayNames, FollowTheDesktopsDeviceIds) {
    const QByteArray edid = edid_of("KX271W", "71000123");
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(edid, QCryptographicHash::Md5).toHex());

    // Without the PNP list the vendor is its code; the output's id comes last.
    const CColordDisplay plain = colord_display(QStringLiteral("DP-1"), edid, {});
    EXPECT_EQ(plain.device_id, QStringLiteral("xrandr-KST-KX271W-71000123"));
    EXPECT_EQ(plain.candidate_ids, (QStringList{QStringLiteral("xrandr-KST-KX271W-71000123"),
                                                QStringLiteral("xrandr-DP-1")}));
    EXPECT_EQ(plain.edid_md5, md5);
    EXPECT_EQ(plain.vendor_code, QStringLiteral("KST"));

    // With it, the registered name, and the code as a second choice.
    const QString pnp = testing_support::sandbox_folder() + QStringLiteral("/pnp.ids");
    ASSERT_TRUE(write_file(pnp, "KSS\tSomeone Else\nKST\tKestrel Displays\nKSU\tNobody\n"));
    const CColordDisplay named = colord_display(QStringLiteral("DP-1"), edid,
                                                {testing_support::sandbox_folder() + "/none", pnp});
    EXPECT_EQ(named.device_id, QStringLiteral("xrandr-Kestrel Displays-KX271W-71000123"));
    EXPECT_EQ(named.candidate_ids.value(1), QStringLiteral("xrandr-KST-KX271W-71000123"));
    EXPECT_EQ(named.candidate_ids.value(2), QStringLiteral("xrandr-DP-1"));
}

TEST(ColordDisplayNames, MissingDescriptorsFallBackToTheNumbers) {
    // The third-party monitor's EDID has no serial descriptor: its numeric serial stands in.
    const QByteArray edid = edid_of("Generic 24", "24000789");
    const CColordDisplay d = colord_display(QStringLiteral("HDMI-A-1"), edid, {});
    EXPECT_EQ(d.serial, QStringLiteral("0x%1").arg(sim::edid_serial_number("24000789"), 8, 16,
                                                   QLatin1Char('0')));
    EXPECT_TRUE(d.device_id.endsWith(QLatin1Char('-') + d.serial));

    // Without a name descriptor, the product code in hex.
    QByteArray nameless = edid_of("KX271W", "71000123");
    for (int start = 54; start < 126; start += 18)
        if (nameless[start] == 0 && nameless[start + 3] == char(0xFC))
            nameless[start + 3] = char(0x10);
    EXPECT_EQ(colord_display(QString(), nameless, {}).model, QStringLiteral("0x6c11"));

    // No EDID: only the output names the display; nothing at all: no id.
    const CColordDisplay bare = colord_display(QStringLiteral("DP-2"), QByteArray(), {});
    EXPECT_EQ(bare.device_id, QStringLiteral("xrandr-DP-2"));
    EXPECT_TRUE(bare.edid_md5.isEmpty());
    EXPECT_TRUE(colord_display(QString(), QByteArray(128, '\0'), {}).candidate_ids.isEmpty());
}

TEST(ColordDisplayNames, OutputNameComesFromTheDeviceName) {
    EXPECT_EQ(connector_of_device(QStringLiteral("MONITOR\\KST6C11\\card0-DP-1")),
              QStringLiteral("DP-1"));
    EXPECT_EQ(connector_of_device(QStringLiteral("card12-HDMI-A-2")), QStringLiteral("HDMI-A-2"));
    EXPECT_EQ(connector_of_device(QStringLiteral("MONITOR\\Default_Monitor\\card1-eDP-1")),
              QStringLiteral("eDP-1"));
    EXPECT_EQ(connector_of_device(QStringLiteral("card0")), QString());
    EXPECT_EQ(connector_of_device(QString()), QString());
}

TEST(ColordFallback, WithoutColordTheStoreKeepsAssociationsAndOneLineSaysSo) {
    // The test main points the system bus at a socket that is not there.
    const QString source = testing_support::sandbox_folder() + QStringLiteral("/fallback/p.icm");
    QByteArray header(128, '\0');
    header.replace(12, 4, "mntr");
    ASSERT_TRUE(write_file(source, header));
    ASSERT_TRUE(install_color_profile(source));

    testing_support::LogCapture log("orvale.colord");
    ASSERT_TRUE(associate_color_profile(QStringLiteral("card0-DP-3"), QStringLiteral("p.icm")));
    ASSERT_TRUE(associate_color_profile(QStringLiteral("card0-DP-4"), QStringLiteral("p.icm")));
    CColorProfileQuery query;
    query.fields = CColorProfileQuery::kDeviceName;
    query.device_name = QStringLiteral("card0-DP-3");
    EXPECT_EQ(enum_color_profiles(query), QStringList{QStringLiteral("p.icm")});
    // However many calls, the fallback is told at most once (and not at all when an earlier
    // test of this process already told it), never as a warning of a failure.
    EXPECT_LE(log.lines().size(), 1) << log.text().toStdString();
    for (const QString& line : log.lines())
        EXPECT_TRUE(line.contains(QLatin1String("colord does not answer on the system bus")))
            << line.toStdString();
}

}  // namespace
