#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "comm/ddc_monitor.h"
#include "core/check_restore_monitor_settings_thread.h"
#include "core/master_control.h"
#include "core/mode_profile.h"
#include "core/settings_paths.h"
#include "platform/access_library.h"
#include "platform/display_services.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "platform/sim_display_services.h"
#include "profiles/color_management.h"
#include "ui/main_window/panel_picture_mode.h"
#include "wait_share.h"

// What the main window and the Picture Mode page add to their monitor conversations, against a
// simulated KX271W on a virtual clock: the CPU time of a run (ours and the simulator's
// together, so an upper bound of our share) beside the waits the protocol fixes for it.

namespace {

// The controller over one simulated monitor, the first display selected.
struct Setup {
    platform::CFakeSleeper sleeper;
    platform::CSleeper* previous_sleeper;
    QTemporaryDir dir;
    sim::CSimConfig config;
    platform::AccessLibraryFactory previous_library;
    platform::DisplayServicesFactory previous_services;
    std::unique_ptr<MasterControl> master;

    Setup() : previous_sleeper(platform::install_sleeper(&sleeper)) {
        sim::CSimConfig::parse(R"({"monitors": [{"model": "KX271W", "serial": "71000123",
                                                 "usb": true, "input": "DisplayPort"}]})",
                               QString(), config, nullptr);
        config.state_file = dir.path() + QStringLiteral("/state.json");
        previous_library = platform::set_access_library_factory([this] {
            auto library = std::make_unique<platform::CAccessLibrary>();
            library->add_backend(std::make_unique<platform::CSimBackend>(config));
            return library;
        });
        previous_services = platform::set_display_services_factory(
            [this] { return std::make_unique<platform::CSimDisplayServices>(config); });
        master = std::make_unique<MasterControl>();
        CMultiMonitor& monitors = master->monitor_list();
        monitors.scan_interfaces();
        monitors.match_scanned();
        monitors.initialise_displays();
        master->current_display().connect(monitors.display(0));
        CMonitorEntry entry;
        entry.modelName = monitor().model_name();
        entry.serialNumber = monitor().serial_number();
        monitor().read_picture_memories(entry.adjust);
        master->monitor_tracker().store(entry);
    }
    ~Setup() {
        master.reset();
        platform::set_access_library_factory(std::move(previous_library));
        platform::set_display_services_factory(std::move(previous_services));
        platform::install_sleeper(previous_sleeper);
    }
    CDDCMonitor& monitor() { return *master->current_display().monitor(); }
    // Forgets which mode the display's profile describes, so the next request makes one.
    void forget_profile() {
        CMonitorEntry entry;
        master->monitor_tracker().lookup(monitor().model_name(), monitor().serial_number(), entry);
        entry.adjust.referenceSettings = CModeSettings{};
        master->monitor_tracker().store(entry);
    }
};

void measure(benchmark::State& state, Setup& setup, const std::function<void()>& run) {
    bench_support::measure_beside_waits(state, setup.sleeper, [&] {
        run();
        return true;
    });
}

// Operation 0 of the progress dialog's worker: every memory and the capability string.
void synchronisation(benchmark::State& state) {
    Setup setup;
    CheckRestoreMonitorSettingsThread worker;
    worker.set_monitor(&setup.master->current_display(), &setup.monitor());
    CAdjustValue record;
    worker.set_adjust_record(&record);
    measure(state, setup,
            [&] { worker.perform(CheckRestoreMonitorSettingsThread::ReadColorSettings); });
}

// A click on a memory button: the switch, the settle wait, the page's reload, the save and the
// new mode's profile.
void memory_switch(benchmark::State& state) {
    Setup setup;
    panel_picture_mode page;
    page.show();
    int memory = 1;
    measure(state, setup, [&] {
        memory = memory == 1 ? 2 : 1;
        page.picture_mode_buttonClicked(memory);
    });
}

// The write a pause after the last slider move makes, with the page's reload after it.
void debounced_brightness_write(benchmark::State& state) {
    Setup setup;
    panel_picture_mode page;
    page.show();
    auto* slider = page.findChild<QSlider*>(QStringLiteral("brightness_verticalSlider"));
    int step = 0;
    measure(state, setup, [&] {
        slider->setValue(slider->minimum() + 20 + (++step % 2) * 10);
        page.timer_timeout();
    });
}

// Building, writing and associating the active mode's profile (no monitor exchange but the
// memory and preset reads; wall time is what counts here).
void active_mode_profile(benchmark::State& state) {
    Setup setup;
    panel_picture_mode page;
    page.show();
    for (auto _ : state) {
        state.PauseTiming();
        setup.forget_profile();
        state.ResumeTiming();
        page.generate_new_icc_profile();
    }
    QFile::remove(colorDirectory());
}

BENCHMARK(synchronisation)->Unit(benchmark::kMillisecond);
BENCHMARK(memory_switch)->Unit(benchmark::kMillisecond);
BENCHMARK(debounced_brightness_write)->Unit(benchmark::kMillisecond);
BENCHMARK(active_mode_profile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
