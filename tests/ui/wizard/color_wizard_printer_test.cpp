// The printer emulation pages: choosing the printer, the controls that shape the table, the
// viewer beside the wizard, and the white point that the table follows.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "profiles/reference_profiles.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"
#include "ui/wizard/color_wizard_adjustment_pages.h"
#include "ui/wizard/color_wizard_printer_emulation.h"
#include "ui/wizard/color_wizard_printer_pages.h"
#include "ui/wizard/color_wizard_rendering_intent.h"
#include "ui/wizard/color_wizard_white_point.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;

const QString kPrinter = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");

class ColorWizardPrinter : public ColorWizardTest {
  protected:
    void SetUp() override {
        ColorWizardTest::SetUp();
        if (!QFile::exists(kPrinter)) GTEST_SKIP() << "libgs-common is not installed";
        start();
    }
    std::unique_ptr<color_wizard> at_printer_page() {
        auto wizard = open_wizard();
        wizard->setField(QStringLiteral("preset_type.custom"), true);
        wizard->next();
        wizard->setField(QStringLiteral("custom_type.emulate_printer"), true);
        wizard->next();
        EXPECT_EQ(wizard->currentId(), kPrinterEmulationPage);
        return wizard;
    }
    ColorWizardPrinterEmulationPage* printer_page(color_wizard& w) {
        return static_cast<ColorWizardPrinterEmulationPage*>(w.page(kPrinterEmulationPage));
    }
    ColorWizardPrinterRenderingIntentPage* intent_page(color_wizard& w) {
        return static_cast<ColorWizardPrinterRenderingIntentPage*>(w.page(kRenderingIntentPage));
    }
    bool next_enabled(color_wizard& w) { return w.button(QWizard::NextButton)->isEnabled(); }
    // The viewer shows what the generator holds.
    static void expect_viewer_follows(color_wizard& w) {
        EXPECT_EQ(w.lut_viewer()->lut_data(), lut_geometry::points_from(w.lut_generator().table()));
    }
};

TEST_F(ColorWizardPrinter, NextWaitsForAPrinterFromWhichATableCanBeMade) {
    auto wizard = at_printer_page();
    ColorWizardPrinterEmulationPage* page = printer_page(*wizard);
    EXPECT_EQ(page->form()->profile_table()->rowCount(), 0);
    EXPECT_FALSE(next_enabled(*wizard));
    EXPECT_FALSE(wizard->lut_generator().isValid());

    // A file that is no profile is refused with the printer message.
    const QString garbage = testing_support::sandbox_folder() + QStringLiteral("/garbage.icm");
    ASSERT_TRUE(testing_support::write_file(garbage, QByteArray(500, '\1')));
    EXPECT_FALSE(page->form()->add_profile_file(garbage));
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(errors.texts[0],
              QStringLiteral("Error: The selected file is not a valid printer profile."));

    EXPECT_TRUE(page->form()->add_profile_file(kPrinter));
    EXPECT_EQ(page->profile_path(), kPrinter);
    EXPECT_EQ(wizard->lut_generator().emulatedProfile(), kPrinter)
        << "the printer stands between the rendering gamut and the panel";
    EXPECT_TRUE(wizard->lut_generator().isValid());
    EXPECT_TRUE(next_enabled(*wizard));
    expect_viewer_follows(*wizard);
    EXPECT_TRUE(page->form()
                    ->findChild<QLabel*>(QStringLiteral("copyright_label"))
                    ->text()
                    .contains(QStringLiteral("Copyright")));
}

TEST_F(ColorWizardPrinter, InstalledPrintersAreListedAndTheFirstIsChosen) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    write_display_profile(QStringLiteral("display.icc"), emulated_display());
    auto wizard = at_printer_page();
    QTableWidget* table = printer_page(*wizard)->form()->profile_table();
    ASSERT_EQ(table->rowCount(), 1) << "display profiles are not printers";
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("press.icc"));
    EXPECT_FALSE(table->item(0, 0)->text().isEmpty());
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_TRUE(next_enabled(*wizard));
}

