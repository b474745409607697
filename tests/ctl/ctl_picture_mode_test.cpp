#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSaveFile>
#include <functional>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/picture_mode_controller.h"
#include "core/settings_paths.h"
#include "ctl/ctl_session.h"
#include "ctl_runner.h"
#include "profiles/color_management.h"
#include "support/test_environment.h"

using ctl_testing::Machine;
using ctl_testing::Result;

namespace {

// The tool on the record the program keeps: labels and profile request as the page makes them.
struct CtlPictureMode : ::testing::Test {
    Machine machine;
    // Profiles other tests of this process wrote would make the first one "unchanged".
    void SetUp() override { QDir(colorDirectory()).removeRecursively(); }
    void TearDown() override {
        QFile::remove(config_file_path());
        QDir(colorDirectory()).removeRecursively();
    }

    Result ok(const QStringList& args) {
        const Result run = machine.ctl(args);
        EXPECT_EQ(run.exit_code, 0)
            << args.join(' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }
    // Runs `work` in this process on display 2 of the tools' simulated machine, as the program
    // would see it.
    void on_display_two(const std::function<void(ctl::CSession&)>& work) {
        const testing_support::CScopedVariable config("ORVALE_SIM_CONFIG", "default");
        const testing_support::CScopedVariable state("ORVALE_SIM_STATE",
                                                     machine.state_path().toUtf8());
        ctl::CSession session(false);
        QString why;
        ASSERT_EQ(session.open(2, why), 0) << why.toStdString();
        work(session);
    }
    // The controller as the page runs it on the session's monitor and records.
    static CPictureModeController page_controller(ctl::CSession& session) {
        return CPictureModeController([&session] {
            return CPictureModeController::Target{session.monitor(), &session.records(),
                                                  &session.opened()};
        });
    }
    // Saves "config.dat" with one record, as the program would after synchronising.
    static void save_config(CMonitorTracker& records) {
        QSaveFile file(config_file_path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QDataStream out(&file);
        out.setVersion(QDataStream::Qt_4_7);
        CMultiMonitor none;
        ASSERT_EQ(none.write_config(out), 0);
        ASSERT_EQ(records.write(out), 0);
        ASSERT_TRUE(file.commit());
    }
};

TEST_F(CtlPictureMode, TheProgramsRecordNamesTheMemoriesAndHoldsTheProfilesReference) {
    ok({"mode", "2", "4", "--no-profile"});

    // The program's record of display 2, read from the simulated monitor in this process; the
    // record gives memory 1 another preset than the monitor holds, and its reference item is
    // the active mode.
    QStringList page_labels;
    int memory_one_preset = 0;
    on_display_two([&](ctl::CSession& session) {
        CDDCMonitor& monitor = *session.monitor();
        CMonitorEntry entry{{}, monitor.model_name(), monitor.serial_number()};
        ASSERT_EQ(monitor.read_picture_memories(entry.adjust), 0);
        const CModeSettings* active = entry.adjust.findModeSettings(4);
        ASSERT_NE(active, nullptr);
        entry.adjust.referenceSettings = *active;
        CModeSettings first = *entry.adjust.findModeSettings(1);
        memory_one_preset = first.preset() == monitor_preset::kEciRgb ? monitor_preset::kSrgb
                                                                      : monitor_preset::kEciRgb;
        first.values[1] = static_cast<std::int16_t>(memory_one_preset);
        entry.adjust.setModeSettings(first);
        session.records().store(entry);
        save_config(session.records());
        page_labels = page_controller(session).memory_labels(4, 5);
    });

    const QJsonArray memories = ok({"mode", "2", "--json"}).json().value("memories").toArray();
    ASSERT_EQ(memories.size(), page_labels.size());
    for (int i = 0; i < memories.size(); ++i) {
        EXPECT_EQ(memories[i].toObject().value("label").toString(), page_labels[i]) << i + 1;
        EXPECT_NE(page_labels[i], QStringLiteral("Mode %1").arg(i + 1))
            << "the record names every memory";
    }
    EXPECT_EQ(memories[0].toObject().value("preset").toInt(), memory_one_preset)
        << "memory 1 as the program's record has it";

    // The first profile is written; the program's record says which mode the display's
    // profile describes, so the second run leaves it.
    EXPECT_EQ(ok({"profile", "2", "--json"}).json().value("outcome").toString(),
              QStringLiteral("updated"));
    const Result again = ok({"profile", "2", "--json"});
    EXPECT_EQ(again.json().value("outcome").toString(), QStringLiteral("unchanged"));
    EXPECT_EQ(again.json().value("memory").toInt(), 4);
}

// The verification names the active mode as the page's buttons do: a programmable slot the
// program's record names is reported by that name, not by the slot's number.
TEST_F(CtlPictureMode, VerifyNamesTheModeByTheProgramsRecord) {
    ok({"mode", "2", "4", "--no-profile"});
    QString page_label;
    QString unnamed_label;
    on_display_two([&](ctl::CSession& session) {
        CDDCMonitor& monitor = *session.monitor();
        int preset = monitor_preset::programmable_mode(2);
        ASSERT_EQ(monitor.set_value(monitor_feature::preset, preset), 0);
        unnamed_label = page_controller(session).label_of_preset(preset);
        CMonitorEntry entry{{}, monitor.model_name(), monitor.serial_number()};
        ASSERT_EQ(monitor.read_picture_memories(entry.adjust), 0);
        entry.adjust.namedEntries = {CNamedEntry::for_slot(QStringLiteral("  Proof   D50 "), 2)};
        session.records().store(entry);
        save_config(session.records());
        page_label = page_controller(session).label_of_preset(preset);
    });
    ASSERT_EQ(page_label, QStringLiteral("Proof D50"));
    ASSERT_NE(page_label, unnamed_label);

    const QJsonObject report = ok({"--json", "verify", "2"}).json();
    EXPECT_EQ(report.value("mode").toString().toStdString(),
              (QStringLiteral("memory 4, ") + page_label).toStdString());
}

}  // namespace
