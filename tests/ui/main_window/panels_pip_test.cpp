#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "panels_fixture.h"
#include "ui/main_window/panel_picture_mode.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_vision_emulation.h"
#include "ui_panel_pip_mode.h"
#include "ui_panel_vision_emulation.h"

namespace mf = monitor_feature;

namespace {

using panels_testing::PanelTest;

struct PipPage : PanelTest {
    bool has_arrow(QComboBox* combo, int index) { return !combo->itemIcon(index).isNull(); }
};

TEST_F(PipPage, PositionMovedSeveralTimesWithinTheSaveDelaySavesOnce) {
    start();
    set_feature(mf::pip_mode, 2);
    panel_pip_mode page;
    page.show();
    QSlider* h = page.form()->pip_h_pos_horizontalSlider;
    QSlider* v = page.form()->pip_v_pos_horizontalSlider;
    ASSERT_TRUE(h->isEnabled());
    EXPECT_EQ(h->maximum(), 100);
    EXPECT_EQ(h->value(), feature(mf::pip_sub_horizontal));
    const int saves_before = saves();
    h->setValue(10);
    h->setValue(20);
    v->setValue(30);
    h->setValue(40);
    EXPECT_EQ(feature(mf::pip_sub_horizontal), 40) << "each move is written at once";
    EXPECT_EQ(feature(mf::pip_sub_vertical), 30);
    EXPECT_EQ(saves(), saves_before) << "the save waits for the user to stop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return saves() > saves_before; }, 3000));
    QTest::qWait(200);
    EXPECT_EQ(saves(), saves_before + 1);
}

TEST_F(PipPage, TheMainPicturesInputCarriesTheArrow) {
    start();
    set_feature(mf::input_source, 15);
    ASSERT_EQ(feature(mf::input_source), 15);
    panel_pip_mode page;
    page.show();
    QComboBox* inputs = page.form()->pip_input_comboBox;
    ASSERT_EQ(inputs->count(), 2);
    EXPECT_EQ(inputs->itemText(0), QStringLiteral("DisplayPort"));
    EXPECT_EQ(inputs->itemData(0).toInt(), 1);
    EXPECT_EQ(inputs->itemData(1).toInt(), 2);
    EXPECT_TRUE(has_arrow(inputs, 0));
    EXPECT_FALSE(has_arrow(inputs, 1));
    EXPECT_EQ(inputs->currentData().toInt(), feature(mf::pip_sub_input));

    set_feature(mf::input_source, 3);
    if (feature(mf::input_source) == 3) {
        page.update_ui();
        EXPECT_FALSE(has_arrow(inputs, 0));
        EXPECT_TRUE(has_arrow(inputs, 1)) << "DVI (3) is the DVI-I entry";
    }
}

TEST_F(PipPage, PictureByPictureIsOfferedOnlyWhenTheMonitorAllowsIt) {
    start();
    panel_pip_mode page;
    page.show();
    EXPECT_TRUE(page.form()->pip_pbp_aspect_radioButton->isEnabled());
    EXPECT_TRUE(page.form()->pip_pbp_full_radioButton->isEnabled());
    sim_monitor().state().values[mf::pip_pbp_blocked] = 2;
    ASSERT_EQ(feature(mf::pip_pbp_blocked), 2);
    page.update_ui();
    EXPECT_FALSE(page.form()->pip_pbp_aspect_radioButton->isEnabled());
    EXPECT_FALSE(page.form()->pip_pbp_full_radioButton->isEnabled());
    EXPECT_TRUE(page.form()->pip_pip_radioButton->isEnabled());
}

TEST_F(PipPage, EachModeEnablesOnlyWhatItUses) {
    start();
    panel_pip_mode page;
    page.show();
    const auto& f = *page.form();
    struct Case {
        int mode;
        bool positions, size, picture_mode, color_vision;
    };
    for (const Case c : {Case{1, false, false, false, false}, Case{2, true, true, true, true},
                         Case{3, false, false, true, true}, Case{4, false, false, true, true}}) {
        set_feature(mf::pip_mode, c.mode);
        page.update_ui();
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(f.pip_h_pos_horizontalSlider->isEnabled(), c.positions);
        EXPECT_EQ(f.pip_v_pos_horizontalSlider->isEnabled(), c.positions);
        EXPECT_EQ(f.pip_size_comboBox->isEnabled(), c.size);
        EXPECT_EQ(f.pip_picture_mode_number_comboBox->isEnabled(), c.picture_mode);
        EXPECT_EQ(f.pip_color_vision_groupBox->isEnabled(), c.color_vision);
        EXPECT_TRUE(f.pip_input_comboBox->isEnabled());
        // Each label greys with the control it names.
        for (const QLabel* label : {f.pip_input_label, f.pip_size_label, f.pip_picture_mode_label,
                                    f.pip_h_pos_label, f.pip_v_pos_label}) {
            ASSERT_NE(label->buddy(), nullptr);
            EXPECT_EQ(label->isEnabled(), label->buddy()->isEnabled())
                << qPrintable(label->objectName());
        }
    }
    set_feature(mf::pip_mode, 2);
    page.update_ui();
    EXPECT_TRUE(f.pip_pip_radioButton->isChecked());
}

TEST_F(PipPage, AModeClickWritesWaitsAndReloads) {
    start();
    set_feature(mf::pip_mode, 1);
    panel_pip_mode page;
    page.show();
    sleeper.clear();
    page.form()->pip_pbp_full_radioButton->click();
    EXPECT_EQ(feature(mf::pip_mode), 4);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_NE(std::find(waits.begin(), waits.end(), 2000), waits.end()) << "the 2000 ms settle";
    EXPECT_TRUE(page.save_timer().isActive());
    EXPECT_FALSE(page.form()->pip_size_comboBox->isEnabled()) << "reloaded for the new mode";
    EXPECT_TRUE(page.form()->pip_pbp_full_radioButton->isChecked());
}

TEST_F(PipPage, PictureModeListNamesEveryMemoryAndMarksTheMainOne) {
    start();
    set_feature(mf::memory_select, 2);
    set_feature(mf::pip_sub_memory, 3);
    panel_pip_mode page;
    page.show();
    QComboBox* modes = page.form()->pip_picture_mode_number_comboBox;
    ASSERT_EQ(modes->count(), sim_monitor().read_feature(mf::pip_sub_memory).maximum);
    for (int i = 0; i < modes->count(); ++i) {
        EXPECT_EQ(modes->itemData(i).toInt(), i + 1);
        EXPECT_FALSE(modes->itemText(i).isEmpty());
        EXPECT_EQ(has_arrow(modes, i), i + 1 == 2) << "memory " << i + 1;
    }
    EXPECT_EQ(modes->currentData().toInt(), 3);
    // Without a stored record the memories carry their numbers.
    EXPECT_EQ(modes->itemText(0), QStringLiteral("Picture Mode 1"));

    modes->setCurrentIndex(0);
    Q_EMIT modes->activated(0);
    EXPECT_EQ(feature(mf::pip_sub_memory), 1);
}

// The sub-picture's memories carry the names of the Picture Mode page's buttons: a stored slot
// name padded with blanks is shown simplified on both; only a memory the record does not hold
// is numbered the page's own way.
TEST_F(PipPage, PictureModeNamesAreThoseOfThePictureModeButtons) {
    start();
    set_feature(mf::pip_mode, 2);
    sim_monitor().state().slot_names[1] = QByteArray("Studio       ");
    set_feature(mf::memory_select, 1);
    set_feature(mf::preset, monitor_preset::programmable_mode(2));
    CDDCMonitor& monitor = *master->current_display().monitor();
    CMonitorEntry entry{{}, monitor.model_name(), monitor.serial_number()};
    ASSERT_EQ(monitor.read_picture_memories(entry.adjust), 0);
    entry.adjust.modeSettings.removeIf([](const CModeSettings& i) { return i.memory() == 3; });
    master->monitor_tracker().store(entry);

    panel_picture_mode picture_page;
    picture_page.show();
    panel_pip_mode page;
    page.show();
    QComboBox* modes = page.form()->pip_picture_mode_number_comboBox;
    ASSERT_GE(modes->count(), 5);
    for (int memory = 1; memory <= 5; ++memory) {
        const QByteArray name = "picture_mode" + QByteArray::number(memory) + "_pushButton";
        auto* button = picture_page.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name.constData();
        if (memory == 3) {
            EXPECT_EQ(modes->itemText(memory - 1), QStringLiteral("Picture Mode 3"));
            EXPECT_NE(button->text(), modes->itemText(memory - 1));
        } else {
            EXPECT_EQ(modes->itemText(memory - 1), button->text()) << "memory " << memory;
        }
    }
    EXPECT_EQ(modes->itemText(0), QStringLiteral("Studio"));
}

TEST_F(PipPage, AMonitorWithoutPictureInPictureShowsTheControlsDisabledWithoutAnError) {
    start(panels_testing::kTwoMonitors, 1);
    panel_pip_mode page;
    expect_message_box();
    page.show();
    QApplication::processEvents();
    EXPECT_EQ(message_boxes, 0);
    EXPECT_FALSE(page.form()->pip_mode_groupBox->isEnabled());
    EXPECT_FALSE(page.form()->pip_h_pos_horizontalSlider->isEnabled());
    EXPECT_FALSE(page.form()->pip_input_comboBox->isEnabled());
}

TEST_F(PipPage, SubPictureColorVisionIsWrittenWithItsSettleWait) {
    start();
    set_feature(mf::pip_mode, 2);
    panel_pip_mode page;
    page.show();
    sleeper.clear();
    page.form()->pip_color_vision_emulation_T_radioButton->click();
    EXPECT_EQ(feature(mf::pip_sub_color_vision), 4);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_NE(std::find(waits.begin(), waits.end(), 2000), waits.end());
    EXPECT_TRUE(page.save_timer().isActive());
}

using ColorVisionPage = PanelTest;

TEST_F(ColorVisionPage, AChoiceIsWrittenSavedAndShownAfterAReload) {
    start();
    panel_vision_emulation page;
    page.show();
    EXPECT_TRUE(page.form()->color_vision_emulation_off_radioButton->isChecked());
    const int saves_before = saves();
    page.form()->color_vision_emulation_D_radioButton->click();
    EXPECT_EQ(feature(mf::color_vision), 3);
    EXPECT_EQ(saves(), saves_before + 1);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_NE(std::find(waits.begin(), waits.end(), 2000), waits.end());

    set_feature(mf::color_vision, 5);
    page.hide();
    page.show();
    EXPECT_TRUE(page.form()->color_vision_emulation_grayscale_radioButton->isChecked());
    for (QAbstractButton* b : page.button_group()->buttons())
        EXPECT_FALSE(b->icon().isNull()) << qPrintable(b->objectName());
}

TEST_F(ColorVisionPage, WithoutAMonitorThePageIsDisabled) {
    start();
    master->current_display().connect(DisplayInfo());
    ASSERT_EQ(master->current_display().monitor(), nullptr);
    panel_vision_emulation page;
    page.show();
    EXPECT_FALSE(page.isEnabled());
}

}  // namespace

