#include <gtest/gtest.h>

#include <QDir>

#include "color/curve_builders.h"
#include "color/display_info.h"
#include "comm/monitor_features.h"
#include "comm/monitor_fixture.h"
#include "core/picture_mode_controller.h"
#include "profiles/color_management.h"
#include "sim/sim_faults.h"

using namespace picture_mode;
namespace mf = monitor_feature;

namespace {

constexpr const char* kMonitor =
    R"({"monitors": [{"model": "KX271W", "serial": "71000123", "usb": true}]})";

// The controller on a simulated monitor and a record store of its own, as the page and the
// tool each hand it theirs.
class PictureModeController : public monitor_testing::MonitorTest {
  protected:
    void SetUp() override {
        simulate(kMonitor);
        open(0);
        display.text4 = QStringLiteral("card0-DP-1");
        display.text5 = QStringLiteral("MONITOR\\KST0271\\card0-DP-1");
    }
    void TearDown() override { QDir(colorDirectory()).removeRecursively(); }

    CPictureModeController controller{
        [this] {
            return CPictureModeController::Target{&monitor, &records, &display};
        },
        hooks()};

    CPictureModeController::Hooks hooks() {
        CPictureModeController::Hooks h;
        h.read_curves = [this](CCurveSet& set) {
            ++curve_reads;
            for (CSpline* curve : {&set.red, &set.green, &set.blue})
                make_gamma_curve(*curve, 2.4);
            return 0;
        };
        return h;
    }
    int feature(int code) { return sim_monitor().read_feature(code).current; }
    void set_feature(int code, int value) { sim_monitor().write_feature(code, value); }
    int saves() { return sim_monitor().counters().saves; }
    // A limit as the page shows it: the monitor's value, or -1 when it does not know it.
    int limit(int code) {
        const sim::CSimReading r = sim_monitor().read_feature(code);
        return r.result == 0 ? r.current : -1;
    }
    // The record as the main window keeps it after synchronising.
    CMonitorEntry store_record() {
        CMonitorEntry entry{{}, monitor.model_name(), monitor.serial_number()};
        EXPECT_EQ(monitor.read_picture_memories(entry.adjust), 0);
        records.store(entry);
        return entry;
    }
    CMonitorEntry record() {
        CMonitorEntry entry{{}, monitor.model_name(), monitor.serial_number()};
        EXPECT_GE(records.lookup(entry), 0);
        return entry;
    }
    QString label_of(int preset, const CMonitorEntry& entry) {
        return preset_label(preset, &entry.adjust, monitor.has_simulated_dicom()).simplified();
    }

