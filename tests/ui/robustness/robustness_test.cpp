// The GUI robustness run: the real main window and the colour wizard against simulated
// monitors, driven by a seeded random sequence of clicks, keys, slider drags, page and display
// changes, hot-plug events and injected link faults. It passes when nothing crashes (and, in
// the sanitizer configuration, nothing is reported), no simulated monitor met an overlapping
// conversation, and every value the controls' features hold at the end was there at the start,
// is a factory value, or was asked for by a control. orvale-ctl reads and writes the monitors
// from another process all the while.
//
// ORVALE_ROBUSTNESS_SEED (default: from the clock) and ORVALE_ROBUSTNESS_SECONDS (default:
// ORVALE_ROBUSTNESS_DEFAULT_SECONDS) choose the run; the seed is printed so that a failure can
// be replayed. A typed value is taken with Tab or Return, at random (ORVALE_ROBUSTNESS_RETURN=0:
// Tab only).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWizard>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/check_restore_monitor_settings_thread.h"
#include "core/master_control.h"
#include "core/picture_mode_rules.h"
#include "core/settings_paths.h"
#include "platform/device_notifier.h"
#include "platform/sim_backend.h"
#include "platform/sleeper.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "sim/sim_store.h"
#include "support/simulated_machine.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_vision_emulation.h"

namespace mf = monitor_feature;

#ifndef ORVALE_ROBUSTNESS_DEFAULT_SECONDS
#define ORVALE_ROBUSTNESS_DEFAULT_SECONDS 20
#endif

namespace {

constexpr const char* kMonitors = R"({
  "monitors": [
    {"id": "main", "model": "KX271W", "serial": "71000301", "usb": true},
    {"id": "side", "model": "KX241W", "serial": "41000302", "usb": true}
  ],
  "displays": [
    {"connector": "DP-1", "monitor": "main", "x": 0, "y": 0, "width": 2560, "height": 1440,
     "primary": true, "edid": true},
    {"connector": "DVI-D-1", "monitor": "side", "x": 2560, "y": 0, "width": 1920,
     "height": 1200, "edid": true}
  ]
})";

// The features a control of the pages writes, and which control asks for which.
constexpr int kBrightness = mf::luminance;
constexpr int kBlackLevel = mf::black_level;
const std::map<QString, int> kSliderFeatures = {
    {QStringLiteral("brightness_verticalSlider"), kBrightness},
    {QStringLiteral("black_level_verticalSlider"), kBlackLevel},
    {QStringLiteral("pip_h_pos_horizontalSlider"), mf::pip_sub_horizontal},
    {QStringLiteral("pip_v_pos_horizontalSlider"), mf::pip_sub_vertical},
};
const std::vector<int> kCheckedFeatures = {
    kBrightness,          kBlackLevel,  mf::pip_sub_horizontal,
    mf::pip_sub_vertical, mf::pip_mode, mf::pip_sub_color_vision,
    mf::color_vision};

