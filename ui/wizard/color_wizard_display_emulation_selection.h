#pragma once

#include <memory>

#include "core/color_wizard_rules.h"
#include "ui/wizard/wizard_profile_chooser.h"

namespace Ui {
class color_wizard_display_emulation_selectionClass;
}

// The display profiles to emulate and what the chosen one says: copyright, date, white point,
// primaries, gamma and brightness, each value outside what this monitor can take marked.
class color_wizard_display_emulation_selection : public wizard_profile_chooser {
    Q_OBJECT

  public:
    explicit color_wizard_display_emulation_selection(QWidget* parent = nullptr);
    ~color_wizard_display_emulation_selection() override;

    // The values of a profile read completely.
    void show_profile(const color_wizard_rules::EmulationRecord& record);
    // A profile whose header reads but whose colorants or curves are missing: its texts, and
    // "-" for the values it lacks.
    void show_incomplete_profile(const color_wizard_rules::EmulationRecord& record);
    // "-" everywhere: nothing chosen, or a file that cannot be read.
    void show_unreadable();

    // The out-of-range mark put after a value.
    static QString out_of_range_marker();

  protected:
    QString open_dialog_title() const override;
    bool takes(const ProfileHeaderInfo& info) const override;
    QString refusal_text() const override;

  private:
    void show_texts(const color_wizard_rules::EmulationRecord& record);

    std::unique_ptr<Ui::color_wizard_display_emulation_selectionClass> ui;
};
