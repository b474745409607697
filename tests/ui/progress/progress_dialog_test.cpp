#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "comm/monitor_features.h"
#include "comm/monitor_fixture.h"
#include "comm/monitor_timing.h"
#include "core/string_table.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"

namespace {

using monitor_testing::MonitorTest;
using Worker = CheckRestoreMonitorSettingsThread;
namespace mf = monitor_feature;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true, "memories": 3}]})";

QProgressBar* bar_of(const QDialog& dialog) {
    return dialog.findChild<QProgressBar*>(QStringLiteral("restore_settings_progressBar"));
}
QString text_of(const QDialog& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("restore_settings_progress_text_label"))
        ->text();
}
bool waited(const std::vector<int>& waits, int ms) {
    return std::find(waits.begin(), waits.end(), ms) != waits.end();
}

struct ProgressDialog : MonitorTest {
    void SetUp() override {
        simulate(kConfig);
        open(0);
    }
    void TearDown() override { EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()); }
    int feature(int code) { return sim_monitor().read_feature(code).current; }
};

TEST_F(ProgressDialog, ReadingColorSettingsFillsTheRecordAndTheBarToItsEnd) {
    CAdjustValue record;
    TW_restore_monitor_settings_dialog dialog(&monitor, Worker::ReadColorSettings);
    dialog.set_adjust_record(&record);
    EXPECT_EQ(text_of(dialog), string(701).arg(monitor.model_name()));
    EXPECT_EQ(dialog.windowTitle(), string(1));

    EXPECT_EQ(dialog.exec(), 0);
    const QProgressBar* bar = bar_of(dialog);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(record.modeSettings.size(), 3);
    // The record keeps the string the monitor reports, terminator excluded.
    std::vector<char> direct(CDDCMonitor::kCapabilitySize);
    monitor.copy_capabilities(direct.data(), int(direct.size()));
    EXPECT_FALSE(record.extra.isEmpty());
    EXPECT_EQ(record.extra, QByteArray(direct.data()));
    EXPECT_TRUE(record.extra.startsWith('('));
}

TEST_F(ProgressDialog, AnOperationWithoutWorkEndsAtOnceWithABusyBar) {
    TW_restore_monitor_settings_dialog dialog(&monitor, 2);
    EXPECT_EQ(bar_of(dialog)->maximum(), 0);
    EXPECT_TRUE(text_of(dialog).isEmpty());
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(bar_of(dialog)->maximum(), 0);
    EXPECT_EQ(exchanges(), 0);
    EXPECT_TRUE(sleeper.waits().empty());
}

TEST_F(ProgressDialog, MissingInputsGiveTheDescribedCodesWithoutTouchingTheMonitor) {
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::Write3dLut,
                                                  QStringLiteral("A"));
        EXPECT_EQ(text_of(dialog), string(708).arg(QStringLiteral("A")));
        EXPECT_EQ(dialog.exec(), -1);  // size 0
    }
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::AdjustSettings);
        EXPECT_EQ(dialog.exec(), -1);  // no settings block
    }
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::RestoreSettings);
        EXPECT_EQ(text_of(dialog), string(710).arg(monitor.model_name()));
        EXPECT_EQ(dialog.exec(), -1);
    }
    {
        CSpline red;
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::Write1dLuts);
        dialog.set_curves(&red, nullptr, nullptr);
        EXPECT_EQ(dialog.exec(), 0);
    }
    EXPECT_EQ(exchanges(), 0);
}

TEST_F(ProgressDialog, AFailed3dLutUploadDoesNotSwitchTheLutOn) {
    // This model takes no 3D LUT: the upload fails, and the LUT must not be switched on.
    const int n = CDDCMonitor::kLutNodes;
    std::vector<std::int32_t> points(std::size_t(3 * n * n * n), 512);
    const int before = feature(mf::lut_use);
    TW_restore_monitor_settings_dialog dialog(&monitor, Worker::Write3dLut);
    dialog.set_lut(points, n);
    const int error = dialog.exec();
    EXPECT_LT(error, 0);
    EXPECT_EQ(feature(mf::lut_use), before);
    EXPECT_FALSE(waited(sleeper.waits(), monitor_timing::kPictureSettingWaitMs));
    EXPECT_LT(bar_of(dialog)->value(), bar_of(dialog)->maximum());
}

TEST_F(ProgressDialog, ReadingThe1dLutsLeavesTheMonitorInNormalMode) {
    CSpline red, green, blue;
    TW_restore_monitor_settings_dialog dialog(&monitor, Worker::Read1dLuts);
    dialog.set_curves(&red, &green, &blue);
    EXPECT_EQ(text_of(dialog), string(701).arg(monitor.model_name()));
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(feature(mf::lut_mode), mf::lut_mode_normal);
    EXPECT_TRUE(waited(sleeper.waits(), monitor_timing::kLutModeWaitMs));
    EXPECT_TRUE(red.valid && green.valid && blue.valid);

    // What was read goes back unchanged through operation 3.
    sleeper.clear();
    TW_restore_monitor_settings_dialog write(&monitor, Worker::Write1dLuts);
    write.set_curves(&red, &green, &blue);
    EXPECT_EQ(text_of(write), string(706).arg(monitor.model_name()));
    EXPECT_EQ(write.exec(), 0);
    CSpline red2, green2, blue2;
    TW_restore_monitor_settings_dialog again(&monitor, Worker::Read1dLuts);
    again.set_curves(&red2, &green2, &blue2);
    EXPECT_EQ(again.exec(), 0);
    for (double x : {0.0, 0.25, 0.5, 1.0}) {
        EXPECT_NEAR(red2.evaluate(x), red.evaluate(x), 1e-3) << x;
        EXPECT_NEAR(blue2.evaluate(x), blue.evaluate(x), 1e-3) << x;
    }
}

