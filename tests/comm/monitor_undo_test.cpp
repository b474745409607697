// The journal behind a dialog's Cancel: what it keeps before each write, and that putting it
// back leaves the simulated monitor's settings exactly as they were.
#include <QStringList>
#include <vector>

#include "color/spline.h"
#include "comm/monitor_features.h"
#include "comm/monitor_undo.h"
#include "monitor_fixture.h"
#include "support/sim_settings.h"

namespace mf = monitor_feature;

namespace {

using monitor_testing::MonitorTest;
using sim::CSimFault;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true}]})";

class MonitorUndoTest : public MonitorTest {
  protected:
    void SetUp() override {
        simulate(kConfig);
        open(1);  // the USB interface
    }
    testing_support::CSimSettings settings() {
        return testing_support::CSimSettings::of(sim_monitor());
    }
    int set(int code, int value) { return monitor.set_value(code, value); }
    int get(int code) {
        int value = -1;
        EXPECT_EQ(monitor.get_value(code, value), 0);
        return value;
    }
};

TEST_F(MonitorUndoTest, WritesInSeveralMemoriesAndTheirTablesAndSlotsAllGoBack) {
    ASSERT_EQ(set(mf::luminance, 133), 0);  // memory 1 as the user had tuned it
    const testing_support::CSimSettings before = settings();
    CMonitorUndo undo;
    ASSERT_EQ(undo.begin(monitor), 0);
    monitor.set_undo(&undo);
    // A preset change replaces the whole mode; then a gamma, a name, a 3D LUT, 1D tables.
    EXPECT_EQ(set(mf::preset, 8), 0);
    EXPECT_EQ(set(mf::gamma_value, 210), 0);
    EXPECT_EQ(monitor.write_slot_name(2, "Proof"), 0);
    std::vector<std::int32_t> lut(3 * 9 * 9 * 9, 1234);
    EXPECT_EQ(monitor.write_lut_to_slot(2, lut), 0);
    CSpline red, green, blue;
    for (CSpline* c : {&red, &green, &blue}) {
        c->init(CSpline::kCatmullRom, 2, 0.0, 1.0);
        c->setPointAt(0, 0.0, 0.1);
        c->setPointAt(1, 1.0, 0.9);
    }
    EXPECT_EQ(monitor.write_gamma_from_curves(red, green, blue), 0);
    // And another memory, whose first write is after a memory switch.
    EXPECT_EQ(set(mf::memory_select, 3), 0);
    EXPECT_EQ(set(mf::luminance, 90), 0);
    EXPECT_EQ(set(mf::white_x, 300), 0);
    monitor.set_undo(nullptr);
    ASSERT_TRUE(undo.changed());
    ASSERT_FALSE(settings() == before) << "the writes reached the monitor";

    QStringList failures;
    EXPECT_EQ(undo.restore(monitor, &failures), 0) << qPrintable(failures.join(", "));
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_TRUE(settings() == before) << testing_support::differences(before, settings());
    EXPECT_EQ(get(mf::memory_select), 1);
    EXPECT_EQ(get(mf::luminance), 133);
}

TEST_F(MonitorUndoTest, WhatCouldNotBeReadBeforeItChangedIsNamedAndTheRestGoesBack) {
    const testing_support::CSimSettings before = settings();
    CMonitorUndo undo;
    ASSERT_EQ(undo.begin(monitor), 0);
    monitor.set_undo(&undo);
    EXPECT_EQ(set(mf::gamma_value, 210), 0);
    // The old name does not read (every try lost); the new one is written all the same.
    sim_monitor().faults().add({CSimFault::lost_reply, -1, 0xC226, 1, 20});
    EXPECT_EQ(monitor.write_slot_name(3, "Press"), 0);
    sim_monitor().faults().clear();
    monitor.set_undo(nullptr);

    QStringList failures;
    EXPECT_NE(undo.restore(monitor, &failures), 0) << "not everything could be put back";
    EXPECT_EQ(failures, QStringList{QStringLiteral("the name of slot 3")});
    testing_support::CSimSettings after = settings();
    EXPECT_EQ(after.slot_names[2].trimmed(), QByteArray("Press"));
    after.slot_names = before.slot_names;
    EXPECT_TRUE(after == before) << "everything else is back";
}

TEST_F(MonitorUndoTest, ReadsAndActionsAreNotKeptAndAJournalWithoutAStartRestoresNothing) {
    CMonitorUndo undo;
    ASSERT_EQ(undo.begin(monitor), 0);
    monitor.set_undo(&undo);
    get(mf::gamma_value);
    EXPECT_EQ(set(mf::reset_mode, 1), 0);  // an action: nothing to write back
    monitor.set_undo(nullptr);
    EXPECT_FALSE(undo.changed());

    CMonitorUndo unstarted;
    QStringList failures;
    EXPECT_NE(unstarted.restore(monitor, &failures), 0);
}

}  // namespace
