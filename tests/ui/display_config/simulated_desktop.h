#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "comm/multi_monitor.h"
#include "platform/access_library.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "support/qt_printers.h"
#include "ui/display_config/display_configuration_dialog.h"
#include "ui/display_config/display_configuration_widget.h"

namespace display_config_testing {

// A simulated machine: the simulator's monitors behind the access object, its desktop behind
// the display services, and the monitor list as the detection pass leaves it.
class SimulatedDesktop : public ::testing::Test {
  protected:
    void start(const char* json) {
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(QByteArray(json), dir_.path(), config_, &error))
            << error.toStdString();
        config_.state_file = dir_.path() + QStringLiteral("/state.json");
        auto simulated = std::make_unique<platform::CSimBackend>(config_);
        backend = simulated.get();
        library_ = std::make_unique<platform::CAccessLibrary>();
        library_->add_backend(std::move(simulated));
        services_ = std::make_unique<platform::CSimDisplayServices>(config_);
        platform::set_access_library(library_.get());
        platform::set_display_services(services_.get());
        platform::interface_enumeration_mode = 3;
        monitors.scan_interfaces();
        monitors.match_scanned();
        monitors.initialise_displays();
    }
    void TearDown() override {
        platform::set_access_library(nullptr);
        platform::set_display_services(nullptr);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window was left open";
    }

    sim::CSimMonitor& sim_monitor(std::size_t i) { return *backend->monitor(i); }
    int exchanges(std::size_t i) { return sim_monitor(i).counters().exchanges; }

    static QComboBox* display_list(QDialog& dialog) {
        return dialog.findChild<QComboBox*>(
            QStringLiteral("display_configuration_Display_List_comboBox"));
    }
    static QComboBox* monitor_list(QDialog& dialog) {
        return dialog.findChild<QComboBox*>(
            QStringLiteral("display_configuration_Monitor_List_comboBox"));
    }
    static QPushButton* test_button(QDialog& dialog) {
        return dialog.findChild<QPushButton*>(
            QStringLiteral("display_configuration_Test_Monitor_pushButton"));
    }
    static QPushButton* auto_button(QDialog& dialog) {
        return dialog.findChild<QPushButton*>(
            QStringLiteral("display_configuration_Auto_Configure_pushButton"));
    }
    static TW_display_configuration_widget* picture(QDialog& dialog) {
        return dialog.findChild<TW_display_configuration_widget*>(
            QStringLiteral("display_configuration_layout_widget"));
    }
    // The monitor list's item for an interface; -1 when it is not listed.
    static int item_of(QDialog& dialog, int interface_index) {
        return monitor_list(dialog)->findData(interface_index);
    }
    std::array<int, CMultiMonitor::kMappingCount> mapping() const {
        std::array<int, CMultiMonitor::kMappingCount> out{};
        for (int d = 0; d < CMultiMonitor::kMappingCount; ++d)
            out[static_cast<std::size_t>(d)] = monitors.mapping(d);
        return out;
    }

    CMultiMonitor monitors;
    platform::CSimBackend* backend = nullptr;

  private:
    QTemporaryDir dir_;
    sim::CSimConfig config_;
    std::unique_ptr<platform::CAccessLibrary> library_;
    std::unique_ptr<platform::CSimDisplayServices> services_;
};

// Three monitors side by side: the USB-linked KX271W (interfaces 0 video, 1 USB) on the
// left, two KX241W of the same model (2, 3) to its right, the second lower down.
inline constexpr const char* kThreeDisplays = R"({"monitors": [
    {"id": "main", "model": "KX271W", "serial": "71000123", "usb": true},
    {"id": "left", "model": "KX241W", "serial": "41000001"},
    {"id": "right", "model": "KX241W", "serial": "41000002"}
  ], "displays": [
    {"connector": "DP-1", "adapter": "card0", "monitor": "main", "x": 0, "y": 0,
     "width": 2560, "height": 1440, "primary": true},
    {"connector": "DVI-D-1", "adapter": "card0", "monitor": "left", "x": 2560, "y": 0,
     "width": 1920, "height": 1200},
    {"connector": "DVI-D-2", "adapter": "card0", "monitor": "right", "x": 4480, "y": 240,
     "width": 1920, "height": 1200}
]})";

}  // namespace display_config_testing
