#include "ui/wizard/color_wizard_printer_emulation.h"

#include "ui_color_wizard_printer_emulation.h"

#include "core/string_table.h"

namespace {
constexpr int kNotAPrinterProfile = 178;
}

color_wizard_printer_emulation::color_wizard_printer_emulation(QWidget* parent)
    : wizard_profile_chooser(parent),
      ui(std::make_unique<Ui::color_wizard_printer_emulationClass>()) {
    ui->setupUi(this);
    attach_table(ui->profile_tableWidget);
}

color_wizard_printer_emulation::~color_wizard_printer_emulation() = default;

void color_wizard_printer_emulation::show_profile_texts(const QString& copyright,
                                                        const QString& created) {
    ui->copyright_label->setText(copyright);
    ui->date_label->setText(created);
}

QCheckBox* color_wizard_printer_emulation::view_3d_lut_box() const {
    return ui->show_3DLUT_checkBox_1;
}

QString color_wizard_printer_emulation::open_dialog_title() const {
    return tr("Open ICC Profile");
}

// Any readable profile may stand for the printer: whether a table can be made from it decides
// whether it can be used.
bool color_wizard_printer_emulation::takes(const ProfileHeaderInfo&) const {
    return true;
}

QString color_wizard_printer_emulation::refusal_text() const {
    return string(kNotAPrinterProfile);
}