int env_int(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

class Robustness : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile::remove(preferences_file_path());
        QFile::remove(config_file_path());
        QString error;
        ASSERT_TRUE(sim::CSimConfig::parse(QByteArray(kMonitors), dir_.path(), config_, &error))
            << qPrintable(error);
        config_.state_file = dir_.path() + QStringLiteral("/state.json");
        machine_ = std::make_unique<testing_support::CSimulatedMachine>(
            config_, testing_support::CSimulatedMachine::simulated_desktop);
        MasterControl::set_window_factories([] { return new main_dialog(); },
                                            [](QWidget*) { return nullptr; });
    }
    void TearDown() override {
        master_.reset();
        machine_.reset();
    }

    // Every monitor's state as the state file holds it.
    std::vector<std::unique_ptr<sim::CSimMonitor>> stored_state() {
        auto monitors = sim::create_monitors(config_);
        std::vector<sim::CSimMonitor*> list;
        for (auto& m : monitors)
            list.push_back(m.get());
        sim::CSimStateStore store(config_.state_file);
        EXPECT_TRUE(store.load(list));
        return monitors;
    }

    sim::CSimMonitor* sim_monitor_of(CDDCMonitor* m) {
        platform::CSimBackend* backend = machine_->backend;
        if (!m || !backend) return nullptr;
        for (std::size_t i = 0; i < backend->monitor_count(); ++i) {
            if (QString::fromLatin1(backend->monitor(i)->serial()) == m->serial_number())
                return backend->monitor(i);
        }
        return nullptr;
    }

    // (monitor key, memory (0: global), feature) -> values some control asked for
    std::map<std::tuple<QString, int, int>, std::set<int>> asked_;

    void ask(int feature, int value) {
        sim::CSimMonitor* m = sim_monitor_of(master_->current_display().monitor());
        if (!m) return;
        const bool per_memory =
            m->state().memories.size() > 0 && m->state().memories.front().values.count(feature) > 0;
        asked_[{m->key(), per_memory ? m->state().active_memory : 0, feature}].insert(value);
    }

    sim::CSimConfig config_;
    QTemporaryDir dir_;
    std::unique_ptr<testing_support::CSimulatedMachine> machine_;
    std::unique_ptr<MasterControl> master_;
};

