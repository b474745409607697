#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <functional>
#include <set>

#include "color/curve_builders.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/picture_mode_rules.h"
#include "core/string_table.h"
#include "panels_fixture.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "sim/sim_faults.h"
#include "support/test_environment.h"
#include "ui/main_window/panel_picture_mode.h"
#include "ui/verify/simulated_instrument.h"
#include "ui/verify/verify_dialog.h"

namespace mf = monitor_feature;

namespace {

using namespace picture_mode;

double lstar_at(double x) {
    CSpline curve;
    make_lstar_curve(curve);
    return curve.evaluate(x);
}

constexpr const char* kSpecialModel = R"({"monitors": [
    {"id": "dicom", "model": "KX272W", "serial": "72000042", "usb": true}]})";

// Stands in for the colour wizard: does what the test says the user did, then reports
// whether it changed the monitor, as the real one does.
class FakeWizard : public QDialog {
  public:
    FakeWizard(QWidget* parent, std::function<void()> action, bool changed, int result)
        : QDialog(parent), action_(std::move(action)), result_(result) {
        setProperty("monitor_changed", changed);
    }
    int exec() override {
        if (action_) action_();
        return result_;
    }

  private:
    std::function<void()> action_;
    int result_;
};

class PicturePage : public panels_testing::PanelTest {
  protected:
    // Any message box closes itself, so a box a test did not expect shows up in box_texts
    // instead of holding the test.
    void SetUp() override {
        PanelTest::SetUp();
        answer_boxes(QMessageBox::Ok);
    }
    void TearDown() override {
        panel_picture_mode::set_wizard_factory(nullptr);
        QDir(colorDirectory()).removeRecursively();
        PanelTest::TearDown();
    }
    template <typename T>
    static T* child(QWidget& page, const char* name) {
        T* found = page.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    CDDCMonitor& monitor() { return *master->current_display().monitor(); }
    // The record the main window keeps after synchronising, read from the monitor as it is.
    CMonitorEntry store_record() {
        CMonitorEntry entry;
        entry.modelName = monitor().model_name();
        entry.serialNumber = monitor().serial_number();
        EXPECT_EQ(monitor().read_picture_memories(entry.adjust), 0);
        master->monitor_tracker().store(entry);
        return entry;
    }
    CMonitorEntry record() {
        CMonitorEntry entry;
        entry.modelName = monitor().model_name();
        entry.serialNumber = monitor().serial_number();
        EXPECT_GE(master->monitor_tracker().lookup(entry), 0);
        return entry;
    }
    QString profile_path() {
        return mode_profile_path(colorDirectory(), monitor().model_name(),
                                 monitor().serial_number());
    }
    QString associated() {
        QString name;
        associatedProfile(display_device_name(master->current_display().info()), name);
        return name;
    }
    // Answers every message box that comes up with `button`, keeping its text and buttons.
    void answer_boxes(QMessageBox::StandardButton button,
                      std::function<void()> before_answer = {}) {
        answerer_.disconnect();
        answerer_.setInterval(10);
        QObject::connect(&answerer_, &QTimer::timeout, [=, this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            box_texts << box->text();
            box_buttons.push_back(box->standardButtons());
            if (before_answer) before_answer();
            if (QAbstractButton* b = box->button(button)) {
                b->click();
            } else {
                box->done(QMessageBox::Ok);
            }
        });
        answerer_.start();
    }
    std::vector<int> waits_of(int milliseconds) {
        std::vector<int> out;
        for (int w : sleeper.waits())
            if (w == milliseconds) out.push_back(w);
        return out;
    }

    QStringList box_texts;
    std::vector<QMessageBox::StandardButtons> box_buttons;

  private:
    QTimer answerer_;
};

TEST_F(PicturePage, ShowingThePageReadsTheMonitorAndEnablesWhatItAllows) {
    start();
    set_feature(mf::memory_select, 3);
    set_feature(mf::response_improve, 2);
    panel_picture_mode page;
    page.show();
    EXPECT_TRUE(child<QAbstractButton>(page, "picture_mode3_pushButton")->isChecked());
    EXPECT_TRUE(child<QAbstractButton>(page, "picture_mode1_pushButton")->isEnabled());
    EXPECT_TRUE(child<QAbstractButton>(page, "response_improve_checkBox")->isChecked());
    EXPECT_FALSE(child<QAbstractButton>(page, "metamerism_checkBox")->isChecked());
    auto* slider = child<QSlider>(page, "brightness_verticalSlider");
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(slider->value(), feature(mf::luminance));
    EXPECT_EQ(slider->minimum(), feature(mf::luminance_minimum));
    auto* spin = child<QDoubleSpinBox>(page, "black_level_spinBox");
    EXPECT_DOUBLE_EQ(spin->value(), feature(mf::black_level) / 10.0);
    EXPECT_EQ(spin->suffix(), QStringLiteral(" cd/m\u00B2"));
    // Without a stored record the buttons are numbered.
    EXPECT_EQ(child<QAbstractButton>(page, "picture_mode4_pushButton")->text(),
              QStringLiteral("Mode 4"));

    // The main window hides and shows the page to have it read the monitor again.
    set_feature(mf::memory_select, 2);
    page.hide();
    page.show();
    EXPECT_TRUE(child<QAbstractButton>(page, "picture_mode2_pushButton")->isChecked());
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// Slider moves within a second are gathered into one write, 1000 ms after the last move, and
// the monitor saves 2000 ms after that write.
// With no monitor selected (the start-up message "no supported display"), nothing that talks
// to a monitor can be pressed.
TEST_F(PicturePage, WithoutAMonitorNothingThatNeedsOneCanBePressed) {
    panel_picture_mode page;
    page.show();
    for (const char* name : {"edit_picture_mode_pushButton", "reset_picture_mode_pushButton",
                             "verify_picture_mode_pushButton"}) {
        EXPECT_FALSE(child<QAbstractButton>(page, name)->isEnabled()) << name;
    }
}

TEST_F(PicturePage, SliderMovesWithinASecondWriteOnceAndSaveTwoSecondsLater) {
    start();
    panel_picture_mode page;
    page.show();
    auto* slider = child<QSlider>(page, "brightness_verticalSlider");
    const int original = feature(mf::luminance);
    const int low = slider->minimum();
    ASSERT_GT(original, low + 30);
    const int saves_before = saves();
    sleeper.clear();

    QElapsedTimer clock;
    clock.start();
    for (int step : {10, 20, 30}) {
        slider->setValue(original - step);
        if (step != 30) QTest::qWait(300);
    }
    const qint64 last_move = clock.elapsed();
    std::set<int> seen;
    qint64 written_at = -1;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            seen.insert(feature(mf::luminance));
            if (feature(mf::luminance) == original - 30) written_at = clock.elapsed();
            return written_at >= 0;
        },
        3000));
    EXPECT_EQ(seen, (std::set<int>{original, original - 30})) << "one write, of the last value";
    EXPECT_GE(written_at - last_move, 900);
    EXPECT_LE(written_at - last_move, 1800);
    EXPECT_EQ(saves(), saves_before) << "no save with the write";
    // The first adjustment prepares the monitor: 0x254 to 0 and 0x233 to 1, each with 2000 ms.
    EXPECT_EQ(feature(mf::prepare_254), 0);
    EXPECT_EQ(feature(mf::prepare_233), 1);
    EXPECT_EQ(feature(mf::prepare_105d), 31);
    EXPECT_EQ(waits_of(2000).size(), 2u);

    ASSERT_TRUE(QTest::qWaitFor([&] { return saves() > saves_before; }, 4000));
    const qint64 saved_after = clock.elapsed() - written_at;
    EXPECT_GE(saved_after, 1900);
    EXPECT_LE(saved_after, 2800);
    QTest::qWait(100);
    EXPECT_EQ(saves(), saves_before + 1);
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

