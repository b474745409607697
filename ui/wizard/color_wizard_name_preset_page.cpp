#include "ui/wizard/color_wizard_name_preset_page.h"

#include <QLineEdit>
#include <QRadioButton>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/error_box.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_intro_page.h"
#include "ui/wizard/color_wizard_name_preset.h"
#include "ui/wizard/wizard_monitor.h"
#include "ui/wizard/wizard_page_setup.h"

namespace mf = monitor_feature;

using namespace color_wizard_rules;

namespace {

// Slots 4 and 5 exist only on monitors that report that many names.
constexpr int kNamesForSlot4 = 4;
constexpr int kNamesForSlot5 = 5;

}  // namespace

ColorWizardNamePresetPage::ColorWizardNamePresetPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_name_preset(this)) {
    setTitle(tr("Name Preset", "ColorWizardNamePresetPage title"));
    setSubTitle(
        tr("Select the memory location to store the new settings in.  Current settings "
           "in the location chosen will be overwritten.",
           "ColorWizardNamePresetPage subtitle"));
    wizard_page_setup::place_form(this, form_);
    for (int slot = 1; slot <= color_wizard_name_preset::kSlots; ++slot) {
        registerField(QStringLiteral("name_preset.radio%1").arg(slot), form_->radio(slot));
        registerField(QStringLiteral("name_preset.nametext%1").arg(slot), form_->name_edit(slot));
    }
}

void ColorWizardNamePresetPage::initializePage() {
    CDDCMonitor* monitor = wizard_.monitor();
    int value = 0;
    metamerism_ = monitor && monitor->get_value(mf::metamerism, value) == 0 ? value : 0;
    if (!wizard_.record_loaded()) return;
    const QList<CNamedEntry>& names = wizard_.adjust_record().namedEntries;
    const int chosen = form_->checked_slot();
    // A slot the monitor is in exists whatever the record says; the user chose it by being
    // there, and moving the choice elsewhere would overwrite a slot nobody chose.
    const int monitor_slot = slot_of_monitor_mode();
    form_->set_slot_enabled(4, names.size() >= kNamesForSlot4 || monitor_slot == 4);
    form_->set_slot_enabled(5, names.size() >= kNamesForSlot5 || monitor_slot == 5);
    if (chosen != 0 && form_->checked_slot() == 0) {
        show_message(this,
                     tr("Custom %1 is not available on this monitor. Choose the memory location "
                        "for the new settings.")
                         .arg(chosen),
                     QMessageBox::Information);
    }
    for (const CNamedEntry& entry : names) {
        if (entry.slot < 1 || entry.slot > color_wizard_name_preset::kSlots) continue;
        setField(QStringLiteral("name_preset.nametext%1").arg(entry.slot), entry.name);
        initial_names[static_cast<std::size_t>(entry.slot)] = entry.name;
    }
}

void ColorWizardNamePresetPage::remember_name(int slot, const QString& typed,
                                              const QString& stored) {
    initial_names[static_cast<std::size_t>(slot)] = typed;
    if (!wizard_.record_loaded()) return;
    CAdjustValue& record = wizard_.adjust_record();
    const auto mode = static_cast<std::int16_t>(programmable_mode(slot));
    bool found = false;
    for (CNamedEntry& entry : record.namedEntries) {
        if (entry.slot != slot) continue;
        entry.name = stored;
        entry.code = mode;
        found = true;
    }
    if (!found) {
        CNamedEntry entry = CNamedEntry::for_slot(stored, static_cast<std::int16_t>(slot));
        record.namedEntries.append(entry);
    }
    wizard_.save_record();
}

int ColorWizardNamePresetPage::slot_of_monitor_mode() const {
    const auto* intro = qobject_cast<const ColorWizardIntroPage*>(wizard_.page(kIntroPage));
    if (!intro) return 0;
    const int slot = intro->initial_mode() - programmable_mode(1) + 1;
    return slot >= 1 && slot <= color_wizard_name_preset::kSlots ? slot : 0;
}

