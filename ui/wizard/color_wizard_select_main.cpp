#include "ui/wizard/color_wizard_select_main.h"

#include "ui_color_wizard_select_main.h"

#include "core/color_wizard_rules.h"

using namespace color_wizard_rules;

namespace {
constexpr int kModes[] = {kSrgb,   kAdobeRgb, kDci,
                          kRec709, kDicom,    kHighBright,
                          kEciRgb, kFull,     color_wizard_select_main::kCustom};
}

color_wizard_select_main::color_wizard_select_main(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_select_mainClass>()) {
    ui->setupUi(this);
}

color_wizard_select_main::~color_wizard_select_main() = default;

QRadioButton* color_wizard_select_main::radio(int mode) const {
    switch (mode) {
        case kSrgb:
            return ui->preset_srgb_radioButton;
        case kAdobeRgb:
            return ui->preset_adobergb_radioButton;
        case kDci:
            return ui->preset_dci_radioButton;
        case kRec709:
            return ui->preset_rec709_radioButton;
        case kDicom:
            return ui->preset_dicom_radioButton;
        case kHighBright:
            return ui->preset_highbright_radioButton;
        case kEciRgb:
            return ui->preset_ecirgb_radioButton;
        case kFull:
            return ui->preset_full_radioButton;
        case kCustom:
            return ui->preset_custom_radioButton;
        default:
            return nullptr;
    }
}

QLabel* color_wizard_select_main::label(int mode) const {
    switch (mode) {
        case kSrgb:
            return ui->preset_srgb_label;
        case kAdobeRgb:
            return ui->preset_adobergb_label;
        case kDci:
            return ui->preset_dci_label;
        case kRec709:
            return ui->preset_rec709_label;
        case kDicom:
            return ui->preset_dicom_label;
        case kHighBright:
            return ui->preset_highbright_label;
        case kEciRgb:
            return ui->preset_ecirgb_label;
        case kFull:
            return ui->preset_full_label;
        case kCustom:
            return ui->preset_custom_label;
        default:
            return nullptr;
    }
}

int color_wizard_select_main::checked_mode() const {
    for (const int mode : kModes) {
        if (radio(mode)->isChecked()) return mode;
    }
    return -1;
}

void color_wizard_select_main::set_choice_enabled(int mode, bool enabled) {
    if (QRadioButton* button = radio(mode)) button->setEnabled(enabled);
    if (QLabel* text = label(mode)) text->setEnabled(enabled);
}