TEST_F(Robustness, RandomUseLeavesNoOverlapAndOnlyAskedValues) {
    const quint32 seed = static_cast<quint32>(
        env_int("ORVALE_ROBUSTNESS_SEED",
                static_cast<int>(QDateTime::currentMSecsSinceEpoch() & 0x7FFFFFFF)));
    const int seconds = env_int("ORVALE_ROBUSTNESS_SECONDS", ORVALE_ROBUSTNESS_DEFAULT_SECONDS);
    const bool press_return = env_int("ORVALE_ROBUSTNESS_RETURN", 1) != 0;
    std::printf("robustness run: ORVALE_ROBUSTNESS_SEED=%u ORVALE_ROBUSTNESS_SECONDS=%d\n", seed,
                seconds);
    std::fflush(stdout);
    QRandomGenerator random(seed);

    // Message boxes of the start (the synchronisation's notice) are answered like any other.
    std::map<QString, int> actions;
    auto answer_boxes = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            const auto buttons = box->buttons();
            if (buttons.isEmpty()) {
                box->done(0);
            } else {
                buttons.at(random.bounded(buttons.size()))->click();
            }
            ++actions["message box"];
            return true;
        }
        return false;
    };
    QTimer boxes;
    boxes.setInterval(10);
    QObject::connect(&boxes, &QTimer::timeout, answer_boxes);
    boxes.start();

    master_ = std::make_unique<MasterControl>();
    master_->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return master_->startup_processed(); }, 60000));
    auto* window = qobject_cast<main_dialog*>(master_->main_window());
    ASSERT_NE(window, nullptr);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_TRUE(QTest::qWaitFor([] { return !CheckRestoreMonitorSettingsThread::monitor_in_use(); },
                                60000));
    machine_->backend->persist();
    const auto initial = stored_state();

    // Another program beside the window, as the README allows: orvale-ctl reads both monitors
    // and writes the KX241W's contrast (a feature no page writes), one run after another.
    const QString sim_config = dir_.path() + QStringLiteral("/sim.json");
    {
        QFile file(sim_config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kMonitors);
    }
    QProcessEnvironment tool_env = QProcessEnvironment::systemEnvironment();
    tool_env.insert(QStringLiteral("ORVALE_SIM_CONFIG"), sim_config);
    tool_env.insert(QStringLiteral("ORVALE_SIM_STATE"), config_.state_file);
    tool_env.insert(QStringLiteral("ORVALE_CTL_WAITS"), QStringLiteral("virtual"));
    QProcess neighbour;
    neighbour.setProcessEnvironment(tool_env);
    bool neighbour_stopped = false;
    const auto run_neighbour = [&] {
        if (neighbour_stopped) return;
        const int what = static_cast<int>(random.bounded(3));
        const QStringList args =
            what == 0 ? QStringList{"get", "1", "0x2B3", "0x10", "0x1050"}
            : what == 1
                ? QStringList{"set", "2", "0x12", QString::number(random.bounded(101)), "--no-save"}
                : QStringList{"get", "2", "0x2B3", "0x12"};
        neighbour.start(QStringLiteral(ORVALE_CTL), args);
        ++actions["orvale-ctl"];
    };
    QObject::connect(&neighbour, &QProcess::finished, &neighbour, [&] {
        QTimer::singleShot(static_cast<int>(random.bounded(200)), run_neighbour);
    });
    run_neighbour();

    // One step of a user (or of the desktop around them).
    auto step = [&] {
        // A user's input waits while the GUI thread is in a protocol wait; a worker owns the
        // simulated monitors while it runs.
        if (platform::in_responsive_wait()) return;
        if (answer_boxes()) return;
        const bool worker = CheckRestoreMonitorSettingsThread::monitor_in_use();
        QWidget* active = QApplication::activeModalWidget();
        if (!active) active = window;
        const int dice = static_cast<int>(random.bounded(100));

        if (auto* wizard = qobject_cast<QWizard*>(active)) {
            if (worker) return;
            const QWizard::WizardButton which = dice < 45   ? QWizard::NextButton
                                                : dice < 80 ? QWizard::BackButton
                                                            : QWizard::CancelButton;
            if (QAbstractButton* b = wizard->button(which); b && b->isVisible() && b->isEnabled()) {
                b->click();
                ++actions["wizard button"];
            }
            return;
        }
        if (active != window) {
            // Another dialog (the display configuration, a progress dialog): leave it mostly.
            if (auto* dialog = qobject_cast<QDialog*>(active);
                dialog && !worker && dice < 30 &&
                !dialog->inherits("TW_restore_monitor_settings_dialog")) {
                dice < 15 ? dialog->accept() : dialog->reject();
                ++actions["dialog closed"];
            }
            return;
        }
        if (worker) return;

        if (dice < 4) {
            // Hot plug: a USB link or DDC/CI over the video cable goes or comes back.
            platform::CSimBackend* backend = machine_->backend;
            sim::CSimMonitor* m =
                backend->monitor(random.bounded(static_cast<quint32>(backend->monitor_count())));
            if (dice < 2) {
                m->set_usb_plugged(!m->usb_plugged());
                ++actions[m->usb_plugged() ? "usb plugged" : "usb unplugged"];
                Q_EMIT window->device_notifier()->usb_device_changed(m->usb_plugged());
            } else {
                m->set_video_ddcci(!m->video_ddcci());
                ++actions[m->video_ddcci() ? "ddc/ci on" : "ddc/ci off"];
                Q_EMIT window->device_notifier()->display_changed();
            }
            return;
        }
        if (dice < 8) {
            platform::CSimBackend* backend = machine_->backend;
            sim::CSimMonitor* m =
                backend->monitor(random.bounded(static_cast<quint32>(backend->monitor_count())));
            sim::CSimFaultRule rule;
            rule.fault = static_cast<sim::CSimFault>(random.bounded(sim::kSimFaultKinds));
            rule.count = 1 + static_cast<int>(random.bounded(3));
            m->faults().add(rule);
            ++actions["fault " + sim::CSimFaultScript::name(rule.fault)];
            return;
        }
        if (dice < 12) {
            window->page_list()->setCurrentRow(static_cast<int>(random.bounded(5)));
            ++actions["page"];
            return;
        }
        if (dice < 14) {
            QComboBox* combo = window->display_combo();
            if (combo->count() > 0) {
                combo->setCurrentIndex(static_cast<int>(random.bounded(combo->count())));
                ++actions["display"];
            }
            return;
        }
        QWidget* page = window->pages()->currentWidget();
        if (dice < 40) {
            QList<QSlider*> sliders;
            for (QSlider* s : page->findChildren<QSlider*>())
                if (s->isVisible() && s->isEnabled()) sliders << s;
            if (sliders.isEmpty()) return;
            QSlider* s = sliders.at(random.bounded(sliders.size()));
            const int value =
                s->minimum() + static_cast<int>(random.bounded(s->maximum() - s->minimum() + 1));
            if (const auto f = kSliderFeatures.find(s->objectName()); f != kSliderFeatures.end())
                ask(f->second, value);
            s->setSliderDown(true);
            s->setValue(value);
            s->setSliderDown(false);
            ++actions["slider"];
            return;
        }
        if (dice < 50) {
            QList<QAbstractSpinBox*> boxes_;
            for (QAbstractSpinBox* s : page->findChildren<QAbstractSpinBox*>())
                if (s->isVisible() && s->isEnabled()) boxes_ << s;
            if (boxes_.isEmpty()) return;
            QAbstractSpinBox* s = boxes_.at(random.bounded(boxes_.size()));
            s->setFocus();
            QTest::keyClick(s, random.bounded(2) ? Qt::Key_Up : Qt::Key_Down);
            // The slider beside the spin box follows it and is what the write takes.
            for (const auto& [name, feature] : kSliderFeatures) {
                if (auto* slider = page->findChild<QSlider*>(name)) ask(feature, slider->value());
            }
            QTest::keyClick(s, press_return && random.bounded(2) ? Qt::Key_Return : Qt::Key_Tab);
            ++actions["spin box"];
            return;
        }
        if (dice < 58) {
            static const Qt::Key keys[] = {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Up, Qt::Key_Down,
                                           Qt::Key_Space};
            QWidget* focus = QApplication::focusWidget();
            const Qt::Key key = keys[random.bounded(5)];
            // A key on a slider moves it: asked like a drag.
            if (auto* s = qobject_cast<QSlider*>(focus);
                s && (key == Qt::Key_Up || key == Qt::Key_Down)) {
                const int next = std::clamp(
                    s->value() + (key == Qt::Key_Up ? s->singleStep() : -s->singleStep()),
                    s->minimum(), s->maximum());
                if (const auto f = kSliderFeatures.find(s->objectName());
                    f != kSliderFeatures.end())
                    ask(f->second, next);
            }
            if (focus && focus->window() == window && !qobject_cast<QAbstractButton*>(focus) &&
                !qobject_cast<QComboBox*>(focus) && !qobject_cast<QAbstractSpinBox*>(focus))
                QTest::keyClick(focus, key);
            ++actions["key"];
            return;
        }
        // A click on one of the page's buttons (the wizard's Edit... among them).
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
            if (b->isVisible() && b->isEnabled()) buttons << b;
        if (buttons.isEmpty()) return;
        QAbstractButton* b = buttons.at(random.bounded(buttons.size()));
        const QString name = b->objectName();
        // What a radio button or a mode button asks for.
        if (name.startsWith("pip_color_vision_emulation_")) {
            static const QStringList ids = {"off", "P", "D", "T", "grayscale"};
            for (int i = 0; i < ids.size(); ++i)
                if (name == "pip_color_vision_emulation_" + ids[i] + "_radioButton")
                    ask(mf::pip_sub_color_vision, i + 1);
        } else if (name.startsWith("color_vision_emulation_")) {
            static const QStringList ids = {"off", "P", "D", "T", "grayscale"};
            for (int i = 0; i < ids.size(); ++i)
                if (name == "color_vision_emulation_" + ids[i] + "_radioButton")
                    ask(mf::color_vision, i + 1);
        } else if (name.startsWith("pip_")) {
            static const QStringList ids = {"pip_off_radioButton", "pip_pip_radioButton",
                                            "pip_pbp_aspect_radioButton",
                                            "pip_pbp_full_radioButton"};
            if (const int i = static_cast<int>(ids.indexOf(name)); i >= 0) ask(mf::pip_mode, i + 1);
        }
        QTest::mouseClick(b, Qt::LeftButton);
        ++actions["click"];
    };

    // Each tick queues one step: a step that opens a modal dialog runs its event loop from the
    // queued call, where the driver's next ticks keep coming (a timer never fires inside its
    // own slot). Once the time is up, steps only close what is open.
    QElapsedTimer clock;
    clock.start();
    auto finishing = [&] { return clock.elapsed() > seconds * 1000LL; };
    auto close_modal = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || CheckRestoreMonitorSettingsThread::monitor_in_use() ||
            platform::in_responsive_wait() || answer_boxes())
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal);
            dialog && !dialog->inherits("TW_restore_monitor_settings_dialog"))
            dialog->reject();
    };
    bool queued = false;
    QTimer driver;
    driver.setInterval(15);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (queued) return;
        queued = true;
        QTimer::singleShot(0, window, [&] {
            queued = false;
            finishing() ? close_modal() : step();
        });
    });
    driver.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return finishing() && !QApplication::activeModalWidget(); },
                                seconds * 1000 + 120000));
    driver.stop();
    neighbour_stopped = true;
    if (neighbour.state() != QProcess::NotRunning) {
        EXPECT_TRUE(neighbour.waitForFinished(30000));
    }
    QTest::qWait(monitor_timing::kWriteDelayMs + monitor_timing::kSaveDelayMs + 1500);
    boxes.stop();
    QString summary;
    for (const auto& [what, n] : actions)
        summary += QStringLiteral(" %1=%2").arg(what).arg(n);
    std::printf("robustness run: seed %u, %d s:%s\n", seed, seconds, qPrintable(summary));
    // The live monitors' count too: a backend the program dropped may have saved over it.
    if (platform::CSimBackend* backend = machine_->backend) {
        for (std::size_t i = 0; i < backend->monitor_count(); ++i)
            EXPECT_EQ(backend->monitor(i)->state().overlapping_conversations, 0)
                << qPrintable(backend->monitor(i)->key()) << " (seed " << seed << ")";
    }
    master_.reset();
    machine_.reset();

    const auto factory = sim::create_monitors(config_);
    const auto final_state = stored_state();
    for (std::size_t i = 0; i < final_state.size(); ++i) {
        const sim::CSimMonitor& now = *final_state[i];
        const sim::CSimMonitor& start = *initial[i];
        EXPECT_EQ(now.state().overlapping_conversations, 0) << qPrintable(now.key());
        for (int feature : kCheckedFeatures) {
            auto legitimate = [&](int memory, int value, int initial_value) {
                if (value == initial_value) return true;
                const auto it = asked_.find({now.key(), memory, feature});
                if (it != asked_.end() && it->second.count(value)) return true;
                // A reset brings back the values the monitor left the factory with.
                for (const auto& mem : factory[i]->state().memories)
                    if (auto f = mem.values.find(feature);
                        f != mem.values.end() && f->second == value)
                        return true;
                if (auto f = factory[i]->state().values.find(feature);
                    f != factory[i]->state().values.end() && f->second == value)
                    return true;
                return false;
            };
            if (auto f = now.state().values.find(feature); f != now.state().values.end()) {
                const auto s = start.state().values.find(feature);
                EXPECT_TRUE(
                    legitimate(0, f->second, s == start.state().values.end() ? -1 : s->second))
                    << qPrintable(now.key()) << " feature 0x" << std::hex << feature << std::dec
                    << " holds " << f->second << ", which no control asked for (seed " << seed
                    << ")";
            }
            for (std::size_t m = 0; m < now.state().memories.size(); ++m) {
                const auto& values = now.state().memories[m].values;
                const auto f = values.find(feature);
                if (f == values.end()) continue;
                const auto& before = start.state().memories[m].values;
                const auto s = before.find(feature);
                EXPECT_TRUE(legitimate(static_cast<int>(m) + 1, f->second,
                                       s == before.end() ? -1 : s->second))
                    << qPrintable(now.key()) << " memory " << m + 1 << " feature 0x" << std::hex
                    << feature << std::dec << " holds " << f->second
                    << ", which no control asked for (seed " << seed << ")";
            }
        }
    }
}

}  // namespace
