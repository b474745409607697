#pragma once

#include <QWidget>
#include <memory>

class QRadioButton;
namespace Ui {
class color_wizard_custom_typeClass;
}

// The kinds of custom picture mode: by hand, from another display's profile, or a printer's.
class color_wizard_custom_type : public QWidget {
    Q_OBJECT

  public:
    explicit color_wizard_custom_type(QWidget* parent = nullptr);
    ~color_wizard_custom_type() override;

    QRadioButton* full_custom() const;
    QRadioButton* emulate_display() const;
    QRadioButton* emulate_printer() const;
    // Enables or disables printer emulation with its text; a disabled choice is not left checked.
    void set_printer_enabled(bool enabled);

  private:
    std::unique_ptr<Ui::color_wizard_custom_typeClass> ui;
};
