#pragma once

#include <QWizardPage>

class color_wizard;
class color_wizard_select_main;

// Page 0: the picture mode to start from. A fixed preset is switched to when the page is left;
// Custom goes on to choose the kind of custom mode.
class ColorWizardIntroPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardIntroPage(color_wizard& wizard);

    void initializePage() override;
    bool validatePage() override;
    int nextId() const override;

    color_wizard_select_main* form() const { return form_; }
    // The picture mode the monitor was in when the page was entered.
    int initial_mode() const { return initial_mode_; }

  private:
    bool read_metamerism();

    color_wizard& wizard_;
    color_wizard_select_main* form_;
    int initial_mode_ = 0;
    int metamerism_ = 0;
    bool metamerism_read_ = false;
};
