#include "ui/wizard/color_wizard_custom_type_page.h"

#include <QRadioButton>

#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_custom_type.h"
#include "ui/wizard/wizard_page_setup.h"

ColorWizardCustomTypePage::ColorWizardCustomTypePage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_custom_type(this)) {
    setTitle(tr("Select Custom type", "ColorWizardCustomTypePage title"));
    setSubTitle(
        tr("Choose the type of custom settings to create.", "ColorWizardCustomTypePage subtitle"));
    wizard_page_setup::place_form(this, form_);
    registerField(QStringLiteral("custom_type.full_custom"), form_->full_custom());
    registerField(QStringLiteral("custom_type.emulate_display"), form_->emulate_display());
    registerField(QStringLiteral("custom_type.emulate_printer"), form_->emulate_printer());
}

void ColorWizardCustomTypePage::initializePage() {
    // The printer's table is made for the panel's own primaries, which only a stored record has.
    form_->set_printer_enabled(wizard_.adjust_record().has_factory_primaries());
}

int ColorWizardCustomTypePage::nextId() const {
    return wizard_.next_page(color_wizard_rules::kCustomTypePage);
}
