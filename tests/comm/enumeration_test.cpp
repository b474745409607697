#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "comm/display_enumeration.h"
#include "comm/interface_enumeration.h"
#include "comm/multi_monitor.h"
#include "platform/access_library.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "sim/sim_config.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"

namespace {

// The identifier the access library and the EDID give a monitor: EDID bytes 8..11 as
// (byte 8 + 256 * byte 9) << 16 | (byte 10 + 256 * byte 11).
std::int32_t identifier_of(const char* model) {
    const QByteArray e = sim::build_edid(*sim::find_sim_model(QString::fromLatin1(model)), "1");
    auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(e[i])); };
    return static_cast<std::int32_t>((b(8) + 256 * b(9)) << 16 | (b(10) + 256 * b(11)));
}

// A simulated machine: the simulator's monitors behind the access object and its desktop
// behind the display services.
struct SimulatedDesktop : ::testing::Test {
    void start(const char* json) {
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(QByteArray(json), dir.path(), config, &error))
            << error.toStdString();
        config.state_file = dir.path() + QStringLiteral("/state.json");
        library = std::make_unique<platform::CAccessLibrary>();
        library->add_backend(std::make_unique<platform::CSimBackend>(config));
        services = std::make_unique<platform::CSimDisplayServices>(config);
        platform::set_access_library(library.get());
        platform::set_display_services(services.get());
        platform::interface_enumeration_mode = 3;
    }
    void TearDown() override {
        platform::set_access_library(nullptr);
        platform::set_display_services(nullptr);
    }
    // Full detection as the detection pass runs it.
    void detect(CMultiMonitor& monitors) {
        monitors.scan_interfaces();
        monitors.match_scanned();
        monitors.initialise_displays();
    }

    QTemporaryDir dir;
    sim::CSimConfig config;
    std::unique_ptr<platform::CAccessLibrary> library;
    std::unique_ptr<platform::CSimDisplayServices> services;
};

TEST_F(SimulatedDesktop, InterfacesAreIdentifiedAndAnnounced) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX271W", "serial": "71000123", "usb": true},
        {"id": "b", "model": "KX241W", "serial": "41000456", "video": "skip"},
        {"id": "c", "model": "Generic 24", "serial": "24000789"},
        {"id": "d", "model": "KX302W", "serial": "30000001", "video": "unusable"}
    ]})");
    CEnumDDCCI_Monitors enumerator;
    QSignalSpy messages(&enumerator, &CEnumDDCCI_Monitors::detectedMonitor2);
    ASSERT_EQ(enumerator.enumerate(true), 3) << "KX271W video and USB, Generic 24";
    QStringList texts;
    for (const auto& m : messages)
        texts << m.at(0).toString();
    EXPECT_EQ(texts, (QStringList{"KX271W", "KX271W (USB)", "Unknown Display", "Generic 24",
                                  "Unknown Display"}));

    CInterfaceRecord video, usb, generic;
    ASSERT_EQ(enumerator.interface_record(0, video), 0);
    ASSERT_EQ(enumerator.interface_record(1, usb), 0);
    ASSERT_EQ(enumerator.interface_record(2, generic), 0);
    EXPECT_EQ(enumerator.interface_record(3, generic), -1);
    EXPECT_EQ(enumerator.interface_record(-1, generic), -1);

    EXPECT_EQ(video.index, 0);
    EXPECT_EQ(video.model_name, "KX271W");
    EXPECT_EQ(video.serial, "71000123");
    EXPECT_EQ(video.product_id, identifier_of("KX271W"));
    EXPECT_EQ(video.is_usb, 0);
    EXPECT_EQ(video.communicates, 1) << "a supported monitor answers over its video cable";
    const QByteArray edid = sim::build_edid(*sim::find_sim_model("KX271W"), "71000123");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(video.edid.data()), edid.size()), edid);
    EXPECT_TRUE(video.extra.isEmpty());

    EXPECT_EQ(usb.index, 1);
    EXPECT_EQ(usb.is_usb, 1);
    EXPECT_EQ(usb.communicates, 1);
    EXPECT_EQ(usb.serial, "71000123");
    EXPECT_EQ(usb.product_id, identifier_of("KX271W"));
    EXPECT_TRUE(std::all_of(usb.edid.begin(), usb.edid.end(), [](auto b) { return b == 0; }));
    // The area values come from the interface information as they stand.
    platform::CInterfaceInfo info;
    ASSERT_EQ(library->GetDisplayInterfaceInfo(1, &info), 0);
    for (int a = 0; a < 4; ++a)
        EXPECT_EQ(usb.area[static_cast<std::size_t>(a)], info.area(a));

    EXPECT_EQ(generic.index, 3) << "the skipped interface keeps its number";
    EXPECT_EQ(generic.serial, "24000789") << "no serial descriptor: the numeric serial";

    EXPECT_EQ(generic.communicates, 0);

    ASSERT_EQ(enumerator.enumerate(false), 3);
    ASSERT_EQ(enumerator.interface_record(0, video), 0);
    ASSERT_EQ(enumerator.interface_record(1, usb), 0);
    EXPECT_EQ(usb.communicates, 0) << "without the probe nobody is asked";
    EXPECT_EQ(video.communicates, 0);
}

