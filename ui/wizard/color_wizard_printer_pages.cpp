#include "ui/wizard/color_wizard_printer_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>

#include "profiles/profile_header_read.h"
#include "profiles/profile_list.h"
#include "profiles/reference_profiles.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"
#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_printer_emulation.h"
#include "ui/wizard/color_wizard_rendering_intent.h"
#include "ui/wizard/wizard_page_setup.h"

using namespace color_wizard_rules;

namespace {

void show_viewer(view_3d_lut_dialog* viewer, bool show) {
    if (show) {
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    } else {
        viewer->hide();
    }
}

// The box mirrors the viewer without asking for it to be shown or hidden.
void mirror_viewer(QCheckBox* box, const view_3d_lut_dialog* viewer) {
    const QSignalBlocker blocker(box);
    box->setChecked(viewer->isVisible());
}

// The reference profile of each rendering gamut, in the combo box's order.
const char* const kGamutProfiles[] = {kFullGamutProfile, kAdobeRgbProfile, kSrgbProfile};

}  // namespace

ColorWizardPrinterEmulationPage::ColorWizardPrinterEmulationPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_printer_emulation(this)) {
    setTitle(tr("Print Emulation", "ColorWizardPrinterEmulationPage title"));
    setSubTitle(
        tr("Select a profile from the following list of printer ICC profiles installed "
           "on the system. This will be used to generate a 3D Look-Up-Table to emulate "
           "the printer output.",
           "ColorWizardPrinterEmulationPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kPrinterLogo);
    connect(form_, &color_wizard_printer_emulation::complete, this,
            &ColorWizardPrinterEmulationPage::selection_made);
    connect(form_->view_3d_lut_box(), &QCheckBox::toggled, this,
            &ColorWizardPrinterEmulationPage::show3DLUT);
}

void ColorWizardPrinterEmulationPage::initializePage() {
    mirror_viewer(form_->view_3d_lut_box(), wizard_.lut_viewer());
    connect(wizard_.lut_viewer(), &view_3d_lut_dialog::hide_Event, this,
            &ColorWizardPrinterEmulationPage::window3DLUThidden, Qt::UniqueConnection);
    form_->fill_profiles(listProfiles(kPrinterProfiles));
    form_->select_row(0);
}

void ColorWizardPrinterEmulationPage::cleanupPage() {
    wizard_.lut_viewer()->hide();
    QWizardPage::cleanupPage();
}

bool ColorWizardPrinterEmulationPage::validatePage() {
    return true;
}

bool ColorWizardPrinterEmulationPage::isComplete() const {
    return wizard_.lut_generator().isValid();
}

int ColorWizardPrinterEmulationPage::nextId() const {
    return wizard_.next_page(kPrinterEmulationPage);
}

void ColorWizardPrinterEmulationPage::selection_made(QString chosen) {
    path = chosen;
    // The printer sits between the rendering gamut and the panel in the transform chain.
    wizard_.lut_generator().setEmulatedProfile(chosen);
    wizard_.recompute_lut();
    ProfileHeaderInfo info;
    if (!chosen.isEmpty() && profileHeaderUsable(readProfileHeader(chosen, info))) {
        form_->show_profile_texts(info.copyright,
                                  info.created.isValid() ? info.created.toString() : QString());
    } else {
        form_->show_profile_texts(QString(), QString());
    }
    Q_EMIT completeChanged();
}

void ColorWizardPrinterEmulationPage::show3DLUT(bool show) {
    show_viewer(wizard_.lut_viewer(), show);
}

void ColorWizardPrinterEmulationPage::window3DLUThidden() {
    form_->view_3d_lut_box()->setChecked(false);
}

ColorWizardPrinterRenderingIntentPage::ColorWizardPrinterRenderingIntentPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_rendering_intent(this)) {
    setTitle(tr("Printer Rendering Intent", "ColorWizardPrinterRenderingIntentPage title"));
    setSubTitle(tr(" ", "ColorWizardPrinterRenderingIntentPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kPrinterLogo);
    registerField(QStringLiteral("renderingintent.rendering_gamut"), form_->rendering_gamut_box());
    connect(form_, &color_wizard_rendering_intent::rendering_intent_changed, this,
            &ColorWizardPrinterRenderingIntentPage::rendering_intent_changed);
    connect(form_->simulate_paper_box(), &QCheckBox::toggled, this,
            &ColorWizardPrinterRenderingIntentPage::simulate_paper_white);
    connect(form_->rendering_gamut_box(), &QComboBox::currentIndexChanged, this,
            &ColorWizardPrinterRenderingIntentPage::rendering_gamut_changed);
    connect(form_, &color_wizard_rendering_intent::use_adobe_cmm_checkBox_changed, this,
            &ColorWizardPrinterRenderingIntentPage::use_adobe_cmm_checkBox_changed);
    connect(form_->view_3d_lut_box(), &QCheckBox::toggled, this,
            &ColorWizardPrinterRenderingIntentPage::show3DLUT);
}

void ColorWizardPrinterRenderingIntentPage::initializePage() {
    mirror_viewer(form_->view_3d_lut_box(), wizard_.lut_viewer());
    {
        const QSignalBlocker blocker(form_->use_adobe_cmm_box());
        form_->use_adobe_cmm_box()->setChecked(wizard_.use_adobe_cmm());
    }
    connect(wizard_.lut_viewer(), &view_3d_lut_dialog::hide_Event, this,
            &ColorWizardPrinterRenderingIntentPage::window3DLUThidden, Qt::UniqueConnection);
}

bool ColorWizardPrinterRenderingIntentPage::validatePage() {
    form_->view_3d_lut_box()->setChecked(false);
    return true;
}

int ColorWizardPrinterRenderingIntentPage::nextId() const {
    return wizard_.next_page(kRenderingIntentPage);
}

void ColorWizardPrinterRenderingIntentPage::rendering_intent_changed(int code) {
    wizard_.lut_generator().setIntentIndex(code);
    wizard_.recompute_lut();
}

void ColorWizardPrinterRenderingIntentPage::simulate_paper_white(bool on) {
    wizard_.lut_generator().setSimulatePaper(on);
    wizard_.recompute_lut();
}

void ColorWizardPrinterRenderingIntentPage::rendering_gamut_changed(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kGamutProfiles))) return;
    wizard_.lut_generator().setSourceProfile(wizard_.targets_folder() +
                                             QLatin1String(kGamutProfiles[index]));
    wizard_.recompute_lut();
}

void ColorWizardPrinterRenderingIntentPage::use_adobe_cmm_checkBox_changed(int state) {
    wizard_.set_use_adobe_cmm(state == Qt::Checked);
    // The reference profiles name their preferred module in their headers.
    wizard_.rebuild_reference_profiles();
    wizard_.recompute_lut();
}

void ColorWizardPrinterRenderingIntentPage::show3DLUT(bool show) {
    show_viewer(wizard_.lut_viewer(), show);
}

void ColorWizardPrinterRenderingIntentPage::window3DLUThidden() {
    form_->view_3d_lut_box()->setChecked(false);
}
