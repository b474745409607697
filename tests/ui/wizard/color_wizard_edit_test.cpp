// The wizard as the Picture Mode page runs it from Edit...: what the page does when the user
// finishes or cancels, with the wizard driven while it sits in exec().
#include <QSignalSpy>
#include <QTimer>

#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
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