TEST_F(PicturePage, TooHighNeedsAGainAtItsMaximumAndTwoPercentOverTheLuminance) {
    start();
    set_feature(mf::luminance, 100);
    ASSERT_EQ(sim_monitor().read_feature(mf::mode_red_gain).current,
              sim_monitor().read_feature(mf::mode_red_gain).maximum)
        << "the red gain starts at its maximum";
    sim_monitor().state().values[mf::luminance_maximum] = 101;
    panel_picture_mode page;
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    auto* indicator = child<QLabel>(page, "brightness_value_label");

    page.check_brightness_limit_timer_timeout();
    EXPECT_EQ(indicator->text(), string(807)) << "100 x 1.02 = 102 > 101";
    EXPECT_EQ(indicator->toolTip(), string(810));

    sim_monitor().state().values[mf::luminance_maximum] = 102;
    page.check_brightness_limit_timer_timeout();
    EXPECT_NE(indicator->text(), string(807));
    EXPECT_EQ(indicator->text(), brightness_indicator(100, -1, feature(mf::contrast_limit)).text);

    // Below its maximum a gain can still lift the white: no warning.
    sim_monitor().state().values[mf::luminance_maximum] = 101;
    set_feature(mf::mode_red_gain, 200);
    page.check_brightness_limit_timer_timeout();
    EXPECT_NE(indicator->text(), string(807));
}

