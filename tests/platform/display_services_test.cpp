#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "fake_i2c_bus.h"
#include "platform/display_services.h"
#include "platform/edid_identity.h"
#include "platform/linux_display_services.h"
#include "platform/sim_display_services.h"
#include "sim/sim_config.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"

namespace {

using platform::CDisplayAdapterDevice;
using platform::CDisplayMonitorDevice;
using platform::CScreenGeometry;

QByteArray model_edid(const char* model, const char* serial) {
    return sim::build_edid(*sim::find_sim_model(QString::fromLatin1(model)), serial);
}

// Manufacturer letters and product code as the EDID's bytes 8..11 lay them out.
QString identifier_of(const sim::CSimModel& model) {
    return QString::fromLatin1(model.vendor) +
           QStringLiteral("%1").arg(model.product_code, 4, 16, QLatin1Char('0')).toUpper();
}

TEST(EdidIdentity, IdentifierAndDescriptorTextsFromRawBytes) {
    QByteArray edid = model_edid("KX271W", "71000123");
    EXPECT_TRUE(platform::has_edid_header(edid));
    EXPECT_EQ(platform::edid_identifier(edid), identifier_of(*sim::find_sim_model("KX271W")));
    EXPECT_EQ(platform::edid_descriptor_text(edid, platform::kEdidNameTag), "KX271W");
    EXPECT_EQ(platform::edid_descriptor_text(edid, platform::kEdidSerialTag), "71000123");

    // Vendor bytes 0x04 0x43 are the letters A, B, C; product bytes 0x34 0x12 make 1234.
    edid[8] = 0x04;
    edid[9] = 0x43;
    edid[10] = 0x34;
    edid[11] = 0x12;
    EXPECT_EQ(platform::edid_identifier(edid), "ABC1234");

    EXPECT_TRUE(
        platform::edid_descriptor_text(model_edid("Generic 24", "1"), platform::kEdidSerialTag)
            .isEmpty())
        << "the third-party model has no serial descriptor";
    edid[1] = 0x00;
    EXPECT_FALSE(platform::has_edid_header(edid));
    EXPECT_TRUE(platform::edid_identifier(edid).isEmpty());
    EXPECT_TRUE(platform::edid_identifier(QByteArray("\x00\xFF", 2)).isEmpty());
}

sim::CSimConfig parse_config(const char* json) {
    sim::CSimConfig config;
    QString error;
    EXPECT_TRUE(sim::CSimConfig::parse(QByteArray(json), QString(), config, &error))
        << error.toStdString();
    return config;
}

// Two monitors on card0, a display without EDID and an inactive one on card1, and a mirroring
// pseudo-adapter between them.
const char* kDesktop = R"({
    "monitors": [
        {"id": "a", "model": "KX271W", "serial": "1001", "usb": true},
        {"id": "b", "model": "KX241W", "serial": "1002"},
        {"id": "c", "model": "KX302W", "serial": "1003"}
    ],
    "displays": [
        {"connector": "DP-1", "adapter": "card0", "monitor": "a", "x": 0, "y": 0,
         "width": 2560, "height": 1440, "primary": true},
        {"connector": "DP-2", "adapter": "card0", "monitor": "b", "x": 2560, "y": 0,
         "width": 1920, "height": 1200},
        {"connector": "Virtual-1", "adapter": "mirror", "adapter_description": "Mirror",
         "monitor": "a", "mirroring": true, "x": 0, "y": 0, "width": 2560, "height": 1440},
        {"connector": "HDMI-A-1", "adapter": "card1", "description": "Projector",
         "x": 4480, "y": 0, "width": 1920, "height": 1080, "edid": false},
        {"connector": "DP-3", "adapter": "card1", "monitor": "c", "active": false,
         "x": 6400, "y": 0, "width": 2560, "height": 1600}
    ]
})";

