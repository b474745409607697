#include "ui/wizard/color_wizard_custom_type.h"

#include "ui_color_wizard_custom_type.h"

color_wizard_custom_type::color_wizard_custom_type(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_custom_typeClass>()) {
    ui->setupUi(this);
}

color_wizard_custom_type::~color_wizard_custom_type() = default;

QRadioButton* color_wizard_custom_type::full_custom() const {
    return ui->custom_type_full_custom_radioButton;
}

QRadioButton* color_wizard_custom_type::emulate_display() const {
    return ui->custom_type_emulate_other_display_radioButton;
}

QRadioButton* color_wizard_custom_type::emulate_printer() const {
    return ui->custom_type_printer_emulation_radioButton;
}

void color_wizard_custom_type::set_printer_enabled(bool enabled) {
    if (!enabled && emulate_printer()->isChecked()) full_custom()->setChecked(true);
    emulate_printer()->setEnabled(enabled);
    ui->custom_type_printer_emulation_label->setEnabled(enabled);
}
