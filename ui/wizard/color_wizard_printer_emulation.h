#pragma once

#include <memory>

#include "ui/wizard/wizard_profile_chooser.h"

class QCheckBox;
namespace Ui {
class color_wizard_printer_emulationClass;
}

// The printer profiles to emulate, the texts of the chosen one and the box that shows the 3D
// LUT made from it.
class color_wizard_printer_emulation : public wizard_profile_chooser {
    Q_OBJECT

  public:
    explicit color_wizard_printer_emulation(QWidget* parent = nullptr);
    ~color_wizard_printer_emulation() override;

    // The chosen profile's copyright and creation date; empty texts when it could not be read.
    void show_profile_texts(const QString& copyright, const QString& created);
    QCheckBox* view_3d_lut_box() const;

  protected:
    QString open_dialog_title() const override;
    bool takes(const ProfileHeaderInfo& info) const override;
    QString refusal_text() const override;

  private:
    std::unique_ptr<Ui::color_wizard_printer_emulationClass> ui;
};
