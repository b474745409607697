#include "ui/wizard/color_wizard_rendering_intent.h"

#include "ui_color_wizard_rendering_intent.h"

color_wizard_rendering_intent::color_wizard_rendering_intent(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_rendering_intentClass>()) {
    ui->setupUi(this);
    intents.addButton(ui->perceptual_radioButton, kPerceptual);
    intents.addButton(ui->saturation_radioButton, kSaturation);
    intents.addButton(ui->relative_colorimetric_radioButton, kRelativeColorimetric);
    intents.addButton(ui->absolute_colorimetric_radioButton, kAbsoluteColorimetric);
    connect(&intents, &QButtonGroup::idClicked, this, &color_wizard_rendering_intent::changed);
}

color_wizard_rendering_intent::~color_wizard_rendering_intent() = default;

QCheckBox* color_wizard_rendering_intent::simulate_paper_box() const {
    return ui->simulate_paper_white_checkBox;
}

QComboBox* color_wizard_rendering_intent::rendering_gamut_box() const {
    return ui->rendering_gamut_comboBox;
}

QCheckBox* color_wizard_rendering_intent::use_adobe_cmm_box() const {
    return ui->use_adobe_cmm_checkBox;
}

QCheckBox* color_wizard_rendering_intent::view_3d_lut_box() const {
    return ui->show_3DLUT_checkBox_2;
}

void color_wizard_rendering_intent::changed(int intent) {
    Q_EMIT rendering_intent_changed(intent);
}

void color_wizard_rendering_intent::on_use_adobe_cmm_checkBox_stateChanged(int state) {
    Q_EMIT use_adobe_cmm_checkBox_changed(state);
}