TEST(SimDisplayServices, AdaptersMonitorsAndFlagsFollowTheDisplayList) {
    platform::CSimDisplayServices services(parse_config(kDesktop));
    const std::vector<CDisplayAdapterDevice> adapters = services.adapters();
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].device_name, "card0");
    EXPECT_EQ(adapters[1].device_name, "mirror");
    EXPECT_EQ(adapters[2].device_name, "card1");
    EXPECT_FALSE(adapters[0].mirroring);
    EXPECT_TRUE(adapters[1].mirroring);
    EXPECT_TRUE(adapters[0].primary);
    EXPECT_FALSE(adapters[2].primary);
    EXPECT_TRUE(adapters[0].attached_to_desktop);
    EXPECT_TRUE(adapters[2].attached_to_desktop) << "the projector is on the desktop";
    ASSERT_EQ(adapters[0].monitors.size(), 2u);
    ASSERT_EQ(adapters[2].monitors.size(), 2u);

    const CDisplayMonitorDevice& dp2 = adapters[0].monitors[1];
    EXPECT_EQ(dp2.device_name, "card0-DP-2");
    EXPECT_EQ(dp2.description, "KX241W");
    EXPECT_EQ(dp2.device_id,
              "MONITOR\\" + identifier_of(*sim::find_sim_model("KX241W")) + "\\card0-DP-2");
    EXPECT_TRUE(dp2.active && dp2.attached);
    EXPECT_EQ(dp2.mode.position, QPoint(2560, 0));
    EXPECT_EQ(dp2.mode.size, QSize(1920, 1200));

    const CDisplayMonitorDevice& projector = adapters[2].monitors[0];
    EXPECT_EQ(projector.description, "Projector");
    EXPECT_TRUE(projector.device_id.startsWith("MONITOR\\Default_Monitor\\"));
    EXPECT_TRUE(services.monitor_edid(projector.device_id).isEmpty());

    const CDisplayMonitorDevice& inactive = adapters[2].monitors[1];
    EXPECT_FALSE(inactive.active);
    EXPECT_TRUE(inactive.attached);
    EXPECT_EQ(services.monitor_edid(inactive.device_id.toLower()), model_edid("KX302W", "1003"))
        << "identifiers compare without regard to case";
}

TEST(SimDisplayServices, DesktopAreasOnlyForDisplaysShowingTheDesktop) {
    platform::CSimDisplayServices services(parse_config(kDesktop));
    platform::CDesktopArea area;
    ASSERT_TRUE(services.monitor_at(QPoint(3000, 100), area));
    EXPECT_EQ(area.rectangle, QRect(2560, 0, 1920, 1200));
    EXPECT_EQ(area.work_area, area.rectangle);
    const quintptr second = area.handle;
    ASSERT_TRUE(services.monitor_at(QPoint(10, 10), area));
    EXPECT_EQ(area.rectangle, QRect(0, 0, 2560, 1440));
    EXPECT_LT(area.work_area.height(), area.rectangle.height()) << "the panel's strip";
    EXPECT_NE(area.handle, second);
    EXPECT_FALSE(services.monitor_at(QPoint(7000, 10), area)) << "inactive";
    EXPECT_FALSE(services.monitor_at(QPoint(-5, 10), area));
}

TEST(SimDisplayServices, DriverValuesAndAdapterDriverByTheirKeys) {
    platform::CSimDisplayServices services(parse_config(kDesktop));
    const auto adapters = services.adapters();
    platform::CMonitorDriverValues values;
    ASSERT_TRUE(services.driver_values(adapters[0].monitors[0].device_key, values));
    EXPECT_FALSE(values.driver_desc.isEmpty());
    EXPECT_FALSE(services.driver_values("card9-DP-9", values));
    QString key, version;
    EXPECT_TRUE(services.adapter_driver(adapters[2].device_id, key, version));
    EXPECT_TRUE(key.contains("card1"));
    EXPECT_FALSE(services.adapter_driver("nothing", key, version));
}