TEST_F(SimulatedDesktop, ASupportedMonitorOnTheVideoCableIsProbedLikeAUsbOne) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX241W", "serial": "41000456"},
        {"id": "b", "model": "KX302W", "serial": "30000987", "ddcci": false},
        {"id": "c", "model": "Generic 24", "serial": "24000789"}
    ]})");
    auto* backend = dynamic_cast<platform::CSimBackend*>(library->backend(0));
    ASSERT_NE(backend, nullptr);
    CMultiMonitor monitors;
    detect(monitors);
    ASSERT_EQ(monitors.display_count(), 3);
    const DisplayInfo answering = monitors.display(0);
    EXPECT_EQ(answering.index, 0);
    EXPECT_EQ(answering.ddcCapable, 1) << "controlled over the video cable";
    EXPECT_EQ(answering.writeNames, 0);
    EXPECT_EQ(answering.supported_model, 1);
    EXPECT_GT(backend->monitor(0)->counters().exchanges, 0);

    // DDC/CI switched off in the monitor's menu: its EDID is read, nothing answers the probe.
    const DisplayInfo silent = monitors.display(1);
    EXPECT_EQ(silent.index, 1);
    EXPECT_EQ(silent.text1, "KX302W");
    EXPECT_EQ(silent.supported_model, 1);
    EXPECT_EQ(silent.ddcCapable, 0);

    // Another maker's monitor is not asked.
    EXPECT_EQ(monitors.display(2).ddcCapable, 0);
    EXPECT_EQ(backend->monitor(2)->counters().exchanges, 0);

    // Switched on again, the next pass finds it answering.
    backend->monitor(1)->set_video_ddcci(true);
    detect(monitors);
    EXPECT_EQ(monitors.display(1).ddcCapable, 1);
}

TEST_F(SimulatedDesktop, NothingWithoutTheAccessObjectOrTheDisplayServices) {
    start(R"({"monitors": [{"id": "a", "model": "KX271W", "serial": "1"}]})");
    platform::set_access_library(nullptr);
    platform::set_display_services(nullptr);
    CMultiMonitor monitors;
    QSignalSpy complete(&monitors, &CMultiMonitor::monitorDetectionComplete);
    EXPECT_EQ(monitors.scan_interfaces(), 0);
    EXPECT_EQ(monitors.display_count(), 0);
    EXPECT_EQ(monitors.interface_count(), 0);
    EXPECT_EQ(complete.count(), 1) << "an empty desktop is a complete list too";
}