TEST_F(ColorWizardPrinter, TheViewBoxAndTheViewerFollowEachOther) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    auto wizard = at_printer_page();
    view_3d_lut_dialog* viewer = wizard->lut_viewer();
    QCheckBox* box = printer_page(*wizard)->form()->view_3d_lut_box();
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    EXPECT_TRUE(viewer->isVisible());
    viewer->hide();  // the user closes it
    EXPECT_FALSE(box->isChecked());

    box->setChecked(true);
    wizard->next();
    QCheckBox* intent_box = intent_page(*wizard)->form()->view_3d_lut_box();
    EXPECT_TRUE(intent_box->isChecked()) << "page 3 mirrors the viewer";
    wizard->back();
    EXPECT_TRUE(viewer->isVisible()) << "leaving page 3 backwards keeps it";
    wizard->back();
    EXPECT_FALSE(viewer->isVisible()) << "leaving page 2 backwards hides it";

    wizard->next();
    printer_page(*wizard)->form()->view_3d_lut_box()->setChecked(true);
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kRenderingIntentPage);
    wizard->next();
    EXPECT_FALSE(viewer->isVisible()) << "page 3 closes it when left forwards";
    EXPECT_FALSE(intent_box->isChecked());
}

TEST_F(ColorWizardPrinter, IntentPaperAndGamutRemakeTheTable) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    auto wizard = at_printer_page();
    wizard->next();
    color_wizard_rendering_intent* form = intent_page(*wizard)->form();
    EmulationLut& lut = wizard->lut_generator();
    EXPECT_EQ(lut.intentIndex(), 4);
    const EmulationLut::Table perceptual = lut.table();

    form->findChild<QRadioButton*>(QStringLiteral("absolute_colorimetric_radioButton"))->click();
    EXPECT_EQ(lut.intentIndex(), 1);
    EXPECT_TRUE(lut.isValid());
    EXPECT_NE(lut.table(), perceptual);
    expect_viewer_follows(*wizard);
    form->findChild<QRadioButton*>(QStringLiteral("saturation_radioButton"))->click();
    EXPECT_EQ(lut.intentIndex(), 2);
    form->findChild<QRadioButton*>(QStringLiteral("relative_colorimetric_radioButton"))->click();
    EXPECT_EQ(lut.intentIndex(), 3);

    form->simulate_paper_box()->setChecked(true);
    EXPECT_TRUE(lut.simulatePaper());
    expect_viewer_follows(*wizard);

    const QString folder = wizard->targets_folder();
    EXPECT_TRUE(folder.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(folder.contains(QLatin1Char('\\')));
    EXPECT_EQ(lut.sourceProfile(), folder + QLatin1String(kFullGamutProfile));
    EXPECT_EQ(lut.displayProfile(), folder + QLatin1String(kFullGamutProfile));
    form->rendering_gamut_box()->setCurrentIndex(1);
    EXPECT_EQ(lut.sourceProfile(), folder + QLatin1String(kAdobeRgbProfile));
    EXPECT_EQ(wizard->field(QStringLiteral("renderingintent.rendering_gamut")).toInt(), 1);
    form->rendering_gamut_box()->setCurrentIndex(2);
    EXPECT_EQ(lut.sourceProfile(), folder + QLatin1String(kSrgbProfile));
    EXPECT_TRUE(lut.isValid());
    expect_viewer_follows(*wizard);
}

TEST_F(ColorWizardPrinter, TheModuleChoiceRewritesTheReferenceProfiles) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    auto wizard = at_printer_page();
    wizard->next();
    QCheckBox* box = intent_page(*wizard)->form()->use_adobe_cmm_box();
    EXPECT_FALSE(box->isChecked()) << "no such module is registered here";
    const QString full = wizard->targets_folder() + QLatin1String(kFullGamutProfile);
    const auto preferred_cmm = [&full] { return testing_support::read_file(full).mid(4, 4); };
    EXPECT_NE(preferred_cmm(), QByteArray("ADBE"));
    box->setChecked(true);
    EXPECT_TRUE(wizard->use_adobe_cmm());
    EXPECT_TRUE(wizard->lut_generator().useAdobeCmm());
    EXPECT_EQ(preferred_cmm(), QByteArray("ADBE"));
    EXPECT_TRUE(wizard->lut_generator().isValid()) << "the default module stands in for it";
}

