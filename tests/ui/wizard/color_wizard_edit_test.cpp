// The wizard as the Picture Mode page runs it from Edit...: what the page does when the user
// finishes or cancels, with the wizard driven while it sits in exec().
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "support/sim_settings.h"
#include "ui/main_window/panel_picture_mode.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;

class ColorWizardEdit : public ColorWizardTest {
  protected:
    void SetUp() override {
        ColorWizardTest::SetUp();
        start();
        // The display record here is not one from enumeration: no device to give a profile to.
        master().preferences().set_auto_manage_icc_profiles(false);
        panel = std::make_unique<panel_picture_mode>();
    }
    void TearDown() override {
        panel.reset();
        ColorWizardTest::TearDown();
    }

    // Runs Edit... with `script` acting on the wizard once it is up.
    void edit(const std::function<void(color_wizard&)>& script) {
        bool ran = false;
        QTimer::singleShot(0, panel.get(), [&] {
            auto* wizard = qobject_cast<color_wizard*>(QApplication::activeModalWidget());
            ASSERT_NE(wizard, nullptr) << "Edit... did not bring up the wizard";
            ran = true;
            script(*wizard);
        });
        panel->on_edit_picture_mode_pushButton_clicked();
        EXPECT_TRUE(ran);
    }

    std::unique_ptr<panel_picture_mode> panel;
};

TEST_F(ColorWizardEdit, CancellingAfterAPageThatChangedTheMonitorRestoresItsMemory) {
    QSignalSpy busy(panel.get(), &panel_picture_mode::block_unblock_usb_update);
    ASSERT_EQ(sim_value(mf::memory_select), 1);
    edit([this](color_wizard& wizard) {
        wizard.setField(QStringLiteral("preset_type.dci"), true);
        wizard.next();
        EXPECT_EQ(wizard.currentId(), kBrightnessPage);
        EXPECT_TRUE(wizard.changed());
        // The monitor's own buttons pick another memory meanwhile.
        set_sim_value(mf::memory_select, 3);
        wizard.reject();
    });
    EXPECT_EQ(sim_value(mf::memory_select), 1)
        << "the memory saved before the wizard is written back";
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
}

TEST_F(ColorWizardEdit, CancellingOnTheIntroPageWithoutASwitchWritesNothingBack) {
    edit([this](color_wizard& wizard) {
        EXPECT_FALSE(wizard.changed());
        set_sim_value(mf::memory_select, 3);
        wizard.reject();
    });
    EXPECT_EQ(sim_value(mf::memory_select), 3) << "nothing was written back";
}

TEST_F(ColorWizardEdit, FinishingClearsTheMonitorsChangeEntryOfTheSavedModeAndKeepsTheMode) {
    // A change made on the monitor's own controls for memory 1 with sRGB.
    sim::CSimOsdChange change;
    change.luminance = 150;
    change.stamp = 0;
    sim_monitor().osd_change(change);
    std::uint32_t value = 0;
    ASSERT_EQ(monitor()->find_memory_entry(1, kSrgb, value), 1);
    edit([](color_wizard& wizard) {
        wizard.setField(QStringLiteral("preset_type.rec709"), true);
        wizard.next();
        wizard.button(QWizard::FinishButton)->click();
    });
    EXPECT_EQ(monitor()->find_memory_entry(1, kSrgb, value), 0);
    EXPECT_EQ(sim_value(mf::preset), kRec709);
    EXPECT_EQ(sim_value(mf::memory_select), 1);
    EXPECT_TRUE(errors.texts.isEmpty()) << qPrintable(errors.texts.join(QLatin1Char('\n')));
}

}  // namespace

namespace {

using testing_support::CSimSettings;
using testing_support::differences;

class WizardCancel : public ColorWizardEdit {
  protected:
    CSimSettings settings() { return CSimSettings::of(sim_monitor()); }
    // Walks the wizard with `choose`, changing every spin box of every page on the way (as a
    // user trying values would), and cancels on page `cancel_at` once its changes are written.
    void walk_and_cancel(const std::function<void(color_wizard&, int)>& choose, int cancel_at,
                         std::vector<int>& shown) {
        edit([&](color_wizard& wizard) {
            for (int steps = 0; steps < 12; ++steps) {
                const int page = wizard.currentId();
                shown.push_back(page);
                choose(wizard, page);
                for (QDoubleSpinBox* spin : wizard.currentPage()->findChildren<QDoubleSpinBox*>()) {
                    if (!spin->isEnabled()) continue;
                    spin->setValue(spin->value() - spin->singleStep() >= spin->minimum()
                                       ? spin->value() - 5 * spin->singleStep()
                                       : spin->value() + 5 * spin->singleStep());
                }
                // The pages write on timers: due now.
                for (QTimer* timer : wizard.findChildren<QTimer*>()) {
                    if (timer->isActive()) timer->start(0);
                }
                QTest::qWait(20);
                if (page == cancel_at) break;
                wizard.next();
                if (wizard.currentId() == page) break;
            }
            wizard.reject();
        });
    }
};

TEST_F(WizardCancel, CancelOnAnyPagePutsEveryMemorySlotAndTableBackAsItWas) {
    const bool printer =
        install_profile(QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc"),
                        QStringLiteral("printer.icc"));
    struct Case {
        const char* preset;
        const char* custom;
        int cancel_at;
    };
    std::vector<Case> cases = {
        {"preset_type.custom", "custom_type.full_custom", kBrightnessPage},
        {"preset_type.custom", "custom_type.full_custom", kGammaPage},
        {"preset_type.dicom", nullptr, kColorGamutPage},
        {"preset_type.adobergb", nullptr, kBrightnessPage},
        {"preset_type.full", nullptr, kBrightnessPage},
    };
    if (printer) {
        // The white point page writes the printer's white into the active memory before the
        // name page has chosen a slot; the name page then uploads the 3D LUT.
        cases.push_back({"preset_type.custom", "custom_type.emulate_printer", kNamePresetPage});
        cases.push_back({"preset_type.custom", "custom_type.emulate_printer", kBrightnessPage});
    }
    // A memory that is not the factory's: a calibrated mode the user would not want touched;
    // and the adjustment prepared, as the Picture Mode page leaves it (the monitor drops it
    // when the mode changes).
    set_sim_value(mf::luminance, 137);
    set_sim_value(mf::prepare_254, mf::prepare_254_value);
    set_sim_value(mf::prepare_233, mf::prepare_233_value);
    for (const Case& c : cases) {
        const CSimSettings before = settings();
        std::vector<int> shown;
        walk_and_cancel(
            [&](color_wizard& w, int page) {
                choose_fields(w, page, c.preset, c.custom);
                if (page == kNamePresetPage) {
                    w.setField(QStringLiteral("name_preset.radio1"), true);
                    w.setField(QStringLiteral("name_preset.nametext1"), QStringLiteral("Studio"));
                }
            },
            c.cancel_at, shown);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), c.cancel_at) << c.preset << " " << (c.custom ? c.custom : "");
        const CSimSettings after = settings();
        EXPECT_TRUE(after == before)
            << c.preset << " " << (c.custom ? c.custom : "") << " cancelled on page " << c.cancel_at
            << ":" << differences(before, after);
    }
    EXPECT_TRUE(errors.texts.isEmpty()) << qPrintable(errors.texts.join(QLatin1Char('\n')));
}

}  // namespace
