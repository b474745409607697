#pragma once

#include <QWizardPage>

class color_wizard;
class color_wizard_custom_type;

// Page 1: which kind of custom picture mode to make.
class ColorWizardCustomTypePage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardCustomTypePage(color_wizard& wizard);

    void initializePage() override;
    int nextId() const override;

    color_wizard_custom_type* form() const { return form_; }

  private:
    color_wizard& wizard_;
    color_wizard_custom_type* form_;
};