TEST_F(ColorWizardPrinter, TheTableFollowsTheWhitePointChosenWhileEmulatingAPrinter) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    auto wizard = at_printer_page();
    wizard->next();
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kWhitePointPage);
    EXPECT_EQ(wizard->printer_white_x(), unsigned(sim_value(mf::white_x)));
    EXPECT_EQ(wizard->printer_white_y(), unsigned(sim_value(mf::white_y)));
    auto* page = static_cast<ColorWizardWhitePointPage*>(wizard->currentPage());
    const EmulationLut::Table before = wizard->lut_generator().table();
    page->form()
        ->findChild<QDoubleSpinBox*>(QStringLiteral("white_x_doubleSpinBox"))
        ->setValue(0.346);
    page->form()
        ->findChild<QDoubleSpinBox*>(QStringLiteral("white_y_doubleSpinBox"))
        ->setValue(0.359);
    page->form()->flush_pending_writes();
    EXPECT_EQ(sim_value(mf::white_x), 346);
    EXPECT_EQ(wizard->printer_white_x(), 346u);
    EXPECT_EQ(wizard->printer_white_y(), 359u);
    ProfileSpec full;
    ASSERT_EQ(readDisplayProfile(wizard->targets_folder() + QLatin1String(kFullGamutProfile), full),
              0);
    EXPECT_NEAR(full.whiteX, 0.346, 0.002);
    EXPECT_NE(wizard->lut_generator().table(), before);
    expect_viewer_follows(*wizard);
}

TEST_F(ColorWizardPrinter, AWhitePointNoReadFilledIsNeitherTakenNorLetThrough) {
    ASSERT_TRUE(install_profile(kPrinter, QStringLiteral("press.icc")));
    auto wizard = at_printer_page();
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kRenderingIntentPage);
    const int white_x = sim_value(mf::white_x);
    const int white_y = sim_value(mf::white_y);
    // The monitor stops answering as the white point page is entered.
    sim::CSimFaultRule lost;
    lost.fault = sim::CSimFault::lost_reply;
    lost.repeat = 100;
    sim_monitor().faults().add(lost);
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kWhitePointPage);
    EXPECT_EQ(wizard->printer_white_x(), 0u);
    EXPECT_EQ(wizard->printer_white_y(), 0u);
    EXPECT_FALSE(errors.texts.isEmpty());

    // Next tries the read again; while it fails the page stays.
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kWhitePointPage);
    EXPECT_EQ(wizard->printer_white_x(), 0u);

    sim_monitor().faults().clear();
    wizard->next();
    EXPECT_NE(wizard->currentId(), kWhitePointPage);
    EXPECT_EQ(wizard->printer_white_x(), unsigned(white_x));
    EXPECT_EQ(wizard->printer_white_y(), unsigned(white_y));
    EXPECT_EQ(sim_value(mf::white_x), white_x);
    EXPECT_EQ(sim_value(mf::white_y), white_y);
}

TEST_F(ColorWizardPrinter, OtherPathsLeaveThePrinterWhitePointAlone) {
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.full"), true);
    wizard->next();
    wizard->next();
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kWhitePointPage);
    auto* page = static_cast<ColorWizardWhitePointPage*>(wizard->currentPage());
    page->form()
        ->findChild<QDoubleSpinBox*>(QStringLiteral("white_x_doubleSpinBox"))
        ->setValue(0.346);
    page->form()->flush_pending_writes();
    EXPECT_EQ(sim_value(mf::white_x), 346);
    EXPECT_EQ(wizard->printer_white_x(), 0u);
}

}  // namespace
