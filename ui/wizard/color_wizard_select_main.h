#pragma once

#include <QWidget>
#include <memory>

class QLabel;
class QRadioButton;
namespace Ui {
class color_wizard_select_mainClass;
}

// The intro page's choices: the fixed picture modes, each with what it allows, and Custom.
class color_wizard_select_main : public QWidget {
    Q_OBJECT

  public:
    // The Custom choice; the others go by their picture-mode number.
    static constexpr int kCustom = 0;

    explicit color_wizard_select_main(QWidget* parent = nullptr);
    ~color_wizard_select_main() override;

    // The radio button and label of a picture mode (1 to 7, 13) or of kCustom; null for others.
    QRadioButton* radio(int mode) const;
    QLabel* label(int mode) const;
    // The mode of the checked choice: its picture-mode number, kCustom, or -1 when none is.
    int checked_mode() const;
    // Enables or disables a choice with its label.
    void set_choice_enabled(int mode, bool enabled);

  private:
    std::unique_ptr<Ui::color_wizard_select_mainClass> ui;
};
