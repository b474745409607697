#include "ui/wizard/color_wizard_name_preset.h"

#include "ui_color_wizard_name_preset.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

color_wizard_name_preset::color_wizard_name_preset(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_name_presetClass>()) {
    ui->setupUi(this);
    // What the monitor shows in its menu: letters, digits and blanks; shorter names are fine.
    const QRegularExpression name(QStringLiteral("[a-zA-Z0-9 ]{13}"));
    for (int slot = 1; slot <= kSlots; ++slot) {
        name_edit(slot)->setValidator(new QRegularExpressionValidator(name, name_edit(slot)));
        name_edit(slot)->installEventFilter(this);
        connect(radio(slot), &QRadioButton::toggled, this, &color_wizard_name_preset::update_edits);
    }
    update_edits();
}

color_wizard_name_preset::~color_wizard_name_preset() = default;

bool color_wizard_name_preset::eventFilter(QObject* watched, QEvent* event) {
    // Return finishes typing a name; passed on, it would press Next, which writes the name
    // into the monitor before the user has looked at the page again.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QWidget::eventFilter(watched, event);
}

QRadioButton* color_wizard_name_preset::radio(int slot) const {
    QRadioButton* const radios[kSlots] = {ui->preset1_radioButton, ui->preset2_radioButton,
                                          ui->preset3_radioButton, ui->preset4_radioButton,
                                          ui->preset5_radioButton};
    return slot >= 1 && slot <= kSlots ? radios[slot - 1] : nullptr;
}

QLineEdit* color_wizard_name_preset::name_edit(int slot) const {
    QLineEdit* const edits[kSlots] = {ui->preset1_name_lineEdit, ui->preset2_name_lineEdit,
                                      ui->preset3_name_lineEdit, ui->preset4_name_lineEdit,
                                      ui->preset5_name_lineEdit};
    return slot >= 1 && slot <= kSlots ? edits[slot - 1] : nullptr;
}

QLabel* color_wizard_name_preset::name_label(int slot) const {
    QLabel* const labels[kSlots] = {ui->preset1_name_label, ui->preset2_name_label,
                                    ui->preset3_name_label, ui->preset4_name_label,
                                    ui->preset5_name_label};
    return slot >= 1 && slot <= kSlots ? labels[slot - 1] : nullptr;
}

int color_wizard_name_preset::checked_slot() const {
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (radio(slot)->isChecked()) return slot;
    }
    return 0;
}

void color_wizard_name_preset::set_slot_enabled(int slot, bool enabled) {
    if (!radio(slot)) return;
    // A slot that goes away takes the choice with it: the user picks another, as moving it
    // would overwrite a slot nobody chose.
    if (!enabled && radio(slot)->isChecked()) {
        const bool exclusive = radio(slot)->autoExclusive();
        radio(slot)->setAutoExclusive(false);
        radio(slot)->setChecked(false);
        radio(slot)->setAutoExclusive(exclusive);
    }
    radio(slot)->setEnabled(enabled);
    name_label(slot)->setEnabled(enabled);
    update_edits();
}

void color_wizard_name_preset::update_edits() {
    for (int slot = 1; slot <= kSlots; ++slot)
        name_edit(slot)->setEnabled(radio(slot)->isChecked() && radio(slot)->isEnabled());
}