struct LinuxDesktop : ::testing::Test {
    void SetUp() override {
        machine.add_card("card0", "amdgpu", "1002:73BF", "3.57");
        machine.add_card("card1", "udl", "");
        machine.add_connector("card0", "DP-1", true, true, kx271, "i2c-5");
        machine.add_connector("card0", "DP-2", false, false, QByteArray(), "i2c-6");
        machine.add_connector("card0", "DP-10", true, true, kx241, QString(), "i2c-14");
        machine.add_connector("card0", "HDMI-A-1", true, false, generic, "i2c-7");
        machine.add_connector("card0", "Writeback-1", true, true, QByteArray());
        machine.add_connector("card1", "DVI-I-1", true, true, QByteArray());
    }
    QTemporaryDir dir;
    testing_support::FakeMachine machine{dir.path()};
    QByteArray kx271 = model_edid("KX271W", "71000123");
    QByteArray kx241 = model_edid("KX241W", "41000456");
    QByteArray generic = model_edid("Generic 24", "9");
};

TEST_F(LinuxDesktop, ConnectedOutputsJoinedWithTheScreensByConnectorName) {
    platform::CLinuxDisplayServices services(machine.sys, false);
    services.set_screens({
        {"DP1", "KX271W", "71000123", QRect(0, 0, 2560, 1440), QRect(0, 0, 2560, 1400), 24, 59.95,
         true},
        {"DisplayPort-9", "KX241W", "41000456", QRect(2560, 0, 1920, 1200),
         QRect(2560, 0, 1920, 1200), 24, 60, false},
        {"DVI-I-1", "", "", QRect(4480, 0, 1024, 768), QRect(4480, 0, 1024, 768), 16, 75, false},
    });
    const std::vector<CDisplayAdapterDevice> adapters = services.adapters();
    ASSERT_EQ(adapters.size(), 2u);
    const CDisplayAdapterDevice& card0 = adapters[0];
    EXPECT_EQ(card0.device_name, "card0");
    EXPECT_TRUE(card0.description.contains("amdgpu"));
    EXPECT_TRUE(card0.description.contains("1002:73BF"));
    EXPECT_TRUE(card0.primary);
    EXPECT_TRUE(card0.attached_to_desktop);
    EXPECT_FALSE(card0.mirroring);

    ASSERT_EQ(card0.monitors.size(), 3u) << "DP-1, DP-10, HDMI-A-1: connected, no writeback";
    const CDisplayMonitorDevice& dp1 = card0.monitors[0];
    const CDisplayMonitorDevice& dp10 = card0.monitors[1];
    const CDisplayMonitorDevice& hdmi = card0.monitors[2];
    EXPECT_EQ(dp1.device_name, "card0-DP-1");
    EXPECT_EQ(dp10.device_name, "card0-DP-10");
    EXPECT_EQ(hdmi.device_name, "card0-HDMI-A-1");

    EXPECT_EQ(dp1.description, "KX271W");
    EXPECT_EQ(dp1.device_id,
              "MONITOR\\" + identifier_of(*sim::find_sim_model("KX271W")) + "\\card0-DP-1");
    EXPECT_TRUE(dp1.active && dp1.attached);
    EXPECT_EQ(dp1.mode.position, QPoint(0, 0));
    EXPECT_EQ(dp1.mode.size, QSize(2560, 1440));
    EXPECT_EQ(dp1.mode.frequency, 60);
    EXPECT_EQ(dp1.ddc_bus, "i2c-5");
    EXPECT_EQ(services.monitor_edid(dp1.device_id), kx271);

    EXPECT_TRUE(dp10.active) << "found by the EDID's name and serial";
    EXPECT_EQ(dp10.mode.position, QPoint(2560, 0));
    EXPECT_EQ(dp10.ddc_bus, "i2c-14") << "its DisplayPort AUX bus";

    EXPECT_TRUE(hdmi.attached);
    EXPECT_FALSE(hdmi.active) << "connected but switched off";
    EXPECT_FALSE(hdmi.mode.valid);

    const CDisplayMonitorDevice& dvi = adapters[1].monitors.at(0);
    EXPECT_TRUE(dvi.device_id.startsWith("MONITOR\\Default_Monitor\\"));
    EXPECT_TRUE(services.monitor_edid(dvi.device_id).isEmpty());
    EXPECT_EQ(dvi.mode.bits_per_pixel, 16);

    QString key, version;
    ASSERT_TRUE(services.adapter_driver(card0.device_id, key, version));
    EXPECT_EQ(key, "amdgpu");
    EXPECT_EQ(version, "3.57");
    platform::CMonitorDriverValues values;
    EXPECT_FALSE(services.driver_values(dp1.device_key, values)) << "Linux keeps none";

    platform::CDesktopArea area;
    ASSERT_TRUE(services.monitor_at(QPoint(100, 100), area));
    EXPECT_EQ(area.work_area, QRect(0, 0, 2560, 1400));
}

