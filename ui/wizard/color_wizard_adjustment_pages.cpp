#include "ui/wizard/color_wizard_adjustment_pages.h"

#include <QAbstractButton>
#include <QDoubleSpinBox>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_brightness.h"
#include "ui/wizard/color_wizard_color_gamut.h"
#include "ui/wizard/color_wizard_custom_gamma.h"
#include "ui/wizard/color_wizard_white_point.h"
#include "ui/wizard/wizard_monitor.h"
#include "ui/wizard/wizard_page_setup.h"

namespace mf = monitor_feature;

using namespace color_wizard_rules;

namespace {
// Metamerism correction reads 2 when on; the panel's primaries then are the alternate set.
constexpr int kMetamerismOn = 2;
}  // namespace

ColorWizardCustomGammaPage::ColorWizardCustomGammaPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_custom_gamma(this)) {
    setTitle(tr("Display Gamma", "ColorWizardCustomGammaPage title"));
    setSubTitle(
        tr("Select a gamma type from the following options. If you are unsure about "
           "which gamma to use, choose a Gamma Curve Value of 2.2.",
           "ColorWizardCustomGammaPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kGammaLogo);
    const struct {
        const char* field;
        const char* widget;
    } fields[] = {
        {"gamma.value_type", "gamma_value_radioButton"},
        {"gamma.dicom_type", "gamma_dicom_radioButton"},
        {"gamma.lstar_type", "gamma_Lstar_radioButton"},
        {"gamma.srgb_type", "gamma_sRGB_radioButton"},
        {"gamma.programmable_type", "gamma_programmable_radioButton"},
        {"gamma.value2", "gamma_value_doubleSpinBox"},
    };
    for (const auto& f : fields) {
        if (QWidget* widget = form_->findChild<QWidget*>(QLatin1String(f.widget)))
            registerField(QLatin1String(f.field), widget);
    }
}

void ColorWizardCustomGammaPage::initializePage() {
    const EmulationRecord& emulation = wizard_.emulation();
    form_->SetProgrammableGammaSplines(emulation.red_curve, emulation.green_curve,
                                       emulation.blue_curve);
    form_->update_ui();
    wizard_.set_changed();
}

bool ColorWizardCustomGammaPage::validatePage() {
    return true;
}

int ColorWizardCustomGammaPage::nextId() const {
    return wizard_.next_page(kGammaPage);
}

ColorWizardColorGamutPage::ColorWizardColorGamutPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_color_gamut(this)) {
    setTitle(tr("Color Gamut", "ColorWizardColorGamutPage title"));
    setSubTitle(
        tr("Adjust the color gamut of the display by selecting a preset from the list, or "
           "modify by changing the CIE xy values or dragging the any of the three primary "
           "color positions in the diagram.",
           "ColorWizardColorGamutPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kGamutLogo);
}

void ColorWizardColorGamutPage::initializePage() {
    CDDCMonitor* monitor = wizard_.monitor();
    int metamerism = 0;
    const bool alternate = monitor && monitor->get_value(mf::metamerism, metamerism) == 0 &&
                           metamerism >= kMetamerismOn &&
                           wizard_.adjust_record().has_corrected_primaries();
    if (wizard_.record_loaded()) {
        const std::array<int, 6> p = wizard_.native_primaries(alternate);
        CCIEYxy native[3] = {CCIEYxy(1.0, p[0] / 1000.0, p[1] / 1000.0),
                             CCIEYxy(1.0, p[2] / 1000.0, p[3] / 1000.0),
                             CCIEYxy(1.0, p[4] / 1000.0, p[5] / 1000.0)};
        form_->SetMonitorNativeGamutData(true, native);
    }
    form_->read_current_gamut();
    wizard_.set_changed();
}

int ColorWizardColorGamutPage::nextId() const {
    return wizard_.next_page(kColorGamutPage);
}

ColorWizardWhitePointPage::ColorWizardWhitePointPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_white_point(this)) {
    setTitle(tr("White Point", "ColorWizardWhitePointPage title"));
    setSubTitle(
        tr("Adjust the white point of the display by selecting a preset from the list, "
           "or modify by changing the CIE xy values or dragging the white point indicator "
           "in the diagram.",
           "ColorWizardWhitePointPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kWhitePointLogo);
    connect(form_, &color_wizard_white_point::white_point_changed, this,
            &ColorWizardWhitePointPage::white_point_changed);
}

void ColorWizardWhitePointPage::initializePage() {
    // The white point features follow only while the first user colour preset is selected.
    if (CDDCMonitor* monitor = wizard_.monitor()) {
        int preset = 0;
        if (monitor->get_value(mf::color_preset, preset) == 0 &&
            preset != mf::color_preset_first_user) {
            int user = mf::color_preset_first_user;
            // Through the model, so the white point is not read before the preset settled.
            if (monitor->set_color_preset(user) != 0)
                wizard_monitor::show_communication_error(this);
        }
    }
    form_->read_current_white_point();
    wizard_.set_changed();
}

bool ColorWizardWhitePointPage::validatePage() {
    // A white point nobody read or entered must not go on into the profiles and the commit:
    // Next is the user's way to try the read again.
    form_->flush_pending_writes();
    if (!form_->white_point_known()) form_->read_current_white_point();
    return form_->white_point_known();
}

int ColorWizardWhitePointPage::nextId() const {
    return wizard_.next_page(kWhitePointPage);
}

void ColorWizardWhitePointPage::white_point_changed(unsigned int x, unsigned int y) {
    if (!field(QStringLiteral("custom_type.emulate_printer")).toBool() ||
        !field(QStringLiteral("preset_type.custom")).toBool()) {
        return;
    }
    wizard_.set_printer_white_point(x, y);
    wizard_.rebuild_reference_profiles();
    wizard_.recompute_lut();
}

ColorWizardBrightnessPage::ColorWizardBrightnessPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_brightness(this)) {
    setTitle(tr("Brightness and Black Level", "ColorWizardBrightnessPage title"));
    setSubTitle(
        tr("Adjust the screen Brightness and Black Levels using the sliders. Use the "
           "keyboard arrow controls to make fine adjustments if necessary.",
           "ColorWizardBrightnessPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kBrightnessLogo);
}

void ColorWizardBrightnessPage::initializePage() {
    CDDCMonitor* monitor = wizard_.monitor();
    form_->set_percent_mode(monitor && monitor->uses_percent_brightness());
    form_->read_all_values();
    wizard_.set_changed();
}

bool ColorWizardBrightnessPage::validatePage() {
    // An edit still waiting for its pause belongs in what is saved.
    form_->flush_pending_writes();
    CDDCMonitor* monitor = wizard_.monitor();
    if (!monitor) return true;
    int saved = 0;
    {
        const CWaitCursor wait;
        saved = monitor->save_settings();
        CModeSettings item;
        if (saved == 0 && monitor->read_memory_settings(item) == 0) {
            CAdjustValue& record = wizard_.adjust_record();
            if (!record.setModeSettings(item)) record.modeSettings.append(item);
            wizard_.save_record();
        }
    }
    // Settings the monitor did not save are lost at its next power cycle: the user stays on
    // the page and can press Finish again.
    if (saved != 0) {
        wizard_monitor::show_communication_error(this);
        return false;
    }
    return true;
}

int ColorWizardBrightnessPage::nextId() const {
    return wizard_.next_page(kBrightnessPage);
}