namespace {

// Keys pressed faster than a write takes reach the page during the write's event processing
// and settle wait; the monitor must end on the last choice, the one the page shows.
TEST_F(ColorVisionPage, ChoicesMadeDuringAWriteReachTheMonitorInTheirOrder) {
    start();
    panel_vision_emulation page;
    page.show();
    // Each write's event processing delivers the next key press.
    const QList<QAbstractButton*> presses = {
        page.form()->color_vision_emulation_D_radioButton,
        page.form()->color_vision_emulation_T_radioButton,
        page.form()->color_vision_emulation_grayscale_radioButton,
        page.form()->color_vision_emulation_off_radioButton};
    int next = 1;
    std::function<void()> press_next = [&] {
        if (next >= presses.size()) return;
        QAbstractButton* button = presses[next++];
        QTimer::singleShot(0, &page, [&, button] {
            button->click();
            press_next();
        });
    };
    QTimer::singleShot(0, &page, press_next);
    presses[0]->click();
    QTest::qWait(50);
    EXPECT_EQ(feature(mf::color_vision), 1) << "the last key was Off";
    EXPECT_TRUE(page.form()->color_vision_emulation_off_radioButton->isChecked());
    page.hide();
    page.show();
    EXPECT_TRUE(page.form()->color_vision_emulation_off_radioButton->isChecked());
}

}  // namespace
