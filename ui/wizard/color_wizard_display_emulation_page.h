#pragma once

#include <QWizardPage>

class color_wizard;
class color_wizard_display_emulation_selection;

// Page 5: the display to emulate. Only a profile read completely with every value inside what
// this monitor can take lets the user go on.
class ColorWizardDisplayEmulationSelectionPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardDisplayEmulationSelectionPage(color_wizard& wizard);

    void initializePage() override;
    bool isComplete() const override;
    int nextId() const override;

    color_wizard_display_emulation_selection* form() const { return form_; }

  public Q_SLOTS:
    void selection_made(QString path);

  private:
    color_wizard& wizard_;
    color_wizard_display_emulation_selection* form_;
    bool acceptable = false;
};