TEST_F(SimulatedDesktop, DisplayRecordsFromTheDesktopAndItsStoredEdids) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX302W", "serial": "30000001"},
        {"id": "b", "model": "Generic 24", "serial": "24000789"}
      ], "displays": [
        {"connector": "DP-1", "adapter": "card0", "monitor": "a", "x": 0, "y": 0,
         "width": 2560, "height": 1600, "primary": true},
        {"connector": "HDMI-A-1", "adapter": "card1", "monitor": "b", "x": 2560, "y": 100,
         "width": 1920, "height": 1080}
    ]})");
    CMultiMonitor monitors;
    QSignalSpy complete(&monitors, &CMultiMonitor::monitorDetectionComplete);
    monitors.build_display_list();
    EXPECT_EQ(complete.count(), 1);
    ASSERT_EQ(monitors.display_count(), 2);

    const sim::CSimModel& kx302 = *sim::find_sim_model("KX302W");
    const DisplayInfo first = monitors.display(0);
    EXPECT_EQ(first.index, -1) << "no interface before the matching";
    EXPECT_EQ(first.text1, "KX302W");
    EXPECT_EQ(first.text2, "30000001");
    EXPECT_TRUE(first.text3.isEmpty());
    EXPECT_EQ(first.text4, "card0");
    EXPECT_EQ(first.text5, services->adapters().at(0).monitors.at(0).device_id);
    EXPECT_EQ(first.monitorId, identifier_of("KX302W"));
    EXPECT_EQ(first.supported_model, 1);
    EXPECT_EQ(first.ddcCapable, 0);
    EXPECT_EQ(first.image_width, kx302.width_cm * 10);
    EXPECT_EQ(first.image_height, kx302.height_cm * 10);
    // Chromaticities travel in the EDID as 10-bit fractions.
    for (int p = 0; p < 4; ++p) {
        const CChromaticity c = first.primaries[static_cast<std::size_t>(p)].chromaticity();
        EXPECT_NEAR(c.x, kx302.native[static_cast<std::size_t>(2 * p)], 1.0 / 1024) << p;
        EXPECT_NEAR(c.y, kx302.native[static_cast<std::size_t>(2 * p + 1)], 1.0 / 1024) << p;
        EXPECT_DOUBLE_EQ(first.primaries[static_cast<std::size_t>(p)].Y, 1.0);
    }
    const QByteArray edid = sim::build_edid(kx302, "30000001");
    EXPECT_EQ(QByteArray(first.edid.data(), edid.size()), edid) << "with its extension block";
    EXPECT_EQ(first.desktop_left, 0);
    EXPECT_EQ(first.desktop_right, 2559);
    EXPECT_EQ(first.desktop_bottom, 1599);

    const DisplayInfo second = monitors.display(1);
    EXPECT_EQ(second.text1, "Generic 24");
    EXPECT_EQ(second.text4, "card1");
    EXPECT_EQ(second.supported_model, 0) << "a third-party identifier";
    EXPECT_EQ(second.desktop_left, 2560);
    EXPECT_EQ(second.desktop_top, 100);
    EXPECT_EQ(monitors.display(2).index, -1) << "out of range: an empty record";
}

TEST_F(SimulatedDesktop, MonitorsOfOneModelAreToldApartBySerial) {
    // The displays show the monitors in the opposite order of their interfaces.
    start(R"({"monitors": [
        {"id": "a", "model": "KX241W", "serial": "41000001"},
        {"id": "b", "model": "KX241W", "serial": "41000002"}
      ], "displays": [
        {"connector": "DVI-D-1", "monitor": "b", "x": 0, "y": 0, "width": 1920, "height": 1200},
        {"connector": "DVI-D-2", "monitor": "a", "x": 1920, "y": 0, "width": 1920, "height": 1200}
    ]})");
    CMultiMonitor monitors;
    detect(monitors);
    EXPECT_EQ(monitors.mapping(0), 1);
    EXPECT_EQ(monitors.mapping(1), 0);
    EXPECT_EQ(monitors.display(0).index, 1);
    EXPECT_EQ(monitors.display(0).text2, "41000002");
    EXPECT_EQ(monitors.display(1).text2, "41000001");
}

TEST_F(SimulatedDesktop, EqualSerialsMapToTheLastMatchingInterface) {
    // Neither third-party monitor has a serial descriptor, nor a numeric serial: both EDIDs
    // give the serial text "0".
    start(R"({"monitors": [
        {"id": "a", "model": "Generic 24", "serial": "X-1"},
        {"id": "b", "model": "Generic 24", "serial": "X-2"}
    ]})");
    CMultiMonitor monitors;
    detect(monitors);
    ASSERT_EQ(monitors.display_count(), 2);
    EXPECT_EQ(monitors.display(0).text2, monitors.display(1).text2);
    EXPECT_EQ(monitors.mapping(0), 1);
    EXPECT_EQ(monitors.mapping(1), 1);
}

TEST_F(SimulatedDesktop, AMonitorOnVideoAndUsbIsControlledOverUsb) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX241W", "serial": "41000456"},
        {"id": "b", "model": "KX271W", "serial": "71000123", "usb": true}
    ]})");
    CMultiMonitor monitors;
    detect(monitors);
    // Interfaces: 0 KX241W video, 1 KX271W video, 2 KX271W USB.
    EXPECT_EQ(monitors.interface_count(), 3);
    EXPECT_EQ(monitors.mapping(1), 2);
    const DisplayInfo usb = monitors.display(1);
    EXPECT_EQ(usb.index, 2);
    EXPECT_EQ(usb.writeNames, 1);
    EXPECT_EQ(usb.ddcCapable, 1) << "the probe was answered";
    EXPECT_EQ(usb.has_monitor_data, 1);
    EXPECT_EQ(usb.supported_model, 1);
    EXPECT_EQ(usb.text1, "KX271W");
    EXPECT_EQ(usb.text2, "71000123");
    EXPECT_EQ(usb.monitorId, identifier_of("KX271W"));

    // A monitor seen only over its video cable is controlled over it when it answers.
    const DisplayInfo video = monitors.display(0);
    EXPECT_EQ(monitors.mapping(0), 0);
    EXPECT_EQ(video.index, 0);
    EXPECT_EQ(video.supported_model, 1);
    EXPECT_EQ(video.ddcCapable, 1);
    EXPECT_EQ(video.writeNames, 0);
    EXPECT_EQ(video.has_monitor_data, 1);
}

