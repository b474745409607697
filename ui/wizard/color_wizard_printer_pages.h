#pragma once

#include <QWizardPage>

class color_wizard;
class color_wizard_printer_emulation;
class color_wizard_rendering_intent;

// Page 2: the printer profile to emulate. Next needs a table made from it.
class ColorWizardPrinterEmulationPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardPrinterEmulationPage(color_wizard& wizard);

    void initializePage() override;
    void cleanupPage() override;
    bool validatePage() override;
    bool isComplete() const override;
    int nextId() const override;

    color_wizard_printer_emulation* form() const { return form_; }
    const QString& profile_path() const { return path; }

  public Q_SLOTS:
    void selection_made(QString path);
    void show3DLUT(bool show);
    void window3DLUThidden();

  private:
    color_wizard& wizard_;
    color_wizard_printer_emulation* form_;
    QString path;
};

// Page 3: how the printer's colours come onto the display.
class ColorWizardPrinterRenderingIntentPage : public QWizardPage {
    Q_OBJECT

  public:
    explicit ColorWizardPrinterRenderingIntentPage(color_wizard& wizard);

    void initializePage() override;
    bool validatePage() override;
    int nextId() const override;

    color_wizard_rendering_intent* form() const { return form_; }

  public Q_SLOTS:
    void rendering_intent_changed(int code);
    void simulate_paper_white(bool on);
    void rendering_gamut_changed(int index);
    void use_adobe_cmm_checkBox_changed(int state);
    void show3DLUT(bool show);
    void window3DLUThidden();

  private:
    color_wizard& wizard_;
    color_wizard_rendering_intent* form_;
};