    CMonitorTracker records;
    DisplayInfo display;
    int curve_reads = 0;
};

TEST_F(PictureModeController, LabelsComeFromTheRecordWithTheActivePresetAsTheMonitorReportsIt) {
    // Without a record every memory is numbered, and none is made.
    const QStringList numbered = controller.memory_labels(1, 5);
    ASSERT_EQ(numbered.size(), 5);
    for (int memory = 1; memory <= 5; ++memory)
        EXPECT_EQ(numbered[memory - 1], default_button_label(memory));
    EXPECT_EQ(records.count(), 0);

    set_feature(mf::memory_select, 1);
    const CMonitorEntry synchronised = store_record();
    ASSERT_NE(synchronised.adjust.findModeSettings(1), nullptr);
    // The monitor's own controls gave memory 1 another preset since the record was read.
    const int was = synchronised.adjust.findModeSettings(1)->preset();
    const int now =
        was == monitor_preset::kEciRgb ? monitor_preset::kSrgb : monitor_preset::kEciRgb;
    set_feature(mf::preset, now);
    const QStringList labels = controller.memory_labels(1, 5);
    EXPECT_EQ(labels[0], label_of(now, synchronised));
    EXPECT_NE(labels[0], label_of(was, synchronised));
    EXPECT_EQ(record().adjust.findModeSettings(1)->preset(), now) << "the record is stored again";
    for (int memory = 2; memory <= 5; ++memory) {
        const CModeSettings* item = synchronised.adjust.findModeSettings(memory);
        ASSERT_NE(item, nullptr) << memory;
        EXPECT_EQ(labels[memory - 1], label_of(item->preset(), synchronised)) << memory;
    }

    // An active memory the record does not hold stays numbered and is not added.
    CMonitorEntry without = record();
    without.adjust.modeSettings.removeIf([](const CModeSettings& i) { return i.memory() == 2; });
    records.store(without);
    set_feature(mf::memory_select, 2);
    EXPECT_EQ(controller.memory_labels(2, 5)[1], default_button_label(2));
    EXPECT_EQ(record().adjust.findModeSettings(2), nullptr);
}

// The page's levels: an unknown limit stays unknown and the reads go on; a monitor that stops
// answering ends them at the feature that failed, and nothing read after it is reported.
TEST_F(PictureModeController, LevelsAreReadInOrderUntilAReadFails) {
    const CPictureModeController::Levels all = controller.read_levels();
    EXPECT_EQ(all.failed_feature, 0);
    EXPECT_EQ(all.black_limit, limit(mf::black_level_minimum));
    EXPECT_EQ(all.uniformity_limit, limit(mf::uniformity_limit));
    EXPECT_EQ(all.contrast_limit, limit(mf::contrast_limit));
    ASSERT_TRUE(all.black_level && all.brightness);
    EXPECT_EQ(all.black_level->value, feature(mf::black_level));
    EXPECT_EQ(all.black_level->maximum, sim_monitor().read_feature(mf::black_level).maximum);
    EXPECT_EQ(all.brightness->value, feature(mf::luminance));
    EXPECT_EQ(all.brightness->minimum, feature(mf::luminance_minimum));
    EXPECT_EQ(all.brightness->maximum, sim_monitor().read_feature(mf::luminance).maximum);

    // The exchanges of the first three reads, counted, then the fourth (the contrast limit)
    // never answered.
    const int start = sim_monitor().counters().exchanges;
    int value = 0;
    int maximum = 0;
    monitor.get_value(mf::black_level_minimum, value);
    monitor.get_value_max(mf::black_level, value, maximum);
    monitor.get_value(mf::uniformity_limit, value);
    const int before_contrast = sim_monitor().counters().exchanges - start;
    sim::CSimFaultRule lost;
    lost.fault = sim::CSimFault::lost_reply;
    lost.exchange = sim_monitor().counters().exchanges + before_contrast;
    lost.repeat = 100;
    sim_monitor().faults().add(lost);
    const CPictureModeController::Levels cut = controller.read_levels();
    sim_monitor().faults().clear();
    EXPECT_EQ(cut.failed_feature, mf::contrast_limit);
    EXPECT_EQ(cut.uniformity_limit, all.uniformity_limit);
    ASSERT_TRUE(cut.black_level.has_value());
    EXPECT_EQ(cut.black_level->value, all.black_level->value);
    EXPECT_EQ(cut.contrast_limit, -1);
    EXPECT_FALSE(cut.brightness.has_value());
}

// The limit check's verdict comes from the active mode's gains and the panel's luminance
// maximum; a gain that does not read gives no verdict.
TEST_F(PictureModeController, BrightnessOutOfReachNeedsEveryGainAndTheMaximum) {
    const int reach = feature(mf::luminance_maximum);
    for (int code : mf::mode_gains)
        set_feature(code, sim_monitor().read_feature(code).maximum - 1);
    const std::optional<bool> headroom = controller.brightness_out_of_reach(reach * 2);
    ASSERT_TRUE(headroom.has_value());
    EXPECT_FALSE(*headroom) << "a gain below its maximum can still lift the white";
    set_feature(mf::mode_gains[1], sim_monitor().read_feature(mf::mode_gains[1]).maximum);
    const std::optional<bool> beyond = controller.brightness_out_of_reach(reach * 2);
    ASSERT_TRUE(beyond.has_value());
    EXPECT_TRUE(*beyond);
    const std::optional<bool> within = controller.brightness_out_of_reach(reach / 2);
    ASSERT_TRUE(within.has_value());
    EXPECT_FALSE(*within);

    sim::CSimFaultRule lost;
    lost.fault = sim::CSimFault::lost_reply;
    lost.repeat = 100;
    sim_monitor().faults().add(lost);
    EXPECT_FALSE(controller.brightness_out_of_reach(reach).has_value());
    sim_monitor().faults().clear();
}

// The page's profile request carries the record's reference item and keeps the curves it read;
// the tool runs the same step, so neither makes a profile the other would not.
TEST_F(PictureModeController, AWrittenProfileIsTheReferenceAndCurvesAreReadOnce) {
    set_feature(mf::memory_select, 1);
    set_feature(mf::gamma_type, mf::gamma_type_programmable);
    store_record();
    const CModeSettings item = *record().adjust.findModeSettings(1);
    const CPictureModeController::ProfileLevels levels{feature(mf::luminance),
                                                       feature(mf::black_level), -1};

    const auto first = controller.profile_active_mode(levels);
    ASSERT_EQ(first.step, CPictureModeController::ProfileStep::made);
    EXPECT_EQ(first.result.outcome, ProfileOutcome::updated) << first.result.code;
    EXPECT_EQ(first.memory, 1);
    EXPECT_EQ(curve_reads, 1);
    CCurveSet kept;
    EXPECT_TRUE(record().adjust.getCurveSet(item.preset(), kept)) << "the curves read are kept";
    EXPECT_FALSE(mode_item_differs(item, record().adjust.referenceSettings));

    EXPECT_EQ(controller.profile_active_mode(levels).result.outcome, ProfileOutcome::unchanged);

    // Without its reference the mode is made again, from the kept curves.
    CMonitorEntry forgotten = record();
    forgotten.adjust.referenceSettings = CModeSettings{};
    records.store(forgotten);
    EXPECT_EQ(controller.profile_active_mode(levels).result.outcome, ProfileOutcome::updated);
    EXPECT_EQ(curve_reads, 1);

    // A memory whose item the record holds with another preset gets no profile.
    set_feature(mf::preset, item.preset() == monitor_preset::kEciRgb ? monitor_preset::kSrgb
                                                                     : monitor_preset::kEciRgb);
    EXPECT_EQ(controller.profile_active_mode(levels).step,
              CPictureModeController::ProfileStep::no_item);
    // Until the item is read again.
    ASSERT_EQ(controller.refresh_record_item(), 0);
    EXPECT_EQ(controller.profile_active_mode(levels).step,
              CPictureModeController::ProfileStep::made);
}

TEST_F(PictureModeController, ASelectionSavesWhatWasLeftUnsavedAndNeedsANewPreparation) {
    set_feature(mf::prepare_254, mf::prepare_254_value + 1);
    set_feature(mf::prepare_233, mf::prepare_233_value - 1);
    const int saves_before = saves();
    const auto written = controller.write_levels(feature(mf::luminance) - 10, std::nullopt);
    EXPECT_EQ(written.result, 0);
    EXPECT_TRUE(written.written);
    EXPECT_TRUE(controller.settings_unsaved());
    EXPECT_EQ(feature(mf::prepare_254), mf::prepare_254_value);
    EXPECT_EQ(feature(mf::prepare_233), mf::prepare_233_value);
    EXPECT_EQ(feature(mf::prepare_105d), mf::prepare_105d_value);
    EXPECT_EQ(saves(), saves_before) << "the write leaves the save to its timer";

    set_feature(mf::prepare_254, mf::prepare_254_value + 1);
    const MemorySelection done = controller.select_memory(2);
    EXPECT_EQ(done.select, 0);
    EXPECT_EQ(done.save, 0);
    EXPECT_EQ(feature(mf::memory_select), 2);
    EXPECT_EQ(saves(), saves_before + 2) << "the slider's value first, then the selection";
    EXPECT_FALSE(controller.settings_unsaved());
    EXPECT_FALSE(controller.adjustment_prepared());

    EXPECT_EQ(controller.write_levels(std::nullopt, 3).result, 0);
    EXPECT_EQ(feature(mf::prepare_254), mf::prepare_254_value)
        << "prepared again for the new memory";
    EXPECT_EQ(feature(mf::black_level), 3);
}

}  // namespace