// The simulator's interfaces in reverse order, as another access library might number them.
class ReversedBackend : public platform::CAccessBackend {
  public:
    explicit ReversedBackend(std::unique_ptr<platform::CAccessBackend> inner)
        : inner_(std::move(inner)) {}
    void rescan(int mode) override { inner_->rescan(mode); }
    int interface_count() const override { return inner_->interface_count(); }
    int interface_info(int i, platform::CInterfaceInfo& info) override {
        return inner_->interface_info(flip(i), info);
    }
    int i2c_write(int i, int address, const std::uint8_t* data, int length) override {
        return inner_->i2c_write(flip(i), address, data, length);
    }
    int i2c_read(int i, int address, std::uint8_t* buffer, int length) override {
        return inner_->i2c_read(flip(i), address, buffer, length);
    }

  private:
    int flip(int i) const { return interface_count() - 1 - i; }
    std::unique_ptr<platform::CAccessBackend> inner_;
};

TEST_F(SimulatedDesktop, TheUsbLinkWinsAlsoWhenItIsListedFirst) {
    start(R"({"monitors": [{"id": "a", "model": "KX271W", "serial": "71000123", "usb": true}]})");
    platform::CAccessLibrary reversed;
    reversed.add_backend(
        std::make_unique<ReversedBackend>(std::make_unique<platform::CSimBackend>(config)));
    platform::set_access_library(&reversed);
    CMultiMonitor monitors;
    detect(monitors);
    // Interfaces: 0 USB, 1 video. Name and serial match both; the later video interface
    // would win on them alone.
    CInterfaceRecord first;
    ASSERT_EQ(monitors.interfaces().interface_record(0, first), 0);
    ASSERT_EQ(first.is_usb, 1);
    EXPECT_EQ(monitors.mapping(0), 0);
    EXPECT_EQ(monitors.display(0).writeNames, 1);
    EXPECT_EQ(monitors.display(0).ddcCapable, 1);
    platform::set_access_library(nullptr);
}

TEST_F(SimulatedDesktop, InactiveMonitorsAndMirroringAdapters) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX271W", "serial": "1"},
        {"id": "b", "model": "KX241W", "serial": "2"},
        {"id": "c", "model": "KX302W", "serial": "3"}
      ], "displays": [
        {"connector": "DP-1", "monitor": "a", "x": 0, "y": 0, "width": 2560, "height": 1440},
        {"connector": "DP-2", "monitor": "b", "active": false, "x": 0, "y": 0},
        {"connector": "Virtual-1", "adapter": "mirror", "monitor": "a", "mirroring": true},
        {"connector": "DP-3", "monitor": "c", "x": 2560, "y": 0, "width": 2560, "height": 1600}
    ]})");
    MyEnumMonitors desktop;
    ASSERT_EQ(desktop.enumerate_displays(false), 3) << "the mirror is never listed";
    CDisplayEntry e;
    std::vector<int> numbers, indexes;
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(desktop.display_entry(i, e), 0);
        numbers.push_back(e.display_number);
        indexes.push_back(e.desktop_index);
        names << e.monitor_device_name;
    }
    EXPECT_EQ(names, (QStringList{"card0-DP-1", "card0-DP-2", "card0-DP-3"}));
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(indexes, (std::vector<int>{1, 0, 2})) << "the inactive monitor gets 0";
    EXPECT_EQ(desktop.display_entry(3, e), -1);

    ASSERT_EQ(desktop.enumerate_displays(true), 2);
    ASSERT_EQ(desktop.display_entry(1, e), 0);
    EXPECT_EQ(e.monitor_device_name, "card0-DP-3");
    EXPECT_EQ(e.display_number, 3) << "the inactive monitor was still counted";
    EXPECT_EQ(e.desktop_index, 2);
    EXPECT_EQ(e.desktop_rectangle, QRect(2560, 0, 2560, 1600));
    EXPECT_TRUE(e.id_names_monitor);
    EXPECT_TRUE(e.has_edid());
    EXPECT_FALSE(e.adapter_driver_key.isEmpty());

    CMultiMonitor monitors;
    monitors.build_display_list();
    EXPECT_EQ(monitors.display_count(), 2);
}

