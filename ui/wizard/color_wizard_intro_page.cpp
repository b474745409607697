#include "ui/wizard/color_wizard_intro_page.h"

#include <QRadioButton>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/string_table.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/color_wizard.h"
#include "ui/wizard/color_wizard_select_main.h"
#include "ui/wizard/wizard_monitor.h"
#include "ui/wizard/wizard_page_setup.h"

namespace mf = monitor_feature;

using namespace color_wizard_rules;

namespace {

constexpr int kDicomSimString = 1013;
constexpr int kFixedModes[] = {kSrgb,       kAdobeRgb, kDci,   kRec709,
                               kHighBright, kFull,     kDicom, kEciRgb};

struct PresetField {
    int mode;
    const char* name;
};
constexpr PresetField kPresetFields[] = {
    {kSrgb, "preset_type.srgb"},
    {kAdobeRgb, "preset_type.adobergb"},
    {kDci, "preset_type.dci"},
    {kRec709, "preset_type.rec709"},
    {kDicom, "preset_type.dicom"},
    {kHighBright, "preset_type.highbright"},
    {kFull, "preset_type.full"},
    {kEciRgb, "preset_type.ecirgb"},
    {color_wizard_select_main::kCustom, "preset_type.custom"},
};

}  // namespace

ColorWizardIntroPage::ColorWizardIntroPage(color_wizard& wizard)
    : wizard_(wizard), form_(new color_wizard_select_main(this)) {
    setTitle(tr("Introduction", "ColorWizardIntroPage title"));
    setSubTitle(
        tr("This wizard will assist in configuring the color settings for the current "
           "Picture Mode.",
           "ColorWizardIntroPage subtitle"));
    wizard_page_setup::place_form(this, form_);
    for (const PresetField& f : kPresetFields)
        registerField(QLatin1String(f.name), form_->radio(f.mode));
}

bool ColorWizardIntroPage::read_metamerism() {
    CDDCMonitor* monitor = wizard_.monitor();
    int value = 0;
    metamerism_read_ = monitor && monitor->get_value(mf::metamerism, value) == 0;
    if (metamerism_read_) metamerism_ = value;
    return metamerism_read_;
}

void ColorWizardIntroPage::initializePage() {
    // Modes built on the panel's own primaries need them from the stored record.
    const bool native = wizard_.adjust_record().has_factory_primaries();
    for (const int mode :
         {color_wizard_select_main::kCustom, int(kFull), int(kHighBright), int(kDicom)}) {
        form_->set_choice_enabled(mode, native);
    }
    wizard_.size_for_intro();
    wizard_.setField(QStringLiteral("name_preset.radio1"), true);

    CDDCMonitor* monitor = wizard_.monitor();
    if (!read_metamerism()) {
        wizard_monitor::show_communication_error(this);
        return;
    }
    if (monitor->has_simulated_dicom()) form_->radio(kDicom)->setText(string(kDicomSimString));

    const CCapabilityRecord& capabilities = monitor->capability_record();
    const bool listed = capabilities.has_value_list(mf::preset);
    if (listed) {
        for (const int mode : kFixedModes) {
            if (!capabilities.allows_value(mf::preset, mode))
                form_->set_choice_enabled(mode, false);
        }
    }
    int mode = 0;
    int maximum = 0;
    if (monitor->get_value_max(mf::preset, mode, maximum) != 0) {
        wizard_monitor::show_communication_error(this);
        return;
    }
    if (!listed && maximum < kEciRgb) form_->set_choice_enabled(kEciRgb, false);
    initial_mode_ = mode;
    if (mode >= kFirstProgrammable && mode <= kLastProgrammable) {
        form_->radio(color_wizard_select_main::kCustom)->setChecked(true);
        const int slot = mode - kFirstProgrammable + 1;
        wizard_.setField(QStringLiteral("name_preset.radio%1").arg(slot), true);
    } else if (QRadioButton* button = form_->radio(mode); button && mode != 0) {
        button->setChecked(true);
    }
}

bool ColorWizardIntroPage::validatePage() {
    const int mode = form_->checked_mode();
    if (mode == color_wizard_select_main::kCustom) return true;
    if (mode < 0) return false;
    // A page entered while the monitor did not answer has no metamerism value to write back.
    if (!metamerism_read_ && !read_metamerism()) {
        wizard_monitor::show_communication_error(this);
        return false;
    }
    int result = 0;
    {
        const CWaitCursor wait;
        CMonitorSettingList list = switch_list(mode, metamerism_);
        result = wizard_.apply_settings(list);
        if (mode != initial_mode_) wizard_.set_changed();
    }
    if (result != 0) {
        wizard_monitor::show_communication_error(this);
        return false;
    }
    return true;
}

int ColorWizardIntroPage::nextId() const {
    return wizard_.next_page(kIntroPage);
}
