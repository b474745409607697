#pragma once

#include <QWizardPage>

class color_wizard;
class color_wizard_brightness;
class color_wizard_color_gamut;
class color_wizard_custom_gamma;
class color_wizard_white_point;

// Pages 6, 7, 9 and 10: each places one adjustment widget, which reads the monitor when the
// page is entered and writes every change at once.

class ColorWizardCustomGammaPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardCustomGammaPage(color_wizard& wizard);
    void initializePage() override;
    bool validatePage() override;
    int nextId() const override;
    color_wizard_custom_gamma* form() const { return form_; }

  private:
    color_wizard& wizard_;
    color_wizard_custom_gamma* form_;
};

class ColorWizardColorGamutPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardColorGamutPage(color_wizard& wizard);
    void initializePage() override;
    int nextId() const override;
    color_wizard_color_gamut* form() const { return form_; }

  private:
    color_wizard& wizard_;
    color_wizard_color_gamut* form_;
};

class ColorWizardWhitePointPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardWhitePointPage(color_wizard& wizard);
    void initializePage() override;
    // Refused while the white point on the page is not known to be the monitor's.
    bool validatePage() override;
    int nextId() const override;
    color_wizard_white_point* form() const { return form_; }

  public Q_SLOTS:
    // While a printer is emulated, the table is remade for the white the monitor now shows.
    void white_point_changed(unsigned int x, unsigned int y);

  private:
    color_wizard& wizard_;
    color_wizard_white_point* form_;
};

class ColorWizardBrightnessPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardBrightnessPage(color_wizard& wizard);
    void initializePage() override;
    bool validatePage() override;
    int nextId() const override;
    color_wizard_brightness* form() const { return form_; }

  private:
    color_wizard& wizard_;
    color_wizard_brightness* form_;
};
