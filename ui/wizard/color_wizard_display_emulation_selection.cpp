#include "ui/wizard/color_wizard_display_emulation_selection.h"

#include "ui_color_wizard_display_emulation_selection.h"

#include <cmath>

#include "core/string_table.h"
#include "profiles/icc_numbers.h"

using namespace color_wizard_rules;

namespace {

constexpr int kNotADisplayProfile = 177;
const QString kNone = QStringLiteral("-");

}  // namespace

color_wizard_display_emulation_selection::color_wizard_display_emulation_selection(QWidget* parent)
    : wizard_profile_chooser(parent),
      ui(std::make_unique<Ui::color_wizard_display_emulation_selectionClass>()) {
    ui->setupUi(this);
    attach_table(ui->profile_tableWidget);
}

color_wizard_display_emulation_selection::~color_wizard_display_emulation_selection() = default;

QString color_wizard_display_emulation_selection::out_of_range_marker() {
    return tr(" <img src=\":/images/Resources/alerts_red_icon_20.png\">&nbsp;(out of range)");
}

void color_wizard_display_emulation_selection::show_texts(const EmulationRecord& record) {
    ui->copyright_label->setText(record.copyright);
    ui->date_label->setText(record.created.isValid() ? record.created.toString() : QString());
}

void color_wizard_display_emulation_selection::show_profile(const EmulationRecord& record) {
    show_texts(record);
    const auto marker = [&record](std::initializer_list<EmulatedValue> values) {
        for (const EmulatedValue v : values) {
            if (!within_limits(record, v)) return out_of_range_marker();
        }
        return QString();
    };
    const auto chromaticity = [&](double x, double y, EmulatedValue vx, EmulatedValue vy) {
        if (!std::isfinite(x) || !std::isfinite(y)) return kNone;
        return tr("CIE x=%1 y=%2%3").arg(x, 0, 'f', 3).arg(y, 0, 'f', 3).arg(marker({vx, vy}));
    };
    ui->white_point_value_label->setText(
        chromaticity(record.white_x, record.white_y, kWhiteX, kWhiteY));
    ui->red_value_label->setText(chromaticity(record.red_x, record.red_y, kRedX, kRedY));
    ui->green_value_label->setText(chromaticity(record.green_x, record.green_y, kGreenX, kGreenY));
    ui->blue_value_label->setText(chromaticity(record.blue_x, record.blue_y, kBlueX, kBlueY));
    if (!std::isfinite(record.gamma)) {
        ui->gamma_value_label->setText(kNone);
    } else if (record.curves_approximated) {
        ui->gamma_value_label->setText(
            tr("%1%2 (approximate)").arg(record.gamma, 0, 'f', 2).arg(marker({kGamma})));
    } else {
        ui->gamma_value_label->setText(
            tr("%1%2").arg(record.gamma, 0, 'f', 2).arg(marker({kGamma})));
    }
    ui->brightness_value_label->setText(
        record.luminance > 0
            ? tr("%1 %2").arg(record.luminance, 0, 'f', 0).arg(string(kLuminanceUnitString))
            : kNone);
}

void color_wizard_display_emulation_selection::show_incomplete_profile(
    const EmulationRecord& record) {
    show_unreadable();
    show_texts(record);
}

void color_wizard_display_emulation_selection::show_unreadable() {
    for (QLabel* label : {ui->copyright_label, ui->date_label, ui->white_point_value_label,
                          ui->red_value_label, ui->green_value_label, ui->blue_value_label,
                          ui->gamma_value_label, ui->brightness_value_label}) {
        label->setText(kNone);
    }
}

QString color_wizard_display_emulation_selection::open_dialog_title() const {
    return tr("Open ICC Display Profile");
}

bool color_wizard_display_emulation_selection::takes(const ProfileHeaderInfo& info) const {
    return info.deviceClass == icc_signature("mntr");
}

QString color_wizard_display_emulation_selection::refusal_text() const {
    return string(kNotADisplayProfile);
}
