#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/settings_paths.h"
#include "platform/fake_sleeper.h"
#include "platform/sleeper.h"
#include "ui/main_window/main_dialog.h"
#include "ui/main_window/main_window_start.h"
#include "ui/main_window/panel_picture_mode.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_settings.h"
#include "ui/main_window/panel_vision_emulation.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"

namespace mf = monitor_feature;

namespace {

// Closes every message box that comes up.
using BoxCloser = testing_support::MessageCatcher;

// Records every wait like the fake, but lets real time pass on threads other than the GUI
// thread (a tenth of the wait), so that a worker's exchange stays open long enough for a
// GUI-thread request to fall into it if anything lets one through.
class WorkerPaceSleeper final : public platform::CSleeper {
  public:
    void sleep(int milliseconds) override {
        fake.sleep(milliseconds);
        if (QThread::currentThread() != qApp->thread())
            std::this_thread::sleep_for(std::chrono::microseconds(milliseconds * 100));
    }
    platform::CFakeSleeper fake;
};

constexpr const char* kPipMonitor = R"({"state_file": "STATE", "monitors": [
    {"id": "a", "model": "KX271W", "serial": "71000011", "usb": true}]})";

class OneConversation : public ::testing::Test {
  protected:
    void SetUp() override {
        closer_ = std::make_unique<BoxCloser>();
        state_ = dir_.path() + QStringLiteral("/state.json");
        ASSERT_NO_FATAL_FAILURE(
            testing_support::start_main_window(dir_.path(), kPipMonitor, master_, window_));
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    }
    void TearDown() override {
        master_.reset();
        closer_.reset();
        qunsetenv("ORVALE_SIM_CONFIG");
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
        EXPECT_EQ(overlapping_conversations(), 0);
    }

    template <class Page>
    Page* page(int row) {
        return qobject_cast<Page*>(window_->pages()->widget(row));
    }

    // What the simulator counted, from its state file (absent: none).
    int overlapping_conversations() const {
        QFile file(state_);
        if (!file.open(QIODevice::ReadOnly)) return 0;
        const QJsonObject monitors =
            QJsonDocument::fromJson(file.readAll()).object().value("monitors").toObject();
        int total = 0;
        for (const QJsonValue& entry : monitors)
            total += entry.toObject().value("overlapping_conversations").toInt();
        return total;
    }

    // Runs `handler` with the device timer falling due inside its event processing; true when
    // the rescan waited for the handler and ran after it.
    ::testing::AssertionResult rescan_waits_for(const char* name,
                                                const std::function<void()>& handler) {
        const int before = window_->rescan_count();
        int during = -1;
        window_->device_timer()->start(0);
        handler();
        during = window_->rescan_count();
        if (during != before)
            return ::testing::AssertionFailure() << name << ": the rescan ran inside the handler";
        if (!QTest::qWaitFor([&] { return window_->rescan_count() > before; }, 5000))
            return ::testing::AssertionFailure() << name << ": the rescan never ran";
        if (monitor_token::holders() != 0 || monitor_token::deferred_count() != 0)
            return ::testing::AssertionFailure() << name << ": the token was not let go";
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<BoxCloser> closer_;
    QTemporaryDir dir_;
    QString state_;
    std::unique_ptr<MasterControl> master_;
    main_dialog* window_ = nullptr;
};

// The rescan frees the monitor the handlers keep across their event processing: it has to
// wait for them (in the sanitizer configuration a nested rescan is a use after free).
TEST_F(OneConversation, ARescanDueInsideAHandlersEventProcessingRunsAfterIt) {
    auto* picture = page<panel_picture_mode>(0);
    auto* pip = page<panel_pip_mode>(1);
    auto* vision = page<panel_vision_emulation>(2);
    ASSERT_TRUE(picture && pip && vision);

    EXPECT_TRUE(rescan_waits_for("PIP input", [&] { pip->onPIPInputSelectionChanged(1); }));
    EXPECT_TRUE(rescan_waits_for("PIP mode", [&] { pip->onPIPModeSelectionChanged(2); }));
    EXPECT_TRUE(
        rescan_waits_for("PIP memory", [&] { pip->onPIPPicturePresetSelectionChanged(1); }));
    EXPECT_TRUE(rescan_waits_for("colour vision",
                                 [&] { vision->color_vision_emulation_buttonClicked(3); }));
    EXPECT_TRUE(
        rescan_waits_for("memory selection", [&] { picture->picture_mode_buttonClicked(2); }));
    EXPECT_TRUE(rescan_waits_for(
        "metamerism", [&] { picture->on_metamerism_checkBox_stateChanged(Qt::Checked); }));
    EXPECT_TRUE(rescan_waits_for("picture page refresh", [&] { picture->update_ui(); }));

    // What the handlers asked for arrived, in the monitor the window shows after the rescans.
    CDDCMonitor* monitor = master_->current_display().monitor();
    ASSERT_NE(monitor, nullptr);
    int value = 0;
    EXPECT_EQ(monitor->get_value(mf::color_vision, value), 0);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(monitor->get_value(mf::memory_select, value), 0);
    EXPECT_EQ(value, 2);
}

// A selection change also frees the monitor: made (by a queued signal, as a click would)
// inside a handler's event processing, it takes effect after the handler.
TEST_F(OneConversation, ASelectionChangeInsideAHandlerWaitsForIt) {
    auto* vision = page<panel_vision_emulation>(2);
    CDDCMonitor* before = master_->current_display().monitor();
    ASSERT_NE(before, nullptr);
    bool inside = false;
    bool connected_inside = false;
    QTimer::singleShot(0, window_, [&] {
        window_->onDisplaySelectionChanged(0);
        connected_inside = inside && monitor_token::deferred_count() == 0;
    });
    inside = true;
    vision->color_vision_emulation_buttonClicked(2);
    inside = false;
    EXPECT_FALSE(connected_inside);
    EXPECT_TRUE(QTest::qWaitFor([] { return monitor_token::deferred_count() == 0; }, 5000));
    EXPECT_NE(master_->current_display().monitor(), nullptr);
}

// Operation 4 reads the 1D LUTs on the worker for seconds; every GUI-thread timer that talks
// to the monitor falls due meanwhile and must leave it to the worker.
TEST_F(OneConversation, NoTimerTalksToAMonitorTheWorkerHolds) {
    WorkerPaceSleeper sleeper;
    const platform::CScopedSleeper scoped(sleeper);
    auto* picture = page<panel_picture_mode>(0);
    auto* pip = page<panel_pip_mode>(1);
    auto* settings = page<panel_settings>(3);
    CDDCMonitor* monitor = master_->current_display().monitor();
    ASSERT_NE(monitor, nullptr);

    int ticks = 0;
    QTimer timers;
    timers.setInterval(0);
    QObject::connect(&timers, &QTimer::timeout, [&] {
        ++ticks;
        picture->check_brightness_limit_timer_timeout();
        picture->save_timer_timeout();
        pip->save_timer_timeout();
        settings->timer_timeout();
    });
    CSpline red, green, blue;
    TW_restore_monitor_settings_dialog dialog(
        monitor, CheckRestoreMonitorSettingsThread::Read1dLuts, QString(), window_);
    dialog.set_holder(&master_->current_display());
    dialog.set_curves(&red, &green, &blue);
    timers.start();
    EXPECT_EQ(dialog.exec(), 0);
    timers.stop();
    EXPECT_GT(ticks, 10);
    EXPECT_TRUE(red.valid && green.valid && blue.valid);
    EXPECT_EQ(overlapping_conversations(), 0);
}

}  // namespace
