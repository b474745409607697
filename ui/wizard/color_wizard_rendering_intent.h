#pragma once

#include <QButtonGroup>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
namespace Ui {
class color_wizard_rendering_intentClass;
}

// How a printer's colours are brought onto the display: the rendering intent, paper
// simulation, the display gamut the table starts from, the colour matching module and the box
// that shows the resulting 3D LUT.
class color_wizard_rendering_intent : public QWidget {
    Q_OBJECT

  public:
    // The intents as the table generator numbers them (the button ids).
    static constexpr int kAbsoluteColorimetric = 1;
    static constexpr int kSaturation = 2;
    static constexpr int kRelativeColorimetric = 3;
    static constexpr int kPerceptual = 4;

    explicit color_wizard_rendering_intent(QWidget* parent = nullptr);
    ~color_wizard_rendering_intent() override;

    int intent() const { return intents.checkedId(); }
    QCheckBox* simulate_paper_box() const;
    QComboBox* rendering_gamut_box() const;
    QCheckBox* use_adobe_cmm_box() const;
    QCheckBox* view_3d_lut_box() const;

  Q_SIGNALS:
    void rendering_intent_changed(int intent);
    void use_adobe_cmm_checkBox_changed(int state);

  public Q_SLOTS:
    void changed(int intent);
    void on_use_adobe_cmm_checkBox_stateChanged(int state);

  private:
    std::unique_ptr<Ui::color_wizard_rendering_intentClass> ui;
    QButtonGroup intents;
};