bool ColorWizardNamePresetPage::validatePage() {
    const int slot = form_->checked_slot();
    CDDCMonitor* monitor = wizard_.monitor();
    if (slot == 0) {
        show_message(this, tr("Choose the memory location for the new settings."),
                     QMessageBox::Information);
        return false;
    }
    if (!monitor) return false;
    const QString name = form_->name_edit(slot)->text();
    const bool store_name = name != initial_names[static_cast<std::size_t>(slot)];
    // Nothing goes to the monitor before the name is known to be one it can hold.
    if (store_name && !slot_name_storable(name)) {
        show_message(this,
                     tr("The monitor can show only the letters A to Z and a to z, digits and "
                        "blanks in a name."),
                     QMessageBox::Warning);
        return false;
    }
    const bool printer = field(QStringLiteral("custom_type.emulate_printer")).toBool();
    const bool display = field(QStringLiteral("custom_type.emulate_display")).toBool();
    // The table or the display's values may have gone since their page: nothing usable to
    // write then.
    if (printer && !wizard_.lut_generator().isValid()) {
        show_message(this,
                     tr("No 3D LUT could be made for the printer. Go back and choose the printer "
                        "profile and the rendering intent again."),
                     QMessageBox::Warning);
        return false;
    }
    if (display && !wizard_.emulation().valid) {
        show_message(this,
                     tr("The display profile cannot be used. Go back and choose another one."),
                     QMessageBox::Warning);
        return false;
    }

    int result = 0;
    {
        const CWaitCursor wait;
        CMonitorSettingList to_slot = switch_list(programmable_mode(slot), metamerism_);
        result = wizard_.apply_settings(to_slot);
        // From here on the monitor may hold something else: a cancel must restore it.
        wizard_.set_changed();
        // Without the switch, what follows would go into the mode that happens to be active.
        if (result == 0 && store_name) {
            const QByteArray bytes = slot_name_bytes(name);
            result = monitor->write_slot_name(slot, bytes.constData());
            if (result == 0) remember_name(slot, name, QString::fromLatin1(bytes));
        }
        if (result == 0)
            result = printer ? commit_printer_emulation() : commit_custom_mode(display);
    }
    if (result != 0) {
        wizard_monitor::show_communication_error(this);
        return false;
    }
    return true;
}

int ColorWizardNamePresetPage::commit_printer_emulation() {
    const int gamut = field(QStringLiteral("renderingintent.rendering_gamut")).toInt();
    CMonitorSettingList list =
        printer_emulation_list(wizard_.record_loaded(), gamut, wizard_.native_primaries(),
                               wizard_.printer_white_x(), wizard_.printer_white_y());
    int result = wizard_.apply_settings(list);
    if (result != 0) return result;
    result = wizard_.write_3d_lut();
    // The LUT mode goes back to normal also after a failed upload, or the monitor stays in it.
    CMonitorSettingList back = lut_mode_normal_list();
    const int restored = wizard_.apply_settings(back);
    return result != 0 ? result : restored;
}

int ColorWizardNamePresetPage::commit_custom_mode(bool emulate_display) {
    if (!emulate_display) {
        CMonitorSettingList list = custom_mode_list();
        return wizard_.apply_settings(list);
    }
    EmulationRecord& emulation = wizard_.emulation();
    CMonitorSettingList list = display_emulation_list(emulation);
    const int written = wizard_.apply_settings(list);
    int uploaded = 0;
    if (written == 0 && emulation.curves_approximated) {
        CSpline red = emulation.red_curve, green = emulation.green_curve,
                blue = emulation.blue_curve;
        uploaded = wizard_.write_1d_luts(red, green, blue);
        if (uploaded == 0 && wizard_.record_loaded()) {
            CCurveSet set;
            set.key = static_cast<std::int8_t>(programmable_mode(form_->checked_slot()));
            set.red = emulation.red_curve;
            set.green = emulation.green_curve;
            set.blue = emulation.blue_curve;
            wizard_.adjust_record().setCurveSet(set);
            wizard_.save_record();
        }
    }
    CMonitorSettingList back = lut_mode_normal_list();
    const int restored = wizard_.apply_settings(back);
    // Any failed write leaves a mode that is not what the profile describes.
    if (written != 0) return written;
    if (uploaded != 0) return uploaded;
    return restored;
}

int ColorWizardNamePresetPage::nextId() const {
    return wizard_.next_page(kNamePresetPage);
}
