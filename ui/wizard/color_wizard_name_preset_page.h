#pragma once

#include <QString>
#include <QWizardPage>
#include <array>

class color_wizard;
class color_wizard_name_preset;

// Page 8: the slot a custom mode goes into and its name. Leaving the page makes the mode: the
// monitor switches to the slot, takes the name, and (for an emulation) its colours or its 3D
// LUT.
class ColorWizardNamePresetPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardNamePresetPage(color_wizard& wizard);

    void initializePage() override;
    bool validatePage() override;
    int nextId() const override;

    color_wizard_name_preset* form() const { return form_; }

  private:
    // The slot (1 to 5) of the Programmable mode the monitor was in when the wizard opened; 0
    // in any other mode.
    int slot_of_monitor_mode() const;
    // Each path's writes; 0 when all of them succeeded, else the first failure.
    int commit_printer_emulation();
    int commit_custom_mode(bool emulate_display);
    // After a name went to the monitor: `typed` is what the page compares against from now on,
    // `stored` what the monitor holds (padded), which the record keeps.
    void remember_name(int slot, const QString& typed, const QString& stored);

    color_wizard& wizard_;
    color_wizard_name_preset* form_;
    int metamerism_ = 0;
    std::array<QString, 6> initial_names;  // by slot, from 1
};
