#include <gtest/gtest.h>

#include <QDataStream>
#include <QDialog>
#include <QSplashScreen>
#include <QTest>

#include "core/master_control.h"
#include "core/monitor_detect_thread.h"
#include "core/settings_paths.h"
#include "platform/access_library.h"
#include "platform/display_services.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "support/test_environment.h"

namespace {

using testing_support::read_file;
using testing_support::write_file;

QByteArray config_bytes(qint32 interface_count, const std::vector<qint32>& mapping) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    out << qint32(57003) << qint32(11) << interface_count;
    for (qint32 value : mapping)
        out << value;
    out << qint32(43962) << qint32(100) << qint32(0);
    return bytes;
}

struct Startup : ::testing::Test {
    void SetUp() override {
        QFile::remove(config_file_path());
        QFile::remove(preferences_file_path());
        // Stands in for the main window: shows itself when start-up completes, as the real one.
        MasterControl::set_window_factories(
            [] {
                auto* window = new QDialog();
                QObject::connect(master_control_instance, &MasterControl::startup_complete, window,
                                 &QWidget::show);
                return window;
            },
            [](QWidget* parent) { return new QDialog(parent); });
        previous_factory = platform::set_access_library_factory(
            [] { return std::make_unique<platform::CAccessLibrary>(); });
        // An empty desktop, whatever the machine running the tests has.
        previous_services = platform::set_display_services_factory(
            [] { return std::make_unique<platform::CSimDisplayServices>(sim::CSimConfig()); });
    }
    void TearDown() override {
        MasterControl::set_window_factories(nullptr, nullptr);
        platform::set_access_library_factory(std::move(previous_factory));
        platform::set_display_services_factory(std::move(previous_services));
    }
    platform::AccessLibraryFactory previous_factory;
    platform::DisplayServicesFactory previous_services;
};

TEST_F(Startup, WithNoInterfaceTheSplashClosesAndTheMainWindowShows) {
    MasterControl master;
    EXPECT_EQ(master_control_instance, &master);
    master.start();
    // Connected after the main window's own connection, as the user interface would see it.
    std::vector<std::string> events;
    QObject::connect(&master, &MasterControl::startup_complete, [&] {
        events.push_back("startup_complete");
        EXPECT_TRUE(master.main_window()->isVisible());
    });
    QObject::connect(&master, &MasterControl::start_check_display_settings, [&] {
        events.push_back("start_check_display_settings");
        EXPECT_EQ(master.splash(), nullptr) << "the splash is gone before the displays are checked";
    });

    ASSERT_NE(master.splash(), nullptr);
    EXPECT_TRUE(master.splash()->isVisible());
    ASSERT_NE(master.main_window(), nullptr);
    EXPECT_FALSE(master.main_window()->isVisible()) << "built hidden";
    EXPECT_EQ(tw_test_pattern_dialog->parent(), master.main_window());

    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
    EXPECT_EQ(events,
              (std::vector<std::string>{"startup_complete", "start_check_display_settings"}));
    EXPECT_TRUE(master.main_window()->isVisible());
    EXPECT_EQ(master.splash(), nullptr);
    EXPECT_EQ(master.current_display().monitor(), nullptr);
    EXPECT_EQ(master.current_display().info().index, -1);

    // A second completion only marks detection complete again.
    master.monitorDetectionCompleteIn();
    EXPECT_EQ(events.size(), 2u);
    EXPECT_TRUE(master.detection_complete());
}