TEST_F(ProgressDialog, ASettingsBlockIsAppliedAndReportsWhatTheMonitorTook) {
    CMonitorSettingList settings;
    CMonitorSetting brightness;
    brightness.code = mf::luminance;
    brightness.value = 90;
    settings.append(brightness);
    TW_restore_monitor_settings_dialog dialog(&monitor, Worker::AdjustSettings);
    dialog.set_settings(&settings);
    EXPECT_EQ(text_of(dialog), string(709).arg(monitor.model_name()));
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(feature(mf::luminance), 90);
    EXPECT_EQ(settings[0].result, 0);
}

TEST_F(ProgressDialog, EscapeAndRejectDoNotCloseTheDialog) {
    TW_restore_monitor_settings_dialog dialog(nullptr, 2);
    dialog.reject();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    // Only the end of the operation closes it.
    dialog.show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
}

TEST_F(ProgressDialog, ProgressMessagesMoveTheBarAndOthersAreIgnored) {
    TW_restore_monitor_settings_dialog dialog(nullptr, Worker::ReadColorSettings);
    QProgressBar* bar = bar_of(dialog);
    dialog.Broadcast_MessageIn(2, 4);
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 0);
    dialog.Broadcast_MessageIn(1, 77);  // the value of a step is ignored
    dialog.Broadcast_MessageIn(3, 2);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(bar->maximum(), 4);
    dialog.Broadcast_MessageIn(2, 10);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), 10);
}

TEST_F(ProgressDialog, DestroyingTheDialogDuringAnOperationJoinsTheWorker) {
    CAdjustValue record;
    QThread* thread = nullptr;
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::ReadColorSettings);
        dialog.set_adjust_record(&record);
        dialog.show();
        thread = dialog.worker();
        EXPECT_TRUE(thread->isRunning() || thread->isFinished());
    }
    // Aborted before it began or run to its end, never left half way.
    EXPECT_TRUE(record.modeSettings.isEmpty() || record.modeSettings.size() == 3)
        << record.modeSettings.size();
    EXPECT_FALSE(Worker::monitor_in_use());
}

// A read that fails half way (here at the first slot name, after every memory) leaves the
// record as it was: before, it kept the new memories and no slot names, and was stored so.
TEST_F(ProgressDialog, AFailedReadLeavesTheRecordAsItWas) {
    CAdjustValue record;
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::ReadColorSettings);
        dialog.set_adjust_record(&record);
        ASSERT_EQ(dialog.exec(), 0);
    }
    ASSERT_FALSE(record.namedEntries.isEmpty());
    const QList<CModeSettings> memories = record.modeSettings;
    const QList<CNamedEntry> names = record.namedEntries;
    const QByteArray capabilities = record.extra;

    sim_monitor().write_feature(mf::brightness, 77);  // the memory read now differs
    sim_monitor().faults().add({sim::CSimFault::lost_reply, -1, 0xC226, 1, 5});
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::ReadColorSettings);
        dialog.set_adjust_record(&record);
        EXPECT_NE(dialog.exec(), 0);
    }
    EXPECT_EQ(record.modeSettings, memories);
    EXPECT_EQ(record.namedEntries, names);
    EXPECT_EQ(record.extra, capabilities);

    // Once the monitor answers again the same read takes the new values.
    sim_monitor().faults().clear();
    {
        TW_restore_monitor_settings_dialog dialog(&monitor, Worker::ReadColorSettings);
        dialog.set_adjust_record(&record);
        EXPECT_EQ(dialog.exec(), 0);
    }
    EXPECT_NE(record.modeSettings, memories);
    EXPECT_EQ(record.namedEntries, names);
}

// A monitor whose capability string fills its whole buffer, so its copy has no terminator.
struct LongCapabilityMonitor : CDDCMonitor {
    int read_picture_memories(CAdjustValue& target) override {
        target.modeSettings.clear();
        return 0;
    }
    int read_capabilities() override {
        capability_text.fill('v');
        return 0;
    }
};

TEST(ProgressWorker, TheCapabilityCopyIsBoundedAndTerminated) {
    LongCapabilityMonitor monitor;
    CAdjustValue record;
    record.extra = QByteArray(20000, 'z');
    Worker worker;
    worker.set_monitor(nullptr, &monitor);
    worker.set_adjust_record(&record);
    EXPECT_EQ(worker.perform(Worker::ReadColorSettings), 0);
    EXPECT_EQ(record.extra.size(), Worker::kCapabilityCopySize - 1);
    EXPECT_EQ(record.extra, QByteArray(Worker::kCapabilityCopySize - 1, 'v'));
}

TEST(ProgressWorker, ARunningWorkerRunsAgainOnRestartAndStopsOnAbort) {
    std::vector<int> results;
    {
        Worker worker;
        worker.set_operation(7);
        QObject::connect(&worker, &Worker::Finished, [&](int e) { results.push_back(e); });
        worker.start_operation();
        ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 1; }, 5000));
        EXPECT_TRUE(worker.isRunning());  // waiting for a restart
        worker.set_operation(Worker::AdjustSettings);
        worker.start_operation();
        ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 5000));
    }
    EXPECT_EQ(results, (std::vector<int>{0, -1}));
}

}  // namespace
