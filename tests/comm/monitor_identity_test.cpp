#include <QPointer>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "comm/supported_models.h"
#include "comm/target_display.h"
#include "monitor_fixture.h"
#include "platform/interface_info.h"
#include "sim/sim_model.h"

namespace {

using monitor_testing::MonitorTest;

// Interfaces: KX271W video and USB, KX272W video (the special model), a KX241W whose video
// link fails every transfer, the third-party monitor.
constexpr int kKx271 = 0;
constexpr int kKx271Usb = 1;
constexpr int kKx272 = 2;
constexpr int kKx241Broken = 3;
constexpr int kGeneric = 4;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true},
    {"model": "KX272W", "serial": "72000042"},
    {"model": "KX241W", "serial": "41000456", "video": "unusable"},
    {"model": "Generic 24", "serial": "24000789"}]})";

// The identifier as the rule builds it from EDID bytes 8 to 11.
std::int32_t identifier_of(const QByteArray& edid) {
    auto b = [&](int i) { return std::uint32_t(std::uint8_t(edid[i])); };
    return static_cast<std::int32_t>((b(8) + 256 * b(9)) << 16 | (b(10) + 256 * b(11)));
}

class MonitorIdentityTest : public MonitorTest {
  protected:
    void SetUp() override { simulate(kConfig); }
};

