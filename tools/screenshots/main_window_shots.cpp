// The main window over the simulator's default set, and the Picture Mode page on an absolute
// model (the KX271W) and on the percent model (a simulated KX272W).
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <memory>

#include "comm/ddc_monitor.h"
#include "core/master_control.h"
#include "platform/access_library.h"
#include "platform/display_services.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "screenshot.h"
#include "sim/sim_config.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/panel_picture_mode.h"

namespace {

constexpr const char* kPercentModel = R"({"monitors": [
    {"id": "dicom", "model": "KX272W", "serial": "72000042", "usb": true}],
  "displays": [{"connector": "DP-1", "monitor": "dicom", "x": 0, "y": 0, "width": 2560,
                "height": 1440, "primary": true, "edid": true}]})";

// A controller whose monitors are the given configuration's instead of the environment's; the
// previous factories come back when it goes.
class ConfiguredController {
  public:
    explicit ConfiguredController(const char* json) {
        QString error;
        sim::CSimConfig::parse(QByteArray(json), dir_.path(), config_, &error);
        config_.state_file = dir_.path() + QStringLiteral("/state.json");
        previous_library_ = platform::set_access_library_factory([this] {
            auto library = std::make_unique<platform::CAccessLibrary>();
            library->add_backend(std::make_unique<platform::CSimBackend>(config_));
            return library;
        });
        previous_services_ = platform::set_display_services_factory(
            [this] { return std::make_unique<platform::CSimDisplayServices>(config_); });
        master = std::make_unique<MasterControl>();
    }
    ~ConfiguredController() {
        master.reset();
        platform::set_access_library_factory(std::move(previous_library_));
        platform::set_display_services_factory(std::move(previous_services_));
    }
    ConfiguredController(const ConfiguredController&) = delete;
    ConfiguredController& operator=(const ConfiguredController&) = delete;

    std::unique_ptr<MasterControl> master;

  private:
    QTemporaryDir dir_;
    sim::CSimConfig config_;
    platform::AccessLibraryFactory previous_library_;
    platform::DisplayServicesFactory previous_services_;
};

std::unique_ptr<MasterControl>& controller() {
    static std::unique_ptr<MasterControl> master;
    return master;
}
std::unique_ptr<ConfiguredController>& configured() {
    static std::unique_ptr<ConfiguredController> c;
    return c;
}

// Detection as the start-up pass does it, with the first display selected and its record
// synchronised, so the mode buttons carry their presets' names.
void detect(MasterControl& master) {
    CMultiMonitor& monitors = master.monitor_list();
    monitors.scan_interfaces();
    monitors.match_scanned();
    monitors.initialise_displays();
    master.current_display().connect(monitors.display(0));
    if (CDDCMonitor* monitor = master.current_display().monitor()) {
        CMonitorEntry entry;
        entry.modelName = monitor->model_name();
        entry.serialNumber = monitor->serial_number();
        if (monitor->read_picture_memories(entry.adjust) == 0)
            master.monitor_tracker().store(entry);
    }
}

QWidget* page_frame(MasterControl& master) {
    detect(master);
    auto* frame = new QWidget();
    frame->setWindowTitle(QStringLiteral("Picture Mode"));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(new panel_picture_mode(frame));
    return frame;
}

void close_frame(QWidget* window) {
    delete window;
    controller().reset();
    configured().reset();
}

}  // namespace

ORVALE_SCREENSHOT(
    "main_window",
    [] {
        controller() = std::make_unique<MasterControl>();
        detect(*controller());
        auto* window = new main_dialog();
        window->startup_complete();
        window->update_ui();
        return static_cast<QWidget*>(window);
    },
    close_frame);

ORVALE_SCREENSHOT(
    "picture_mode",
    [] {
        controller() = std::make_unique<MasterControl>();
        return page_frame(*controller());
    },
    close_frame);

ORVALE_SCREENSHOT(
    "picture_mode_percent",
    [] {
        configured() = std::make_unique<ConfiguredController>(kPercentModel);
        return page_frame(*configured()->master);
    },
    close_frame);
