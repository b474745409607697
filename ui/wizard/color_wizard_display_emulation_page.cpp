#include "ui/wizard/color_wizard_display_emulation_page.h"

#include "profiles/display_profile.h"
#include "profiles/profile_header_read.h"
#include "profiles/profile_list.h"
#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_display_emulation_selection.h"
#include "ui/wizard/wizard_page_setup.h"

using namespace color_wizard_rules;

ColorWizardDisplayEmulationSelectionPage::ColorWizardDisplayEmulationSelectionPage(
    color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_display_emulation_selection(this)) {
    setTitle(tr("Display Emulation", "ColorWizardDisplayEmulationSelectionPage title"));
    setSubTitle(
        tr("Select a profile from the following list of display ICC profiles installed "
           "on the system. The profile will be used to set the color gamut, white point, "
           "gamma and brightness values to emulate the display.",
           "ColorWizardDisplayEmulationSelectionPage subtitle"));
    wizard_page_setup::place_form(this, form_, wizard_page_setup::kMonitorLogo);
    connect(form_, &color_wizard_display_emulation_selection::complete, this,
            &ColorWizardDisplayEmulationSelectionPage::selection_made);
}

void ColorWizardDisplayEmulationSelectionPage::initializePage() {
    form_->fill_profiles(listProfiles(kDisplayProfiles));
    form_->select_row(0);
}

bool ColorWizardDisplayEmulationSelectionPage::isComplete() const {
    return acceptable;
}

int ColorWizardDisplayEmulationSelectionPage::nextId() const {
    return wizard_.next_page(kDisplayEmulationPage);
}

void ColorWizardDisplayEmulationSelectionPage::selection_made(QString path) {
    acceptable = true;
    ProfileHeaderInfo header;
    ProfileSpec spec;
    const bool readable = !path.isEmpty() && profileHeaderUsable(readProfileHeader(path, header)) &&
                          readDisplayProfile(path, spec) == 0;
    if (!readable) {
        form_->show_unreadable();
        acceptable = false;
        wizard_.emulation() = EmulationRecord();
    } else {
        EmulationRecord record = emulation_from(spec);
        // The header read knows the texts of version 4 profiles too.
        if (!header.copyright.isEmpty()) record.copyright = header.copyright;
        if (!header.description.isEmpty()) record.description = header.description;
        if (!header.hasDisplayColorimetry) {
            // A reader meets missing colorants or curves with zeros: those must never reach the
            // monitor as primaries.
            form_->show_incomplete_profile(record);
            acceptable = false;
        } else {
            form_->show_profile(record);
            acceptable = all_within_limits(record);
        }
        record.valid = acceptable;
        wizard_.emulation() = record;
    }
    Q_EMIT completeChanged();
}