TEST_F(Startup, SplashMessageShowsVersionThenDetectionProgress) {
    MasterControl master;
    master.start();
    // The splash is as wide as the logo plus a margin.
    ASSERT_NE(master.splash(), nullptr);
    EXPECT_EQ(master.splash()->width(),
              QImage(QStringLiteral(":/images/Resources/splashtw.png")).width() + 10);
    EXPECT_EQ(master.splash_message(),
              QStringLiteral("<img src=\":/images/Resources/splashtw.png\"><br>Version 1.0.10 "
                             "(Build 140106)<br>Detecting displays...\n"));
    master.detectedMonitorIn(QStringLiteral("KX271W (USB)"));
    EXPECT_TRUE(master.splash_message().endsWith(QStringLiteral("<br>Detected KX271W (USB)\n")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
}

TEST_F(Startup, DetectedTextsTravelFromTheMonitorListToTheSplash) {
    MasterControl master;
    master.start();
    Q_EMIT master.monitor_list().detectedMonitor(QStringLiteral("Unknown Display"));
    EXPECT_TRUE(master.splash_message().contains(QStringLiteral("Detected Unknown Display")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
}

TEST_F(Startup, MissingConfigTurnsOnFullDetection) {
    MasterControl master;
    EXPECT_TRUE(master.config_load_failed());
    master.start();
    EXPECT_TRUE(master.detect_thread()->full_detection());
    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
}

TEST_F(Startup, ValidConfigKeepsTheStoredAssignments) {
    std::vector<qint32> mapping(10, -1);
    mapping[0] = 2;
    mapping[3] = 0;
    ASSERT_TRUE(write_file(config_file_path(), config_bytes(0, mapping)));
    MasterControl master;
    EXPECT_FALSE(master.config_load_failed());
    EXPECT_EQ(master.monitor_list().mapping(0), 2);
    EXPECT_EQ(master.monitor_list().mapping(3), 0);
    master.start();
    EXPECT_FALSE(master.detect_thread()->full_detection());
    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
    EXPECT_EQ(master.monitor_list().mapping(0), 2) << "no full matching on a valid configuration";
}

TEST_F(Startup, AMappingSavedForAnotherNumberOfInterfacesTurnsOnFullDetection) {
    std::vector<qint32> mapping(10, -1);
    mapping[0] = 1;
    // Saved while two interfaces existed; none exists now.
    ASSERT_TRUE(write_file(config_file_path(), config_bytes(2, mapping)));
    MasterControl master;
    EXPECT_FALSE(master.config_load_failed()) << "the file itself is sound";
    EXPECT_FALSE(master.monitor_list().stored_mapping_taken());
    EXPECT_EQ(master.monitor_list().mapping(0), -1);
    master.start();
    EXPECT_TRUE(master.detect_thread()->full_detection());
    ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
}

TEST_F(Startup, DamagedConfigCountsAsMissing) {
    QByteArray bytes = config_bytes(0, std::vector<qint32>(10, -1));
    bytes[3] = 0x00;  // wrong magic
    ASSERT_TRUE(write_file(config_file_path(), bytes));
    MasterControl master;
    EXPECT_TRUE(master.config_load_failed());
    bytes = config_bytes(0, std::vector<qint32>(10, -1)).left(30);  // cut inside block A
    ASSERT_TRUE(write_file(config_file_path(), bytes));
    MasterControl again;
    EXPECT_TRUE(again.config_load_failed());
}

TEST_F(Startup, DestructionSavesBothSettingsFiles) {
    {
        MasterControl master;
        master.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return master.detection_complete(); }, 10000));
        master.monitor_list().set_mapping(1, 4);
        master.preferences().set_main_window_position(QPoint(40, 60));
    }
    std::vector<qint32> mapping(10, -1);
    mapping[1] = 4;
    EXPECT_EQ(read_file(config_file_path()), config_bytes(0, mapping));
    const QByteArray prefs = read_file(preferences_file_path());
    ASSERT_EQ(prefs.size(), 4 + 4 + 1 + 1 + 3 * 8);
    QDataStream in(prefs);
    qint32 magic = 0, version = 0;
    in >> magic >> version;
    EXPECT_EQ(magic, 65195);
    EXPECT_EQ(version, 123);
    EXPECT_EQ(master_control_instance, nullptr);
}

TEST_F(Startup, AssignmentsWorkedOutOnTheFirstRunHoldOnTheNext) {
    sim::CSimConfig config = sim::CSimConfig::default_set();
    config.state_file = testing_support::sandbox_folder() + QStringLiteral("/startup-sim.json");
    platform::set_access_library_factory([config] {
        auto library = std::make_unique<platform::CAccessLibrary>();
        library->add_backend(std::make_unique<platform::CSimBackend>(config));
        return library;
    });
    platform::set_display_services_factory(
        [config] { return std::make_unique<platform::CSimDisplayServices>(config); });
    {
        MasterControl first;
        EXPECT_TRUE(first.config_load_failed());
        first.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.detection_complete(); }, 10000));
        EXPECT_EQ(first.monitor_list().mapping(0), 1) << "the KX271W over its USB link";
        EXPECT_EQ(first.current_display().info().index, 1);
    }
    MasterControl second;
    EXPECT_FALSE(second.config_load_failed());
    EXPECT_EQ(second.monitor_list().mapping(0), 1) << "the same five interfaces exist";
    EXPECT_EQ(second.monitor_list().mapping(1), 2);
    second.start();
    EXPECT_FALSE(second.detect_thread()->full_detection());
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.detection_complete(); }, 10000));
    ASSERT_EQ(second.monitor_list().display_count(), 4);
    EXPECT_EQ(second.monitor_list().display(0).ddcCapable, 1);
    EXPECT_EQ(second.monitor_list().display(1).text1, "KX241W");
}

}  // namespace