TEST_F(MonitorIdentityTest, IdentityComesFromTheEdid) {
    open(kKx271);
    const sim::CSimMonitor& m = sim_monitor(0);
    EXPECT_EQ(monitor.read_edid(), 0);
    EXPECT_TRUE(monitor.edid_valid());
    EXPECT_EQ(monitor.model_name(), m.model().name);
    EXPECT_EQ(monitor.serial_number(), QString::fromLatin1(m.serial()));

    std::array<std::uint8_t, 256> copy{};
    copy.fill(0xAA);
    EXPECT_EQ(monitor.copy_edid(copy.data(), 256), 0);
    EXPECT_EQ(std::memcmp(copy.data(), m.edid().constData(), 128), 0);
    EXPECT_TRUE(std::all_of(copy.begin() + 128, copy.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(monitor.copy_edid(copy.data(), 257), -1);

    std::int32_t id = 0;
    EXPECT_EQ(monitor.product_id(id), 0);
    EXPECT_EQ(id, identifier_of(m.edid()));
    EXPECT_TRUE(supported_models::is_supported_monitor_id(id));

    int width = 0, height = 0;
    EXPECT_EQ(monitor.image_size_mm(width, height), 0);
    EXPECT_EQ(width, m.model().width_cm * 10);
    EXPECT_EQ(height, m.model().height_cm * 10);
    EXPECT_EQ(monitor.is_digital_input(), (std::uint8_t(m.edid()[20]) & 0x80) ? 1 : 0);

    CCIEYxy red, green, blue;
    EXPECT_EQ(monitor.edid_primaries(red, green, blue), 0);
    const std::array<CCIEYxy*, 3> primaries = {&red, &green, &blue};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(primaries[i]->Y, 1.0);
        EXPECT_NEAR(primaries[i]->x, m.model().native[2 * i], 1.0 / 1024);
        EXPECT_NEAR(primaries[i]->y, m.model().native[2 * i + 1], 1.0 / 1024);
    }
    EXPECT_FALSE(monitor.is_special_model());
}

TEST_F(MonitorIdentityTest, WithoutAnEdidTheIdentityIsEmptyNotAnError) {
    open(kKx241Broken);
    EXPECT_EQ(monitor.serial_number(), QString());
    EXPECT_EQ(monitor.model_name(), QString());
    EXPECT_FALSE(monitor.edid_valid());
    std::int32_t id = 123;
    EXPECT_EQ(monitor.product_id(id), -1);
    EXPECT_EQ(id, 0);
    CCIEYxy r, g, b;
    EXPECT_EQ(monitor.edid_primaries(r, g, b), -1);
    EXPECT_EQ(monitor.is_digital_input(), -1);

    // An EDID handed over with a broken checksum counts as none.
    QByteArray edid = sim_monitor(0).edid();
    edid[127] = char(edid[127] + 1);
    EXPECT_EQ(monitor.set_edid(reinterpret_cast<const std::uint8_t*>(edid.constData()), 128), -1);
    EXPECT_FALSE(monitor.edid_valid());
    EXPECT_EQ(monitor.set_edid(nullptr, 300), -1);

    // A good one handed over is decoded as if read.
    const QByteArray good = sim_monitor(0).edid();
    EXPECT_EQ(monitor.set_edid(reinterpret_cast<const std::uint8_t*>(good.constData()), 128), 0);
    EXPECT_EQ(monitor.serial_number(), QString::fromLatin1(sim_monitor(0).serial()));
}

TEST_F(MonitorIdentityTest, OverUsbTheNamesGivenWinAndResetForgetsEverything) {
    open(kKx271Usb);
    monitor.set_usb(true);
    monitor.set_serial_number(QStringLiteral("USB-SERIAL"));
    monitor.set_model_name(QStringLiteral("KX272W USB"));
    ASSERT_EQ(monitor.read_edid(), 0);
    EXPECT_EQ(monitor.serial_number(), QStringLiteral("USB-SERIAL"));
    EXPECT_EQ(monitor.model_name(), QStringLiteral("KX272W USB"));
    EXPECT_TRUE(monitor.is_special_model());
    EXPECT_TRUE(monitor.uses_percent_brightness());
    EXPECT_TRUE(monitor.has_simulated_dicom());

    ASSERT_EQ(monitor.read_capabilities(), 0);
    monitor.reset();
    EXPECT_FALSE(monitor.is_usb());
    EXPECT_FALSE(monitor.edid_valid());
    EXPECT_FALSE(monitor.capability_record().is_parsed());
    std::array<char, 8> text{};
    text.fill('x');
    EXPECT_EQ(monitor.copy_capabilities(text.data(), 8), 0);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(monitor.model_name(), sim_monitor(0).model().name) << "read again from the EDID";
}

TEST_F(MonitorIdentityTest, CapabilitiesAndFirmware) {
    open(kKx271);
    const sim::CSimModel& model = sim_monitor(0).model();
    EXPECT_EQ(monitor.read_capabilities(), 0);
    std::array<char, 8192> text{};
    EXPECT_EQ(monitor.copy_capabilities(text.data(), 8192), model.capabilities.size());
    EXPECT_EQ(QByteArray(text.data()), model.capabilities);
    int size = 0;
    EXPECT_EQ(monitor.gamma_table_size(size), 0);
    EXPECT_EQ(size, model.table_size());

    EXPECT_EQ(monitor.firmware_version(), QString::fromLatin1(model.firmware));
    std::array<int, 4> expected{};
    const int parts = std::sscanf(model.firmware.constData(), "%d.%d.%d.%d", &expected[0],
                                  &expected[1], &expected[2], &expected[3]);
    ASSERT_GE(parts, 2);
    std::array<int, 4> numbers{-1, -1, -1, -1};
    EXPECT_EQ(monitor.firmware_version_numbers(numbers[0], numbers[1], numbers[2], numbers[3]), 0);
    EXPECT_EQ(numbers, expected);
    std::array<char, 4> cut{};
    EXPECT_EQ(monitor.copy_firmware_version(cut.data(), 4), 0);
    EXPECT_EQ(std::string(cut.data()), model.firmware.left(3).toStdString());

    // A string handed over is parsed in place of the monitor's, without asking the monitor.
    const int before = exchanges(0);
    EXPECT_EQ(monitor.set_capabilities("(vcp(10 12) mpu_ver(3.02) gamma_table(size(300)))"), 0);
    EXPECT_EQ(monitor.firmware_version_numbers(numbers[0], numbers[1], numbers[2], numbers[3]), 0);
    EXPECT_EQ(numbers, (std::array<int, 4>{3, 2, 0, 0}));
    EXPECT_EQ(exchanges(0), before);

    // At most 8191 characters are kept.
    const std::string long_text = "vcp(10)" + std::string(9000, 'a');
    monitor.set_capabilities(long_text);
    std::vector<char> all(9000, 'x');
    EXPECT_EQ(monitor.copy_capabilities(all.data(), 9000), 8191);
    EXPECT_EQ(all[8191], '\0');
}

// --- the display target ---------------------------------------------------------------------

class TargetDisplayTest : public MonitorIdentityTest {
  protected:
    DisplayInfo record(int index, std::int32_t id) {
        DisplayInfo info;
        info.index = index;
        info.monitorId = id;
        info.ddcCapable = 1;
        return info;
    }
};

TEST_F(TargetDisplayTest, NoMonitorOrAnUnsupportedOne) {
    CTargetDisplay target;
    EXPECT_EQ(target.status(), -1);
    EXPECT_EQ(target.connect(record(-1, identifier_of(sim_monitor(0).edid()))), 0);
    EXPECT_EQ(target.monitor(), nullptr);
    EXPECT_EQ(target.status(), 0);

    DisplayInfo silent = record(kKx271, identifier_of(sim_monitor(0).edid()));
    silent.ddcCapable = 0;
    EXPECT_EQ(target.connect(silent), 0);
    EXPECT_EQ(target.monitor(), nullptr);

    const std::int32_t third_party = identifier_of(sim_monitor(3).edid());
    EXPECT_FALSE(supported_models::is_supported_monitor_id(third_party));
    EXPECT_EQ(target.connect(record(kGeneric, third_party)), -1);
    EXPECT_EQ(target.status(), -1);
    EXPECT_EQ(target.monitor(), nullptr);
    EXPECT_FALSE(target.monitor_is_usb());
}

TEST_F(TargetDisplayTest, AUsbMonitorTakesTheRecordsNames) {
    CTargetDisplay target;
    DisplayInfo info = record(kKx271Usb, identifier_of(sim_monitor(0).edid()));
    info.writeNames = 1;
    info.text1 = QStringLiteral("KX271W");
    info.text2 = QStringLiteral("71000123");
    info.text3 = QString::fromLatin1(sim_monitor(0).model().capabilities);
    const int before = exchanges(0);
    EXPECT_EQ(target.connect(info), 0);
    EXPECT_EQ(target.status(), 0);
    ASSERT_NE(target.monitor(), nullptr);
    EXPECT_TRUE(target.monitor_is_usb());
    EXPECT_EQ(target.monitor()->model_name(), info.text1);
    EXPECT_EQ(target.monitor()->serial_number(), info.text2);
    EXPECT_TRUE(target.monitor()->capability_record().is_parsed());
    EXPECT_EQ(target.monitor()->capability_record().size, sim_monitor(0).model().table_size());
    EXPECT_EQ(exchanges(0), before) << "everything came with the record";

    // The monitor opened is the one behind the interface.
    int contrast = 0;
    EXPECT_EQ(target.monitor()->get_value(0x12, contrast), 0);
    EXPECT_EQ(contrast, sim_monitor(0).read_feature(0x12).current);
    EXPECT_EQ(target.info().text2, info.text2);
}

TEST_F(TargetDisplayTest, AVideoMonitorKeepsItsOwnIdentityAndReconnectingReplacesIt) {
    CTargetDisplay target;
    EXPECT_EQ(target.connect(record(kKx272, -1)), 0);
    ASSERT_NE(target.monitor(), nullptr);
    EXPECT_FALSE(target.monitor_is_usb());
    EXPECT_EQ(target.monitor()->model_name(), QStringLiteral("KX272W"));
    EXPECT_TRUE(target.monitor()->is_special_model());
    EXPECT_FALSE(target.monitor()->capability_record().is_parsed());

    QPointer<CDDCMonitor> first = target.monitor();
    EXPECT_EQ(target.connect(record(-1, -1)), 0);
    EXPECT_TRUE(first.isNull()) << "the monitor of the previous record is released";
    EXPECT_EQ(target.monitor(), nullptr);
}

TEST_F(TargetDisplayTest, MissingAccessOrInterfaceInformation) {
    const std::int32_t id = identifier_of(sim_monitor(0).edid());
    CTargetDisplay target;
    EXPECT_EQ(target.connect(record(99, id)), -3);
    EXPECT_EQ(target.status(), 0);

    platform::CAccessLibrary* kept = platform::access_library();
    platform::set_access_library(nullptr);
    EXPECT_EQ(target.connect(record(kKx271, id)), -2);
    platform::set_access_library(kept);
    EXPECT_EQ(target.status(), 0);
}

}  // namespace