TEST_F(SimulatedDesktop, ADisplayWithoutEdidKeepsItsNameAndIsNotMatched) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX241W", "serial": "41000456"}
      ], "displays": [
        {"connector": "DVI-D-1", "monitor": "a", "description": "KX241W", "edid": false}
    ]})");
    CMultiMonitor monitors;
    detect(monitors);
    ASSERT_EQ(monitors.display_count(), 1);
    const DisplayInfo info = monitors.display(0);
    EXPECT_EQ(info.text1, "KX241W") << "the system's description";
    EXPECT_TRUE(info.text2.isEmpty());
    EXPECT_EQ(info.monitorId, 0);
    EXPECT_EQ(monitors.mapping(0), -1) << "a name alone does not match";
    EXPECT_EQ(info.index, -1);
    EXPECT_EQ(info.supported_model, 0);

    // The user can still assign it; the monitor then fills the record.
    monitors.set_mapping(0, 0);
    monitors.initialise_displays();
    EXPECT_EQ(monitors.display(0).index, 0);
    EXPECT_EQ(monitors.display(0).text2, "41000456");
    EXPECT_EQ(monitors.display(0).supported_model, 1);
    // Taking the assignment back leaves nothing of that monitor in the record.
    monitors.set_mapping(0, -1);
    monitors.initialise_displays();
    EXPECT_EQ(monitors.display(0).index, -1);
    EXPECT_TRUE(monitors.display(0).text2.isEmpty());
    EXPECT_EQ(monitors.display(0).supported_model, 0);
}

TEST_F(SimulatedDesktop, MoreThanTenDisplaysNeverWritePastTheMapping) {
    QByteArray json = R"({"monitors": [)";
    for (int i = 0; i < 12; ++i) {
        json += QStringLiteral(R"(%1{"id": "m%2", "model": "KX241W", "serial": "4100%2"})")
                    .arg(i ? QLatin1String(",") : QLatin1String(""))
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    }
    json += "]}";
    start(json.constData());
    CMultiMonitor monitors;
    detect(monitors);
    ASSERT_EQ(monitors.display_count(), 12);
    for (int d = 0; d < CMultiMonitor::kMappingCount; ++d) {
        EXPECT_EQ(monitors.mapping(d), d);
        EXPECT_EQ(monitors.display(d).index, d);
    }
    for (int d = CMultiMonitor::kMappingCount; d < 12; ++d) {
        EXPECT_EQ(monitors.mapping(d), -1);
        EXPECT_EQ(monitors.display(d).index, -1) << "display " << d << " stays unassigned";
    }
    monitors.set_mapping(11, 3);
    monitors.set_mapping(-1, 3);
    EXPECT_EQ(monitors.mapping(11), -1);
    EXPECT_EQ(monitors.mapping(-1), -1);
    QByteArray saved;
    QDataStream out(&saved, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    ASSERT_EQ(monitors.write_config(out), 0);
    EXPECT_EQ(saved.size(), 4 * 13) << "still ten assignments";
}

TEST_F(SimulatedDesktop, TextsTravelOnToTheDetectionSignal) {
    start(R"({"monitors": [{"id": "a", "model": "KX271W", "serial": "1", "usb": true}]})");
    CMultiMonitor monitors;
    QSignalSpy texts(&monitors, &CMultiMonitor::detectedMonitor);
    monitors.enumerate(false);
    ASSERT_EQ(texts.count(), 2);
    EXPECT_EQ(texts.at(0).at(0).toString(), "KX271W");
    EXPECT_EQ(texts.at(1).at(0).toString(), "KX271W (USB)");
}

TEST_F(SimulatedDesktop, StoredAssignmentsHoldWhileTheSameInterfacesExist) {
    start(R"({"monitors": [{"id": "a", "model": "KX271W", "serial": "1", "usb": true}]})");
    QByteArray saved;
    {
        CMultiMonitor monitors;
        detect(monitors);
        ASSERT_EQ(monitors.mapping(0), 1);
        QDataStream out(&saved, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_7);
        ASSERT_EQ(monitors.write_config(out), 0);
    }
    // Next start: the access object has listed its interfaces, nobody has scanned yet.
    library->EnumerateInterfaces(1, 3);
    CMultiMonitor restarted;
    restarted.count_interfaces();
    QDataStream in(saved);
    in.setVersion(QDataStream::Qt_4_7);
    ASSERT_EQ(restarted.read_config(in), 0);
    EXPECT_EQ(restarted.mapping(0), 1);
}

}  // namespace