TEST_F(LinuxDesktop, WithoutScreensNothingIsActiveAndWithoutDrmNothingIsListed) {
    platform::CLinuxDisplayServices services(machine.sys, false);
    for (const auto& adapter : services.adapters()) {
        EXPECT_FALSE(adapter.attached_to_desktop);
        for (const auto& monitor : adapter.monitors)
            EXPECT_FALSE(monitor.active) << monitor.device_name.toStdString();
    }
    platform::CLinuxDisplayServices empty(dir.path() + "/nowhere", false);
    EXPECT_TRUE(empty.adapters().empty());
}

TEST(LinuxDisplayServicesMatch, NameThenPlainNameThenEdidIdentity) {
    platform::CDrmConnector connector;
    connector.name = "HDMI-A-1";
    connector.edid = model_edid("KX271W", "555");
    std::vector<CScreenGeometry> screens(3);
    screens[0].name = "HDMIA1";
    screens[1].name = "HDMI-A-1";
    screens[2].name = "HDMI-0";
    screens[2].model = "KX271W";
    screens[2].serial = "555";
    EXPECT_EQ(platform::CLinuxDisplayServices::match_screen(connector, screens), 1);
    screens[1].name = "DP-4";
    EXPECT_EQ(platform::CLinuxDisplayServices::match_screen(connector, screens), 0);
    screens[0].name = "x";
    EXPECT_EQ(platform::CLinuxDisplayServices::match_screen(connector, screens), 2);
    screens[2].serial = "556";
    EXPECT_EQ(platform::CLinuxDisplayServices::match_screen(connector, screens), -1);
    connector.edid = model_edid("Generic 24", "555");
    screens[2].model = "Generic 24";
    EXPECT_EQ(platform::CLinuxDisplayServices::match_screen(connector, screens), -1)
        << "a name without a serial proves nothing";
}

TEST(DisplayServicesFactory, SimulatedDesktopWhenTheSimulatorIsConfigured) {
    const QByteArray previous = qgetenv(sim::CSimConfig::kConfigVariable);
    qputenv(sim::CSimConfig::kConfigVariable, "default");
    auto simulated = platform::create_display_services();
    auto* services = dynamic_cast<platform::CSimDisplayServices*>(simulated.get());
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(services->adapters().at(0).monitors.size(),
              sim::CSimConfig::default_set().displays.size());
    qunsetenv(sim::CSimConfig::kConfigVariable);
    EXPECT_NE(
        dynamic_cast<platform::CLinuxDisplayServices*>(platform::create_display_services().get()),
        nullptr);

    platform::set_display_services_factory(
        [] { return std::make_unique<platform::CSimDisplayServices>(sim::CSimConfig()); });
    EXPECT_TRUE(platform::create_display_services()->adapters().empty());
    platform::set_display_services_factory(nullptr);
    if (!previous.isEmpty()) qputenv(sim::CSimConfig::kConfigVariable, previous);
}

}  // namespace