TEST_F(PicturePage, PercentModeShowsPercentAndSkipsTheLimitCheck) {
    start(kSpecialModel);
    set_feature(mf::luminance, 100);
    sim_monitor().state().values[mf::luminance_maximum] =
        50;  // would be far too high in absolute mode
    panel_picture_mode page;
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    ASSERT_TRUE(page.percent_mode());
    EXPECT_EQ(child<QDoubleSpinBox>(page, "brightness_spinBox")->suffix(), QStringLiteral(" %"));
    const int exchanges_before = exchanges();
    page.check_brightness_limit_timer_timeout();
    EXPECT_EQ(exchanges(), exchanges_before) << "not even the gains are read";
    EXPECT_NE(child<QLabel>(page, "brightness_value_label")->text(), string(807));
}

TEST_F(PicturePage, EachMemoryShowsItsPresetLabel) {
    start(kSpecialModel);
    sim_monitor().state().slot_names[1] = QByteArray("Studio       ");
    const int presets[5] = {1, 7, 9, 13, 5};
    for (int memory = 1; memory <= 5; ++memory) {
        set_feature(mf::memory_select, memory);
        set_feature(mf::preset, presets[memory - 1]);
    }
    set_feature(mf::memory_select, 1);
    store_record();
    panel_picture_mode page;
    page.show();
    const QStringList expected = {QStringLiteral("sRGB"), QStringLiteral("DICOM Sim"),
                                  QStringLiteral("Studio"), QStringLiteral("eciRGB v2"),
                                  QStringLiteral("Native")};
    for (int memory = 1; memory <= 5; ++memory) {
        const QByteArray name = "picture_mode" + QByteArray::number(memory) + "_pushButton";
        EXPECT_EQ(child<QAbstractButton>(page, name.constData())->text(), expected[memory - 1]);
    }
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// The wizard's cancel puts the remembered memory back only when the wizard changed the monitor;
// Finish clears the monitor's change entry of the memory and preset the wizard started from.
TEST_F(PicturePage, TheWizardsOutcomeDecidesWhatIsPutBack) {
    start();
    set_feature(mf::memory_select, 1);
    panel_picture_mode page;
    page.show();
    QSignalSpy blocks(&page, &panel_picture_mode::block_unblock_usb_update);
    auto run_wizard = [&](std::function<void()> action, bool changed, int result) {
        panel_picture_mode::set_wizard_factory(
            [=](QWidget* parent) { return new FakeWizard(parent, action, changed, result); });
        sleeper.clear();
        child<QPushButton>(page, "edit_picture_mode_pushButton")->click();
    };

    run_wizard([this] { set_feature(mf::memory_select, 3); }, true, QDialog::Rejected);
    EXPECT_EQ(feature(mf::memory_select), 1)
        << "the wizard switched memories: the user's comes back";
    EXPECT_EQ(waits_of(2000).size(), 1u);
    ASSERT_EQ(blocks.count(), 2);
    EXPECT_TRUE(blocks.at(0).at(0).toBool());
    EXPECT_FALSE(blocks.at(1).at(0).toBool());

    // A memory changed by other means while the wizard ran (the monitor's own buttons) is
    // not the wizard's doing.
    run_wizard([this] { set_feature(mf::memory_select, 3); }, false, QDialog::Rejected);
    EXPECT_EQ(feature(mf::memory_select), 3);

    set_feature(mf::memory_select, 1);
    page.update_ui();
    const int preset = feature(mf::preset);
    sim_monitor().osd_change({0, 0, -1, -1, 0});
    std::uint32_t stamp = 0;
    ASSERT_EQ(monitor().find_memory_entry(1, preset, stamp), 1);
    run_wizard({}, true, QDialog::Accepted);
    EXPECT_NE(monitor().find_memory_entry(1, preset, stamp), 1) << "the entry is cleared";
    EXPECT_EQ(feature(mf::memory_select), 1);
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

TEST_F(PicturePage, AProfileIsMadeOnlyForAChangedModeAndItsCurveFollowsTheType) {
    start();
    set_feature(mf::memory_select, 1);
    set_feature(mf::preset, 6);         // Full: the panel's own primaries
    set_feature(mf::gamma_type, 9);     // a gamma curve
    set_feature(mf::gamma_value, 170);  // of 2.2
    CMonitorEntry entry = store_record();
    ASSERT_NE(entry.adjust.findModeSettings(1), nullptr);
    const CModeSettings item = *entry.adjust.findModeSettings(1);
    ASSERT_EQ(item.values[12], 9);

    panel_picture_mode page;
    page.show();
    page.generate_new_icc_profile();
    ASSERT_TRUE(QFileInfo::exists(profile_path()))
        << qPrintable(box_texts.join(QLatin1Char('|'))) << qPrintable(page.status_text());
    ProfileSpec written;
    ASSERT_EQ(readDisplayProfile(profile_path(), written), 0);

    // The same mode again: the profile on disk is current and stays as it is.
    const QByteArray first = testing_support::read_file(profile_path());
    page.generate_new_icc_profile();
    EXPECT_EQ(testing_support::read_file(profile_path()), first)
        << "the profile of this mode is current";
    EXPECT_NEAR(written.gamma, 2.2, 0.01);
    EXPECT_NEAR(written.whiteX, item.values[4] / 1000.0, 0.002);
    EXPECT_NEAR(written.redX, item.values[6] / 1000.0, 0.002);
    EXPECT_EQ(written.description,
              mode_profile_description(QStringLiteral("KX271W"), QStringLiteral("71000123"), 1));
    EXPECT_EQ(associated(), QFileInfo(profile_path()).fileName());
    EXPECT_EQ(page.status_text(), QStringLiteral("Display profile has been updated"));
    EXPECT_FALSE(mode_item_differs(item, record().adjust.referenceSettings))
        << "the record knows which mode the profile describes";

    // An L* mode gets the L* curve.
    set_feature(mf::gamma_type, 12);
    entry = store_record();
    entry.adjust.referenceSettings = record().adjust.referenceSettings;
    master->monitor_tracker().store(entry);
    page.generate_new_icc_profile();
    ASSERT_EQ(readDisplayProfile(profile_path(), written), 0);
    ASSERT_TRUE(written.useCurves);
    EXPECT_NEAR(written.redCurve.evaluate(0.5), lstar_at(0.5), 0.01);
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// The record says which mode the profile was made for; a file replaced since (another
// program wrote the profile of another memory) or removed is made again.
TEST_F(PicturePage, AProfileReplacedOrRemovedSinceIsMadeAgain) {
    start();
    set_feature(mf::memory_select, 1);
    store_record();
    panel_picture_mode page;
    page.show();
    page.generate_new_icc_profile();
    ProfileSpec spec;
    ASSERT_EQ(readDisplayProfile(profile_path(), spec), 0);

    spec.description =
        mode_profile_description(QStringLiteral("KX271W"), QStringLiteral("71000123"), 2);
    ASSERT_EQ(writeDisplayProfile(spec, QStringLiteral("test")), 0);
    page.generate_new_icc_profile();
    ProfileSpec again;
    ASSERT_EQ(readDisplayProfile(profile_path(), again), 0);
    EXPECT_EQ(again.description,
              mode_profile_description(QStringLiteral("KX271W"), QStringLiteral("71000123"), 1));

    ASSERT_TRUE(QFile::remove(profile_path()));
    page.generate_new_icc_profile();
    EXPECT_TRUE(QFileInfo::exists(profile_path()));
    EXPECT_EQ(associated(), QFileInfo(profile_path()).fileName());
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

TEST_F(PicturePage, AProfileThatCannotBeReplacedOffersRetryAndIgnore) {
    start();
    CMonitorEntry entry = store_record();
    panel_picture_mode page;
    page.show();
    // A folder in the profile's place cannot be removed.
    ASSERT_TRUE(QDir().mkpath(profile_path() + QStringLiteral("/inside")));

    answer_boxes(QMessageBox::Ignore);
    page.generate_new_icc_profile();
    ASSERT_EQ(box_texts.size(), 1);
    EXPECT_EQ(box_texts.front(), string(132).arg(QDir::toNativeSeparators(profile_path())));
    EXPECT_EQ(box_buttons.front(), QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_TRUE(QFileInfo(profile_path()).isDir()) << "Ignore leaves everything as it was";
    EXPECT_NE(page.status_text(), QStringLiteral("Display profile has been updated"));
}

TEST_F(PicturePage, RetryWritesTheProfileOnceThePlaceIsFree) {
    start();
    store_record();
    panel_picture_mode page;
    page.show();
    ASSERT_TRUE(QDir().mkpath(profile_path() + QStringLiteral("/inside")));
    answer_boxes(QMessageBox::Retry, [this] { QDir(profile_path()).removeRecursively(); });
    page.generate_new_icc_profile();
    EXPECT_EQ(box_texts.size(), 1);
    ProfileSpec written;
    EXPECT_EQ(readDisplayProfile(profile_path(), written), 0);
    EXPECT_EQ(page.status_text(), QStringLiteral("Display profile has been updated"));
}

TEST_F(PicturePage, ACalibrationStampSelectsTheProfileCreatedAtThatTime) {
    start();
    store_record();
    panel_picture_mode page;
    page.show();
    const std::uint32_t stamp = 1700000000;
    ASSERT_TRUE(QDir().mkpath(colorDirectory()));
    auto write_at = [](const QString& name, std::uint32_t seconds) {
        ProfileSpec spec;
        spec.path = colorDirectory() + QLatin1Char('/') + name;
        spec.description = name;
        spec.created = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        spec.gamma = 2.2;
        spec.whiteX = 0.3127, spec.whiteY = 0.329;
        spec.redX = 0.64, spec.redY = 0.33, spec.greenX = 0.3, spec.greenY = 0.6;
        spec.blueX = 0.15, spec.blueY = 0.06;
        ASSERT_EQ(writeDisplayProfile(spec, QStringLiteral("test")), 0);
    };
    write_at(QStringLiteral("before.icc"), stamp - 1);
    write_at(QStringLiteral("calibrated.icc"), stamp);
    write_at(QStringLiteral("after.icc"), stamp + 3600);
    sim_monitor().osd_change({0, 0, -1, -1, stamp});

    page.generate_new_icc_profile();
    EXPECT_EQ(associated(), QStringLiteral("calibrated.icc"));
    EXPECT_EQ(page.status_text(), QStringLiteral("CCS profile has been selected"));
    EXPECT_FALSE(QFileInfo::exists(profile_path())) << "no profile of our own";

    sim_monitor().osd_change({0, 0, -1, -1, stamp + 1});
    page.generate_new_icc_profile();
    EXPECT_EQ(page.status_text(),
              QStringLiteral("Unable to find ICC profile for this Picture Mode"));

    // A change made with the monitor's own buttons carries no stamp: the mode gets a profile.
    sim_monitor().osd_change({0, 0, -1, -1, 0});
    page.generate_new_icc_profile();
    EXPECT_TRUE(QFileInfo::exists(profile_path()));
    EXPECT_EQ(page.status_text(), QStringLiteral("Display profile has been updated"));
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

TEST_F(PicturePage, SelectingAMemoryWaitsSavesAndProfilesThatMode) {
    start();
    set_feature(mf::memory_select, 1);
    store_record();
    panel_picture_mode page;
    page.show();
    const int saves_before = saves();
    sleeper.clear();
    child<QAbstractButton>(page, "picture_mode2_pushButton")->click();
    EXPECT_EQ(feature(mf::memory_select), 2);
    EXPECT_EQ(waits_of(2000).size(), 2u) << "the settle after the switch, and the save's own";
    EXPECT_EQ(saves(), saves_before + 1);
    EXPECT_TRUE(QFileInfo::exists(profile_path()));
    ProfileSpec written;
    ASSERT_EQ(readDisplayProfile(profile_path(), written), 0);
    EXPECT_EQ(written.description,
              mode_profile_description(QStringLiteral("KX271W"), QStringLiteral("71000123"), 2));
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// A monitor that did not take the memory must not get the settle wait, a save or a profile of
// a mode that was never selected.
TEST_F(PicturePage, AFailedMemorySelectionIsReportedAndNothingFollows) {
    start();
    set_feature(mf::memory_select, 1);
    store_record();
    panel_picture_mode page;
    page.show();
    const int saves_before = saves();
    sleeper.clear();
    sim_monitor().faults().add({sim::CSimFault::write_failure, -1, 0xC8, 1, 100});
    answer_boxes(QMessageBox::Ok);
    child<QAbstractButton>(page, "picture_mode2_pushButton")->click();
    sim_monitor().faults().clear();
    EXPECT_GE(box_texts.size(), 1);
    EXPECT_EQ(feature(mf::memory_select), 1);
    EXPECT_TRUE(waits_of(2000).empty());
    EXPECT_EQ(saves(), saves_before);
    EXPECT_FALSE(QFileInfo::exists(profile_path()));
    EXPECT_TRUE(child<QAbstractButton>(page, "picture_mode1_pushButton")->isChecked())
        << "the page shows what the monitor holds";
}

TEST_F(PicturePage, AModeWithoutChromaticitiesGetsNoProfile) {
    start();
    CMonitorEntry entry = store_record();
    CModeSettings blank;
    blank.values[0] = 1;
    blank.values[1] = static_cast<std::int16_t>(feature(mf::preset));
    entry.adjust.setModeSettings(blank);
    master->monitor_tracker().store(entry);
    panel_picture_mode page;
    page.show();
    page.generate_new_icc_profile();
    EXPECT_FALSE(QFileInfo::exists(profile_path()));
    EXPECT_TRUE(associated().isEmpty());
    EXPECT_TRUE(page.status_text().isEmpty());
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// Reset asks first (string 176); only Yes reloads the preset and prepares the next adjustment.
TEST_F(PicturePage, ResetAsksAndOnlyYesRestoresThePreset) {
    start();
    set_feature(mf::memory_select, 1);
    const int preset_luminance = feature(mf::luminance);
    set_feature(mf::luminance, preset_luminance - 20);
    panel_picture_mode page;
    page.show();
    auto* reset = child<QPushButton>(page, "reset_picture_mode_pushButton");

    answer_boxes(QMessageBox::No);
    reset->click();
    EXPECT_EQ(feature(mf::luminance), preset_luminance - 20) << "No keeps the mode";
    ASSERT_EQ(box_texts.size(), 1);
    EXPECT_EQ(box_texts.front(), string(176));

    answer_boxes(QMessageBox::Yes);
    reset->click();
    EXPECT_EQ(feature(mf::luminance), preset_luminance);
    EXPECT_EQ(child<QSlider>(page, "brightness_verticalSlider")->value(), preset_luminance);
    EXPECT_EQ(feature(mf::prepare_254), 0);
    EXPECT_EQ(feature(mf::prepare_233), 1);
}

}  // namespace

namespace {

TEST_F(PicturePage, VerifyOpensTheMeasurementOfTheSelectedMonitorAndChangesNothing) {
    start();
    panel_picture_mode page;
    page.show();
    const QJsonObject before = sim_monitor().to_json();
    QSignalSpy blocks(&page, &panel_picture_mode::block_unblock_usb_update);
    QString serial_seen;
    int instruments = 0;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<verify_dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        instruments = dialog->instrument_box()->count();
        serial_seen = master->current_display().info().text2;
        dialog->reject();
    });
    closer.start();
    child<QPushButton>(page, "verify_picture_mode_pushButton")->click();
    closer.stop();
    EXPECT_GE(instruments, 2);  // colord's sensors and spotread are always offered
    EXPECT_EQ(serial_seen, monitor().serial_number());
    ASSERT_EQ(blocks.count(), 2);
    EXPECT_TRUE(blocks.at(0).at(0).toBool());
    EXPECT_FALSE(blocks.at(1).at(0).toBool());
    EXPECT_EQ(sim_monitor().to_json(), before);
    EXPECT_TRUE(box_texts.isEmpty()) << qPrintable(box_texts.join(QLatin1Char('|')));
}

// The verification names the measured mode as the page's buttons do, by the program's record.
TEST_F(PicturePage, VerifyNamesTheModeAsItsButtonDoes) {
    start();
    ASSERT_TRUE(backend->persist());
    testing_support::offer_simulated_colorimeter(backend->config());
    const auto forget_instruments = qScopeGuard([] { verify_dialog::set_instrument_list({}); });
    sim_monitor().state().slot_names[1] = QByteArray("Studio       ");
    set_feature(mf::memory_select, 1);
    set_feature(mf::preset, monitor_preset::programmable_mode(2));
    store_record();
    panel_picture_mode page;
    page.show();
    const QString button = child<QAbstractButton>(page, "picture_mode1_pushButton")->text();
    ASSERT_EQ(button, QStringLiteral("Studio"));

    QString measured_mode;
    bool started = false;
    QTimer runner;
    runner.setInterval(10);
    QObject::connect(&runner, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<verify_dialog*>(QApplication::activeModalWidget());
        if (!dialog || started) return;
        started = true;
        QSignalSpy done(dialog, &verify_dialog::finished_measuring);
        if (dialog->start() && done.wait(20000) && dialog->report())
            measured_mode = dialog->report()->mode;
        dialog->reject();
    });
    runner.start();
    child<QPushButton>(page, "verify_picture_mode_pushButton")->click();
    runner.stop();
    EXPECT_EQ(measured_mode, QStringLiteral("Memory 1, ") + button);
}

}  // namespace
